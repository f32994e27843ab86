#pragma once

#include "filedialogs.h"
#include "importplan.h"
#include "survey.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TImportForm;
}
namespace windowtest {
struct FormAccess;
}
namespace cardstore {
class Table;
}

class QComboBox;

// The import window: a file's first records as the cards they become, its layout and which column holds what
// (guessed, and changeable), whether duplicates are kept, into which set the cards go, and the plan's sentence
// ("1,203 cards to add, 4 duplicates skipped"), worked out anew from the whole file at every change. Import adds the
// cards in one transaction, into the open set or into a new set it makes.
//
// The main window makes one for each file and shows it while it is itself disabled, until the window says it is
// closed, whatever hid it. The window is told of the open set and says through signals what it did.
class TImportForm : public QDialog
{
    Q_OBJECT

public:
    explicit TImportForm(QWidget* parent = nullptr);
    ~TImportForm() override;

    // What the main window hands over: the open set the cards may go into (null when it cannot take them, as the
    // built-in set cannot: then only a new set is offered).
    void setOpenSet(cardstore::Table* openSet);

    // Reads the start of the file with the layout its name and first lines suggest, shows its first records as
    // cards with the guessed mapping, and works out the plan from the whole file, its progress shown over
    // progressOver (the window this one is to open over). A file that cannot be read at all raises its error, and
    // the window is not to be shown.
    void openFile(const QString& path, QWidget* progressOver = nullptr);

    // The layout controls: a change reads the start of the file again and guesses the mapping anew.
    void FormatBoxChange(QObject* sender);
    void LayoutChange(QObject* sender);
    // The column boxes, Keep duplicates and the choice of set: a change shows the preview and the plan again.
    void MappingChange(QObject* sender);
    void PlanChange(QObject* sender);
    // Adds the cards as planned, hides the window and says what it did (cardsAdded, newSetMade); a failure or a
    // cancel leaves every set as it was and the window open.
    void ImportButtonClick(QObject* sender);

    // The Save dialog that names a new set.
    karte::FileDialog NewSetDialog { newSetDialogOptions() };
    static karte::FileDialog::Options newSetDialogOptions();

Q_SIGNALS:
    // The window was hidden, whatever hid it; a minimised window is still up.
    void closed();
    // After the window closed: the cards were added to the open set.
    void cardsAdded();
    // After the window closed: the cards went into the new set at path, which is to be opened.
    void newSetMade(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend struct windowtest::FormAccess;
    std::unique_ptr<Ui::TImportForm> ui;

    // The choices as the controls show them.
    interchange::Layout chosenLayout() const;
    interchange::ImportSettings chosenSettings() const;
    bool intoNewSet() const;
    // Fills the controls from the survey without their change handlers running.
    void showLayout(const interchange::Layout& layout);
    void showColumns();
    void fillColumnBox(QComboBox* box, bool offersNone, int chosen);
    // The plan's sentence (or what keeps the file from being imported), then the preview from the survey with the
    // records the plan skips as duplicates marked and a record that keeps the file from being imported shown as
    // written.
    void showPlan(QWidget* progressOver = nullptr);
    void showPreview();
    interchange::ImportPlan workOutPlan(QWidget* progressParent);

    QString path_;
    // The start of the file read with the chosen layout; when that layout cannot read it, why not.
    std::optional<interchange::FileSurvey> survey_;
    QString surveyError_;
    // The plan the sentence shows, for the settings and target it was worked out for; Import uses it as it is.
    struct WorkedOutPlan
    {
        interchange::ImportSettings settings;
        bool intoNewSet = false;
        interchange::ImportPlan plan;
    };
    std::optional<WorkedOutPlan> plan_;
    // Where the plan found the record that keeps the file from being imported, and what is wrong with it.
    int refusedLine_ = 0;
    std::string refusal_;
    cardstore::Table* openSet_ = nullptr;
    // While cards are being read or written, the window must not close under the work.
    bool working_ = false;
};
