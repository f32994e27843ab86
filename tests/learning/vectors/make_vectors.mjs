// Writes the review histories the scheduler's tests replay (fsrs-vectors.tsv beside this file), computed by
// the reference FSRS implementation, ts-fsrs.
//
// How it was run (node 20.20, ts-fsrs 5.4.2), in a scratch folder outside the repository:
//   npm init -y && npm install ts-fsrs@5
//   cp make_vectors.mjs . && node make_vectors.mjs > fsrs-vectors.tsv
// and the output copied back here. Node is not needed to build or test the program.
//
// Each history starts from a new card and answers it again and again at chosen times: at the due time, early,
// late, after gaps of years, twice within a minute, a little before the last answer (a clock set back within
// the same UTC day) and across UTC midnight. The scheduler uses the default parameters with the given desired
// retention; fuzz is off except in the histories marked fuzz=1.
import { createEmptyCard, fsrs, FSRSVersion, Rating, State } from 'ts-fsrs';

const MINUTE = 60 * 1000;
const DAY = 24 * 60 * MINUTE;

// A small seeded generator so that the histories are the same on every run.
function lcg(seed) {
    let s = seed >>> 0;
    return () => {
        s = (Math.imul(s, 1664525) + 1013904223) >>> 0;
        return s / 4294967296;
    };
}

const rows = [];
function runHistory(name, retention, fuzz, start, plan) {
    const f = fsrs({ request_retention: retention, enable_fuzz: fuzz });
    let card = createEmptyCard(new Date(start));
    let last = start;
    for (let i = 0; i < plan.length; i++) {
        const { grade, when } = plan[i];
        const now = when(card, last);
        const r = f.get_retrievability(card, new Date(now), false);
        card = f.next(card, new Date(now), grade).card;
        last = now;
        rows.push([name, retention, fuzz ? 1 : 0, i, now, grade, card.state, card.learning_steps, card.stability,
            card.difficulty, card.due.getTime(), card.last_review.getTime(), card.reps, card.lapses, r].join('\t'));
    }
}

// Times of an answer, from the card before it and the time of the previous answer.
const at = {
    due: () => (card) => card.due.getTime(),
    afterDue: (ms) => (card) => card.due.getTime() + ms,
    after: (ms) => (_card, last) => last + ms,
    // A share of the way from the last answer to the due time (early when below 1, late above).
    share: (k) => (card, last) => last + Math.round((card.due.getTime() - last) * k),
    // Set back, but not before the start of the last answer's UTC day.
    back: (ms) => (_card, last) => Math.max(last - ms, Math.floor(last / DAY) * DAY),
    // Just before or just after the next UTC midnight.
    midnight: (ms) => (_card, last) => Math.floor(last / DAY) * DAY + DAY + ms,
};
const step = (grade, when) => ({ grade, when });
const repeat = (n, grade, when) => Array.from({ length: n }, () => step(grade, when));
const { Again, Hard, Good, Easy } = Rating;

const t0 = Date.UTC(2024, 0, 15, 9, 30, 0);
runHistory('good-at-due', 0.9, false, t0, repeat(16, Good, at.due()));
runHistory('easy-at-due', 0.9, false, t0, repeat(14, Easy, at.due()));
runHistory('hard-at-due', 0.9, false, t0, repeat(14, Hard, at.due()));
runHistory('again-at-due', 0.9, false, t0, repeat(12, Again, at.due()));
runHistory('steps-walk', 0.9, false, t0, [step(Again, at.due()), step(Again, at.due()), step(Hard, at.due()),
    step(Hard, at.due()), step(Good, at.due()), step(Hard, at.due()), step(Good, at.due()), step(Good, at.due()),
    step(Again, at.due()), step(Hard, at.due()), step(Again, at.due()), step(Good, at.due()),
    step(Easy, at.due())]);
runHistory('long-gaps', 0.9, false, t0, [step(Good, at.due()), step(Good, at.due()), step(Good, at.due()),
    step(Good, at.after(20 * 365 * DAY)), step(Again, at.due()), step(Good, at.due()),
    step(Easy, at.after(60 * 365 * DAY)), step(Easy, at.after(80 * 365 * DAY)), step(Hard, at.due())]);
runHistory('early-reviews', 0.9, false, t0, [step(Good, at.due()), step(Good, at.due()),
    ...repeat(10, Good, at.share(0.1)), step(Easy, at.share(0.3)), step(Again, at.share(0.5))]);
runHistory('midnight', 0.8, false, Date.UTC(2023, 5, 30, 23, 58, 0), [step(Good, at.after(0)),
    step(Good, at.midnight(-1)), step(Good, at.midnight(0)), step(Good, at.midnight(-1)), step(Hard, at.midnight(1)),
    step(Again, at.due()), step(Good, at.midnight(0)), step(Good, at.midnight(-1)), step(Good, at.due())]);
runHistory('set-back', 0.9, false, t0, [step(Good, at.due()), step(Good, at.due()), step(Good, at.back(5 * MINUTE)),
    step(Hard, at.back(MINUTE)), step(Good, at.due()), step(Again, at.back(3 * MINUTE)), step(Good, at.back(0)),
    step(Good, at.due())]);

const retentions = [0.9, 0.7, 0.8, 0.85, 0.95, 0.97];
function randomPlan(rnd, length) {
    const plan = [];
    for (let i = 0; i < length; i++) {
        const g = rnd();
        const grade = g < 0.15 ? Again : g < 0.3 ? Hard : g < 0.8 ? Good : Easy;
        const k = rnd();
        const x = rnd();
        let when;
        if (k < 0.35) when = at.due();
        else if (k < 0.5) when = at.afterDue(Math.floor(x * 3 * DAY));
        else if (k < 0.62) when = at.share(0.1 + 0.8 * x);
        else if (k < 0.74) when = at.share(1.5 + 4 * x);
        else if (k < 0.8) when = at.after(Math.floor((1 + 29 * x) * 365 * DAY));
        else if (k < 0.87) when = at.after(Math.floor(x * 2 * MINUTE));
        else if (k < 0.92) when = at.back(Math.floor(x * 30 * MINUTE));
        else when = at.midnight(Math.floor((x - 0.5) * 4 * MINUTE));
        plan.push(step(grade, when));
    }
    return plan;
}
const rnd = lcg(20240615);
for (let h = 0; h < 30; h++) {
    const start = Date.UTC(2020, 0, 1) + Math.floor(rnd() * 6 * 365 * DAY);
    runHistory(`random-${h}`, retentions[h % retentions.length], false, start, randomPlan(rnd, 12 + Math.floor(rnd() * 14)));
}
for (let h = 0; h < 6; h++) {
    const start = Date.UTC(2021, 0, 1) + Math.floor(rnd() * 4 * 365 * DAY);
    runHistory(`fuzz-${h}`, retentions[h % retentions.length], true, start, randomPlan(rnd, 20));
}

console.log(`# ts-fsrs ${FSRSVersion}; states ${State.New}=New ${State.Learning}=Learning ${State.Review}=Review ` +
    `${State.Relearning}=Relearning; grades ${Again}..${Easy}; times in ms since the epoch, UTC`);
console.log(['history', 'retention', 'fuzz', 'index', 'review_ms', 'grade', 'state', 'step', 'stability', 'difficulty',
    'due_ms', 'last_review_ms', 'reps', 'lapses', 'retrievability_before'].join('\t'));
for (const row of rows) console.log(row);
