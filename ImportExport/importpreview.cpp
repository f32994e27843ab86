#include "timportform.h"

#include "errorbox.h"
#include "errors.h"
#include "interchangeerror.h"
#include "ui_timportform.h"

#include <QComboBox>
#include <QTableWidgetItem>

#include <algorithm>

// The import window's controls shown from the survey, the preview and the plan, and read back as the choices.

namespace {

// How much of a first value a column box shows, to tell columns without names apart.
constexpr qsizetype kSampleLength = 24;

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QTableWidgetItem* cell(const QString& value, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* item = new QTableWidgetItem(value);
    item->setTextAlignment(alignment);
    item->setToolTip(value);
    return item;
}

} // namespace

interchange::Layout TImportForm::chosenLayout() const
{
    interchange::Layout layout;
    layout.format = static_cast<interchange::Format>(ui->FormatBox->currentData().toInt());
    layout.separator = static_cast<char>(ui->SeparatorBox->currentData().toInt());
    layout.headerRow = ui->HeaderRowBox->isChecked();
    layout.html = ui->HtmlBox->isChecked();
    return layout;
}

interchange::ImportSettings TImportForm::chosenSettings() const
{
    interchange::ImportSettings settings;
    settings.layout = chosenLayout();
    auto column = [](const QComboBox* box) { return box->currentIndex() < 0 ? -1 : box->currentData().toInt(); };
    settings.mapping.greek = column(ui->GreekColumnBox);
    settings.mapping.english = column(ui->EnglishColumnBox);
    settings.mapping.frequency = column(ui->FrequencyColumnBox);
    settings.keepDuplicates = ui->KeepDuplicatesBox->isChecked();
    return settings;
}

void TImportForm::showLayout(const interchange::Layout& layout)
{
    const QSignalBlocker quietFormat(ui->FormatBox);
    const QSignalBlocker quietSeparator(ui->SeparatorBox);
    const QSignalBlocker quietHeader(ui->HeaderRowBox);
    const QSignalBlocker quietHtml(ui->HtmlBox);
    ui->FormatBox->setCurrentIndex(ui->FormatBox->findData(static_cast<int>(layout.format)));
    int separator = ui->SeparatorBox->findData(static_cast<int>(layout.separator));
    // A flashcard program's file may name any character as its separator.
    if (separator < 0) {
        ui->SeparatorBox->addItem(
            text(interchange::separatorName(layout.separator)), static_cast<int>(layout.separator));
        separator = ui->SeparatorBox->count() - 1;
    }
    ui->SeparatorBox->setCurrentIndex(separator);
    ui->HeaderRowBox->setChecked(layout.headerRow);
    ui->HtmlBox->setChecked(layout.html);
}

void TImportForm::showColumns()
{
    const interchange::ColumnMapping mapping = survey_ ? survey_->mapping : interchange::ColumnMapping {};
    fillColumnBox(ui->GreekColumnBox, false, mapping.greek);
    fillColumnBox(ui->EnglishColumnBox, false, mapping.english);
    fillColumnBox(ui->FrequencyColumnBox, true, mapping.frequency);
}

void TImportForm::fillColumnBox(QComboBox* box, bool offersNone, int chosen)
{
    const QSignalBlocker quiet(box);
    box->clear();
    if (offersNone)
        box->addItem(QStringLiteral("(none)"), -1);
    if (survey_) {
        const interchange::FileSurvey& survey = *survey_;
        for (std::size_t i = 0; i < survey.columnNames.size(); ++i) {
            const int column = static_cast<int>(i);
            // A flashcard program's note type, deck and tags are no part of a card.
            if (std::find(survey.nonCardColumns.begin(), survey.nonCardColumns.end(), column)
                != survey.nonCardColumns.end())
                continue;
            QString name = text(survey.columnNames[i]);
            const QString number = QStringLiteral("Column %1").arg(column + 1);
            if (name != number) {
                name += QStringLiteral(" (column %1)").arg(column + 1);
            } else if (!survey.rows.empty() && i < survey.rows.front().fields.size()) {
                // Columns without names are told apart by what the first record holds in them.
                QString sample = text(survey.rows.front().fields[i]).simplified();
                if (sample.size() > kSampleLength)
                    sample = sample.left(kSampleLength) + QStringLiteral("...");
                if (!sample.isEmpty())
                    name += QStringLiteral(": ") + sample;
            }
            box->addItem(name, column);
        }
    }
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
    if (box->count() == 0)
        box->setCurrentIndex(-1);
}

