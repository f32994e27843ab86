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

// The verse with the words at the given places in bold.
QString verseHtml(const nttext::Example& example)
{
    const QStringList words = QString::fromStdString(example.text).split(QLatin1Char(' '));
    QStringList shown;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool lemma
            = std::find(example.positions.begin(), example.positions.end(), int(i)) != example.positions.end();
        shown.append(lemma ? QStringLiteral("<b>%1</b>").arg(words[i].toHtmlEscaped()) : words[i].toHtmlEscaped());
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

QString contextHtml(const nttext::Study& study, const QColor& referenceColour)
{
    QString html;
    for (const nttext::Example& example : study.examples)
        html += QStringLiteral("<p>%1 <span style=\"color:%2\">— %3</span></p>")
                    .arg(verseHtml(example), referenceColour.name(),
                        QString::fromStdString(example.reference).toHtmlEscaped());
    if (!study.forms.empty()) {
        QStringList forms;
        for (const nttext::Form& form : study.forms)
            forms.append(QString::fromStdString(nttext::describeForm(form)).toHtmlEscaped());
        html += QStringLiteral("<p><i>Commonest forms:</i><br>%1</p>").arg(forms.join(QStringLiteral("<br>")));
    }
    return html;
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
