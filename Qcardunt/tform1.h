#pragma once

#include "filedialogs.h"
#include "table.h"
#include "tdatasource.h"

#include <QList>
#include <QMainWindow>

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TForm1;
}
namespace windowtest {
struct FormAccess;
}

class QAction;
class QCloseEvent;
class QLabel;
class QWidget;
class TFontForm;
class TForm2;
class TFormQCustom;
class TStudyForm;
class TProgressForm;
class TReaderForm;
class TImportForm;

// The main window: the toolbar with the word list, the card panel with the drill bar and the status line, and the
// one table component through which the whole program sees the open card set.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the window from its layout and opens the built-in card set, as the design has the table open; a
    // failure to open it fails the construction. Then runs FormCreate, whose failures are shown in the error box.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The one table component and the one data source of the program.
    cardstore::Table FrequencyTable;
    TDataSource FrequencySource;

    // Hands the side windows what they need of this window (the data source, the card texts to the font chooser)
    // and keeps them to show from its commands. Any of them may be missing, as in tests of one window.
    void connectSideWindows(TForm2* aboutBox, TFormQCustom* editor, TFontForm* fontChooser);
    // The Study window, likewise: it studies the set this window has open.
    void connectStudyWindow(TStudyForm* studyWindow);
    // The Progress window, likewise: it shows the progress made on the set this window has open.
    void connectProgressWindow(TProgressForm* progressWindow);
    // The Reader, likewise: it reads the New Testament with the progress of the set this window has open, and asks
    // this window to open the Study window over it.
    void connectReaderWindow(TReaderForm* readerWindow);

    // Start-up and layout.
    void FormCreate(QObject* sender);
    void FormResize(QObject* sender);
    void Label2DblClick(QObject* sender);
    // Opens the custom card editor; it comes with the editor window.
    void ButtonAddClick(QObject* sender);

    // The word list refills.
    void RefreshComboBox();
    void RefreshComboBoxGreek();
    void RefreshComboBoxFrequency();

    // The card table and the display font stored in it.
    void NewTable();
    void GetRecordID(cardstore::Table& table, int& recordId);
    void GetFont();
    void SaveFont();
    void FrequencyTableAfterPost(cardstore::Table& table);
    void FrequencyTableAfterDelete(cardstore::Table& table);

    // The status line, after every data change of the card table.
    void FrequencySourceDataChange(QObject* sender, int fieldIndex);

    // The drill bar: "<" SpeedButton1, ">" SpeedButton2, "<<" SpeedButton3, ">>" SpeedButton4.
    void SpeedButton1Click(QObject* sender);
    void SpeedButton2Click(QObject* sender);
    void SpeedButton3Click(QObject* sender);
    void SpeedButton4Click(QObject* sender);

    // The word list: the jump to the word the user chose, and the Sort List menu deciding what the list shows.
    void FrequencyComboBoxChange(QObject* sender);
    void Alphabetically1Click(QObject* sender);
    void ShowGreek1Click(QObject* sender);
    void ShowFrequency1Click(QObject* sender);

    // Card set commands: New, Open and NT Frequency switch the open set, Exit and closing the window end the
    // program; each writes the display font into the set it leaves.
    void New1Click(QObject* sender);
    void Open1Click(QObject* sender);
    // Open's steps after its dialog: opens the user set at fileName and shows it. The import opens the new set it
    // made with this.
    void openCardSet(const QString& fileName);
    void Frequency1Click(QObject* sender);
    void Exit1Click(QObject* sender);
    // Runs whenever the window closes; the close goes ahead as action has it, which the handler leaves alone.
    void FormClose(QObject* sender, QCloseEvent& action);
    karte::FileDialog OpenDialog1 { openDialogOptions() };
    karte::FileDialog SaveDialog1 { saveDialogOptions() };
    static karte::FileDialog::Options openDialogOptions();
    static karte::FileDialog::Options saveDialogOptions();

    // Cards in and out: Import Cards asks for a file and shows the import window over this window, which stays
    // disabled while it is up; Export Cards writes the open set's cards to the file the Save dialog names.
    void ImportCards1Click(QObject* sender);
    void ExportCards1Click(QObject* sender);
    karte::FileDialog ImportDialog1 { importDialogOptions() };
    karte::FileDialog ExportDialog1 { exportDialogOptions() };
    static karte::FileDialog::Options importDialogOptions();
    static karte::FileDialog::Options exportDialogOptions();

    // The font chooser: shows it centred on this window, level with its top.
    void FontButtonClick(QObject* sender);

    // The Help menu: the help contents in the help viewer, and the About box, shown over this window while this
    // window is disabled.
    void Contents1Click(QObject* sender);
    void About1Click(QObject* sender);

    // Tools > Study: the Study window over this window, which is disabled while it is open.
    void Study1Click(QObject* sender);
    // Tools > Progress: the Progress window over this window, which is disabled while it is open.
    void Progress1Click(QObject* sender);
    // Tools > Read: the Reader over this window, which is disabled while it is open.
    void Read1Click(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend struct windowtest::FormAccess;
    std::unique_ptr<Ui::TForm1> ui;
    TForm2* aboutBox_ = nullptr;
    TFormQCustom* editor_ = nullptr;
    TFontForm* fontChooser_ = nullptr;
    TStudyForm* studyWindow_ = nullptr;
    TProgressForm* progressWindow_ = nullptr;
    TReaderForm* readerWindow_ = nullptr;
    // The import window of the last file chosen; a new one is made for each file.
    std::unique_ptr<TImportForm> importForm_;

    // How the keyboard comes back to this window when a side window opened over it closes: the window manager gives
    // it back, or this window takes it (activated), or this window takes it and comes to the front of the program's
    // windows as well (raised and activated).
    enum class FocusBack { FromWindowManager, Activated, RaisedAndActivated };
    // The one way a side window opens over this window: this window is disabled, and the side window shown, raised
    // and activated. When the side window says it is closed (its signal closed(), sent after its own closing work,
    // whether that work succeeded or failed), this window runs its follow-up, is enabled again and takes the
    // keyboard back as focusBack says. A follow-up that fails is shown once this window is enabled, over a usable
    // program. A side window only minimised keeps this window disabled.
    template <typename SideWindow>
    void openOver(SideWindow* window, FocusBack focusBack, std::function<void()> followUp = {})
    {
        connect(
            window, &SideWindow::closed, this,
            [this, focusBack, followUp = std::move(followUp)] { sideWindowClosed(focusBack, followUp); },
            Qt::SingleShotConnection);
        showOver(window);
    }
    void showOver(QWidget* window);
    // The Study window over the Reader, which waits disabled and reads the progress again when it closes; ask tells
    // the Study window what to study first.
    void studyFromReader(const std::function<void()>& ask);
    void sideWindowClosed(FocusBack focusBack, const std::function<void()>& followUp) noexcept;

    void wireHandlers();
    // The steps that FormCreate and the NT Frequency command share: reopen the built-in set and show it.
    void showBuiltInSet();
    void refillWordList(const char* field, bool keepsTableOrder);
    // The Sort List items in menu order: Alphabetically, Show Greek, Show Frequency.
    QList<QAction*> sortItems() const;
    // The word list's own face, the one it shows English words and frequencies in.
    static constexpr char kWordListFace[] = "TimesNewRoman";
    void setWordListFace(const QString& family);
    // The word list jump and the Sort List menu.
    void lookUpByIndex(const char* indexName, const char* keyField, const std::string& text);
    bool keySuitsField(const char* keyField, const std::string& text) const;
    void returnToPrimaryIndex() noexcept;
    void wireSortCommand(QAction* item, void (TForm1::*command)(QObject*));
    // The status line. While a walk keeps the bound controls quiet, the panels' texts are held and shown once
    // the walk ends, as the card texts are.
    void showStatusPosition(const QString& text);
    void showStatusFrequency(const QString& text);
    void showHeldStatus();
    // What a screen reader says after a drill step or a jump: the card that came up (the sides it shows and its
    // position), the side just revealed, or the word list's entry with the card it brought up.
    QStringList shownSides() const;
    QString shownCardText() const;
    void announceCard();
    void announceRevealedSide(const QLabel* side);
    void announceChosenEntry();
    // The window's description, which a screen reader says with the window: the card, once it has changed.
    void describeCard();
    bool descriptionPending_ = false;
    // F10 opens the first menu of the menu bar with its first item highlighted, as desktops have it.
    void openMenuBar();
    std::optional<QString> heldPosition_;
    std::optional<QString> heldFrequency_;
};
