// Development-time cross-check of the glosses against Strong's Greek dictionary (1890, public domain), read from
// the npm package "strongs". Lists the lemmas whose gloss shares no content word with the dictionary's entry, for a
// person to look at; with --sample N it prints N random lemmas rarer than ten occurrences beside their entry.
// Nothing it prints goes into the project.
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';

const require = createRequire(import.meta.url);
const args = process.argv.slice(2);
const option = (name, fallback) => {
    const at = args.indexOf(name);
    return at >= 0 ? args[at + 1] : fallback;
};
const glossFiles = args.filter((a, i) => !a.startsWith('--') && !(i > 0 && args[i - 1].startsWith('--')));
const sample = Number(option('--sample', 0));
let seed = Number(option('--seed', 1));

const fold = (s) => s.normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase().replace(/ς/g, 'σ')
    .replace(/[()\s’'·.,;]/g, '');
const dictionary = require('strongs');
const byLemma = new Map();
for (const [number, entry] of Object.entries(dictionary)) {
    if (!number.startsWith('G') || !entry.lemma) continue;
    const key = fold(entry.lemma);
    if (!byLemma.has(key)) byLemma.set(key, []);
    byLemma.get(key).push(entry);
}

const stop = new Set(('a an the of to in on at by for from with as and or but not no be is are was were am do does ' +
    'done make made one who which what that this these those it its he she they them his her their him i you we ' +
    'us our your my me into out up down over under also very so such than then there here some any all each ' +
    'etc ie eg e g x thing things person people man men way used use figuratively literally specially ' +
    'implication extension properly compare see place name region city town son daughter').split(' '));
const stem = (w) => w.replace(/(ing|ed|es|s|ly|ness|ion|er|ment)$/, '');
const words = (s) => new Set((s.toLowerCase().match(/[a-z]+/g) || []).filter((w) => w.length > 2 && !stop.has(w))
    .map(stem));

const glosses = [];
for (const file of glossFiles) {
    const lines = readFileSync(file, 'utf8').split('\n');
    const header = lines[0].split('\t');
    const lemmaAt = header.indexOf('lemma') >= 0 ? header.indexOf('lemma') : header.indexOf('Language');
    const glossAt = header.indexOf('gloss') >= 0 ? header.indexOf('gloss') : header.indexOf('English');
    const countAt = header.indexOf('count') >= 0 ? header.indexOf('count') : header.indexOf('Frequency');
    for (const line of lines.slice(1)) {
        if (!line) continue;
        const cells = line.split('\t');
        glosses.push({ lemma: cells[lemmaAt], gloss: cells[glossAt], count: countAt >= 0 ? Number(cells[countAt]) : NaN });
    }
}

const entryText = (e) => `${e.kjv_def ?? ''} ${e.strongs_def ?? ''}`;
const describe = (g) => {
    const entries = byLemma.get(fold(g.lemma)) ?? [];
    return { entries, shared: entries.some((e) => [...words(g.gloss)].some((w) => words(entryText(e)).has(w))) };
};

if (sample > 0) {
    const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
    const rare = glosses.filter((g) => !(g.count >= 10));
    for (let i = 0; i < sample && rare.length; ++i) {
        const g = rare.splice(Math.floor(random() * rare.length), 1)[0];
        const { entries, shared } = describe(g);
        console.log(`${shared ? '  ' : '! '}${g.lemma}\t${g.gloss}`);
        for (const e of entries) console.log(`      kjv: ${e.kjv_def}\n      def: ${e.strongs_def?.trim()}`);
        if (!entries.length) console.log('      (no entry)');
    }
} else {
    let missing = 0, unshared = 0;
    for (const g of glosses) {
        const { entries, shared } = describe(g);
        if (!entries.length) { ++missing; if (args.includes('--missing')) console.log(`? ${g.lemma}\t${g.gloss}`); continue; }
        if (!shared) {
            ++unshared;
            console.log(`! ${g.lemma}\t${g.gloss}\n      kjv: ${entries[0].kjv_def}\n      def: ${entries[0].strongs_def?.trim()}`);
        }
    }
    console.error(`${glosses.length} glosses: ${unshared} share no word with their entry, ${missing} have no entry`);
}
