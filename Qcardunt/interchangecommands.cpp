#include "cardexport.h"
#include "errorbox.h"
#include "qcardunt.h"
#include "tform1.h"
#include "timportform.h"

#include <QFileInfo>

karte::FileDialog::Options TForm1::importDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Open;
    options.title = QStringLiteral("Import Cards");
    options.filter = QStringLiteral("Card files (CSV, TSV, text)|*.csv;*.tsv;*.tab;*.txt|CSV|*.csv|TSV|*.tsv;*.tab|"
                                    "Text|*.txt|All files|*");
    options.fileMustExist = true;
    return options;
}

karte::FileDialog::Options TForm1::exportDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Save;
    options.title = QStringLiteral("Export Cards");
    // The extension chooses the format; the platform's dialog puts the chosen filter's on the name.
    options.filter = QStringLiteral("CSV (comma-separated)|*.csv|TSV (tab-separated)|*.tsv");
    options.defaultSuffix = QStringLiteral("csv");
    options.confirmOverwrite = true;
    return options;
}

void TForm1::ImportCards1Click(QObject* /*sender*/)
{
    if (!ImportDialog1.execute(this))
        return;
    auto form = std::make_unique<TImportForm>();
    // The built-in set takes no cards: the import makes a new set of them.
    form->setOpenSet(FrequencyTable.takesCards() ? &FrequencyTable : nullptr);
    karte::connectGuarded(form.get(), &TImportForm::cardsAdded, this, [this] {
        RefreshComboBox();
        // Cards added as a post adds them: a set that had none can now keep the font.
        if (FrequencyTable.recordCount() > 0)
            FontSaveEnabled = true;
    });
    connect(form.get(), &TImportForm::newSetMade, this,
        [this](const QString& path) { karte::guarded([this, &path] { openCardSet(path); }); });
    // A file that cannot be read at all is refused here, before the window shows.
    form->openFile(ImportDialog1.fileName(), this);
    importForm_ = std::move(form);
    openOver(importForm_.get(), FocusBack::Activated);
}

void TForm1::ExportCards1Click(QObject* /*sender*/)
{
    // The cards are written as stored, so an edit in progress is posted first.
    FrequencyTable.checkBrowseMode();
    if (ExportDialog1.fileName().isEmpty()) {
        const QString setName = FrequencyTable.isBuiltInSet()
            ? windowTitle()
            : QFileInfo(QString::fromStdString(FrequencyTable.filePath())).completeBaseName();
        ExportDialog1.setFileName(setName + QStringLiteral(".csv"));
    }
    if (!ExportDialog1.execute(this))
        return;
    karte::exportCards(FrequencyTable, ExportDialog1.fileName(), this);
}
