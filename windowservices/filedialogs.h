#pragma once

#include <QPointer>
#include <QString>

class QFileDialog;
class QWidget;

namespace karte {

// One of the program's file dialogs, set up once like a component and run modally by execute(). The dialog
// gives back full paths. Whatever the user confirms passes the same checks, whether it was picked in the
// platform's dialog or typed: a name without an extension gets the default one, a name that must exist and does
// not is refused, and an existing name that would be overwritten is accepted only after the question. A refused
// name leaves the dialog open for another choice.
class FileDialog
{
public:
    enum class Mode { Open, Save };

    struct Options
    {
        Mode mode = Mode::Open;
        QString title;
        // As the program's layouts give filters: description, a bar, the pattern, and more pairs the same way.
        QString filter;
        // Without a dot, e.g. "SDB".
        QString defaultSuffix;
        bool fileMustExist = false;
        bool confirmOverwrite = false;
    };

    explicit FileDialog(Options options);
    ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // True when the user confirmed a name, which fileName() then gives; false when the user cancelled.
    bool execute(QWidget* parent = nullptr);
    QString fileName() const { return fileName_; }
    // The name the next execute() starts with in the dialog's name box; later ones start with the name confirmed.
    void setFileName(const QString& name) { fileName_ = name; }
    const Options& options() const { return options_; }

    // Test seam. Once an answer is queued, dialogs are not shown: each execute() takes the queued answers in
    // turn, a name as the user would type it in the dialog's name box or a cancel, and counts as cancelled when
    // they run out. clearScript() forgets the queue and shows the real dialogs again.
    static void setNextFileName(const QString& typedName);
    static void setNextCancel();
    static void clearScript();
    // How many queued answers have not been taken yet.
    static int scriptedAnswersLeft();

    // "Description|pattern" pairs as the platform dialog's name filters: "Description (pattern)", joined by ";;".
    static QString nameFilters(const QString& filter);

private:
    // Shows the dialog with typedName in its name box; true with the name the user confirmed in typedName, false
    // when the user cancelled.
    bool ask(QWidget* parent, QString& typedName);
    // The typed name as a full path with the default extension; empty when the dialog would refuse it.
    QString acceptedPath(const QString& typedName, QWidget* parent) const;

    // The platform dialog, made at the first showing and shown again each time with its folder, filter and name set
    // afresh: making a new one for every showing grew the program by some kilobytes each time.
    QFileDialog& dialog(QWidget* parent);

    Options options_;
    QString fileName_;
    // Owned here, and by its parent window as Qt does: whichever goes first takes it along.
    QPointer<QFileDialog> dialog_;
};

} // namespace karte
