#include "studytexts.h"

#include "progress.h"
#include "progresstext.h"
#include "reviewqueue.h"
#include "text.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace studytexts {

namespace {

QString plural(std::int64_t n, const char* singular, const char* pluralForm)
{
    return QString::fromStdString(learning::countText(n, singular, pluralForm));
}

// A word of a verse in bold, without the punctuation and the editors' marks around it ("⸀ᾅδην," gives ⸀<b>ᾅδην</b>,).
// An elided word keeps its apostrophe (δι’).
QString boldWord(const QString& printed)
{
    const auto inWord = [](QChar c) { return c.isLetterOrNumber() || c.isMark(); };
    qsizetype start = 0;
    qsizetype end = printed.size();
    while (start < end && !inWord(printed[start]))
        ++start;
    while (end > start && !inWord(printed[end - 1]) && printed[end - 1] != QChar(0x2019))
        --end;
    if (start == end)
        return QStringLiteral("<b>%1</b>").arg(printed.toHtmlEscaped());
    return printed.first(start).toHtmlEscaped()
        + QStringLiteral("<b>%1</b>").arg(printed.sliced(start, end - start).toHtmlEscaped())
        + printed.sliced(end).toHtmlEscaped();
}

// The verse with the words at the given places in bold.
QString verseHtml(const nttext::Example& example)
{
    const QStringList words = QString::fromStdString(example.text).split(QLatin1Char(' '));
    QStringList shown;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool lemma
            = std::find(example.positions.begin(), example.positions.end(), int(i)) != example.positions.end();
        shown.append(lemma ? boldWord(words[i]) : words[i].toHtmlEscaped());
    }
    return shown.join(QLatin1Char(' '));
}

} // namespace

QString countsText(const learning::QueueCounts& counts)
{
    return QStringLiteral("New %1 · Learning %2 · Due %3").arg(counts.newCards).arg(counts.learning).arg(counts.due);
}

QString lemmaHtml(const nttext::Text& text, int lemma)
{
    return QStringLiteral("<p><b>%1</b> — %2</p>")
        .arg(QString::fromStdString(text.lexicalForm(lemma)).toHtmlEscaped(),
            QString::fromStdString(text.gloss(lemma)).toHtmlEscaped());
}

QString contextHtml(const nttext::Study& study, const QColor& referenceColour, const QString& note)
{
    QString html;
    if (!note.isEmpty())
        html += QStringLiteral("<p><i>%1</i></p>").arg(note.toHtmlEscaped());
    // The reference goes to the next line whole, its dash with it ("— 1 Corinthians 10:8").
    const QString noBreak = QStringLiteral("&nbsp;");
    for (const nttext::Example& example : study.examples)
        html += QStringLiteral("<p>%1 <span style=\"color:%2\">—%3%4</span></p>")
                    .arg(verseHtml(example), referenceColour.name(), noBreak,
                        QString::fromStdString(example.reference).toHtmlEscaped().replace(QLatin1Char(' '), noBreak));
    if (!study.forms.empty()) {
        QStringList forms;
        for (const nttext::Form& form : study.forms)
            forms.append(QString::fromStdString(nttext::describeForm(form)).toHtmlEscaped());
        html += QStringLiteral("<p><i>Commonest forms:</i><br>%1</p>").arg(forms.join(QStringLiteral("<br>")));
    }
    return html;
}

QString formNote(const QString& word, const QString& lemma)
{
    return QStringLiteral("Verses and forms of %1, of which %2 is a form.").arg(lemma, word);
}

QString durationText(std::int64_t ms)
{
    const std::int64_t minutes = ms / 60'000;
    if (minutes < 1)
        return QStringLiteral("less than a minute");
    if (minutes < 60)
        return plural(minutes, "minute", "minutes");
    const QString hours = plural(minutes / 60, "hour", "hours");
    return minutes % 60 ? hours + QLatin1Char(' ') + plural(minutes % 60, "minute", "minutes") : hours;
}

QString dueText(std::int64_t dueMs, std::int64_t nowMs)
{
    if (dueMs <= nowMs)
        return QStringLiteral("now");
    const QDateTime due = QDateTime::fromMSecsSinceEpoch(dueMs);
    const QDate today = QDateTime::fromMSecsSinceEpoch(nowMs).date();
    const QString time = due.time().toString(QStringLiteral("HH:mm"));
    if (due.date() == today)
        return QStringLiteral("today at %1").arg(time);
    if (due.date() == today.addDays(1))
        return QStringLiteral("tomorrow at %1").arg(time);
    const QString format = due.date().year() == today.year() ? QStringLiteral("d MMMM") : QStringLiteral("d MMMM yyyy");
    return QStringLiteral("on %1 at %2").arg(QLocale(QLocale::English).toString(due.date(), format), time);
}

QString summaryText(const learning::TodaySummary& today, std::optional<std::int64_t> nextDueMs, std::int64_t nowMs)
{
    QStringList lines;
    lines.append(QStringLiteral("That is all for now."));
    lines.append(QStringLiteral("Today: %1, %2 new, %3.")
                     .arg(plural(today.reviews, "answer", "answers"), QString::number(today.newCards),
                         durationText(today.timeSpentMs)));
    lines.append(today.retention ? QStringLiteral("You recalled %1 of today's reviews.")
                                       .arg(QString::fromStdString(learning::retentionText(today.retention)))
                                 : QStringLiteral("No reviews of known cards today."));
    lines.append(nextDueMs ? QStringLiteral("Next card due %1.").arg(dueText(*nextDueMs, nowMs))
                           : QStringLiteral("No card is due."));
    return lines.join(QLatin1Char('\n'));
}

QString spokenInterval(const std::string& label)
{
    const QString text = QString::fromStdString(label);
    if (text.startsWith(QLatin1Char('<')))
        return QStringLiteral("less than a minute");
    static const std::pair<const char*, std::pair<const char*, const char*>> units[] = {
        { "mo", { "month", "months" } },
        { "m", { "minute", "minutes" } },
        { "h", { "hour", "hours" } },
        { "d", { "day", "days" } },
        { "y", { "year", "years" } },
    };
    for (const auto& [suffix, names] : units) {
        if (text.endsWith(QLatin1String(suffix))) {
            const QString number = text.chopped(int(std::strlen(suffix)));
            return number + QLatin1Char(' ') + QLatin1String(number == QLatin1String("1") ? names.first : names.second);
        }
    }
    return text;
}

} // namespace studytexts