void TImportForm::showPreview()
{
    QTableWidget* table = ui->PreviewTable;
    table->clearSpans();
    table->setRowCount(0);
    if (!survey_)
        return;
    std::vector<interchange::PreviewRow> rows;
    try {
        rows = interchange::previewCards(*survey_, chosenSettings());
    } catch (const cardstore::Error&) {
        // A mapping that makes no cards at all: the plan's sentence says why.
        return;
    }
    // A record that keeps the file from being imported past the first ones is shown after them.
    if (refusedLine_ > 0
        && std::none_of(rows.begin(), rows.end(), [&](const auto& row) { return row.card.line == refusedLine_; })) {
        interchange::PreviewRow refused;
        refused.card.line = refusedLine_;
        refused.problem = refusal_;
        rows.push_back(std::move(refused));
    }
    const std::vector<int> noLines;
    const std::vector<int>& duplicates = plan_ ? plan_->plan.duplicateLines : noLines;
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
        const interchange::PreviewRow& row = rows[static_cast<std::size_t>(r)];
        table->setVerticalHeaderItem(r, new QTableWidgetItem(QStringLiteral("Line %1").arg(row.card.line)));
        QString note;
        if (!row.problem.empty()) {
            // A record that makes no card is shown as the file writes it, so that the fault can be seen and mended.
            table->setSpan(r, 0, 1, 3);
            QString written = text(interchange::lineOfFile(path_.toStdString(), row.card.line));
            written.replace(QChar(0), QChar::ReplacementCharacter);
            table->setItem(r, 0, cell(written));
            note = text(row.problem);
        } else {
            table->setItem(r, 0, cell(text(row.card.greek)));
            table->setItem(r, 1, cell(text(row.card.english)));
            table->setItem(r, 2, cell(text(row.card.frequency), Qt::AlignRight | Qt::AlignVCenter));
            if (std::find(duplicates.begin(), duplicates.end(), row.card.line) != duplicates.end()) {
                const bool kept = plan_->plan.settings.keepDuplicates;
                note = kept ? QStringLiteral("duplicate, added all the same") : QStringLiteral("duplicate, skipped");
                // A card that is not added is shown as a disabled control's text is.
                for (int column = 0; !kept && column < 3; ++column)
                    table->item(r, column)->setForeground(table->palette().brush(QPalette::Disabled, QPalette::Text));
            } else if (row.cut)
                note = QStringLiteral("cut to fit");
        }
        if (!note.isEmpty())
            note[0] = note[0].toUpper();
        table->setItem(r, 3, cell(note));
        if (row.card.line == refusedLine_) {
            table->selectRow(r);
            table->scrollToItem(table->item(r, 0));
        }
    }
}

void TImportForm::showPlan(QWidget* progressOver)
{
    plan_.reset();
    refusedLine_ = 0;
    refusal_.clear();
    QString sentence;
    // Import is offered, and Return presses it, only for a plan that can be carried out (or one to work out again).
    bool importable = false;
    if (!survey_) {
        sentence = surveyError_;
    } else {
        try {
            const interchange::ImportSettings settings = chosenSettings();
            const bool newSet = intoNewSet();
            // Before the window shows, the progress of a long file shows over the window it is to open over.
            interchange::ImportPlan plan = workOutPlan(isVisible() || !progressOver ? this : progressOver);
            sentence = text(plan.summary());
            plan_ = WorkedOutPlan { settings, newSet, std::move(plan) };
            importable = true;
        } catch (const cardstore::Abort&) {
            sentence = QStringLiteral("The plan was not worked out: cancelled. Import works it out again.");
            importable = true;
        } catch (const interchange::ImportError& error) {
            sentence = karte::errorMessageText(error);
            refusedLine_ = error.line();
            refusal_ = error.problem();
        } catch (const cardstore::Error& error) {
            sentence = karte::errorMessageText(error);
        }
    }
    ui->PlanLabel->setText(sentence);
    ui->ImportButton->setEnabled(importable);
    ui->ImportButton->setDefault(importable);
    showPreview();
}
