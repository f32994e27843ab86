#include "filedialogs.h"

#include "messagebox.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

#include <deque>
#include <optional>

namespace karte {

namespace {

// A queued answer: a typed name, or nullopt for a cancel.
using ScriptedAnswer = std::optional<QString>;

struct Script
{
    bool active = false;
    std::deque<ScriptedAnswer> answers;
};

Script& script()
{
    static Script queued;
    return queued;
}

// Every dialog starts in the folder where the last one was confirmed, as the platform's dialogs did when they
// moved the program's working folder; the first starts in the working folder itself.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString startFolder()
{
    return lastFolder().isEmpty() ? QDir::currentPath() : lastFolder();
}

QLineEdit* nameBoxOf(QFileDialog& dialog)
{
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// The name box's completion list is a popup window of its own. Left open by a name typed and confirmed with Enter
// while it showed, it outlived the dialog, which is kept for the next showing: it stayed over the main window and
// took the user's next click or key to close itself. It closes with the dialog, however the dialog closes.
void closeCompletionListWithDialog(QFileDialog& dialog)
{
    QLineEdit* nameBox = nameBoxOf(dialog);
    QCompleter* completer = nameBox ? nameBox->completer() : nullptr;
    if (completer && completer->popup())
        QObject::connect(&dialog, &QDialog::finished, completer->popup(), &QWidget::hide);
}

} // namespace

FileDialog::FileDialog(Options options)
    : options_(std::move(options))
{
}

FileDialog::~FileDialog()
{
    delete dialog_.data();
}

QFileDialog& FileDialog::dialog(QWidget* parent)
{
    if (!dialog_) {
        dialog_ = new QFileDialog(parent, options_.title);
        dialog_->setAcceptMode(options_.mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog_->setFileMode(options_.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        // The overwrite question is asked below, the same way for every name, so the dialog must not ask it too.
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
        closeCompletionListWithDialog(*dialog_);
    } else if (dialog_->parentWidget() != parent) {
        dialog_->setParent(parent, dialog_->windowFlags());
    }
    return *dialog_;
}

void FileDialog::setNextFileName(const QString& typedName)
{
    script().active = true;
    script().answers.emplace_back(typedName);
}

void FileDialog::setNextCancel()
{
    script().active = true;
    script().answers.emplace_back(std::nullopt);
}

void FileDialog::clearScript()
{
    script() = Script {};
}

int FileDialog::scriptedAnswersLeft()
{
    return static_cast<int>(script().answers.size());
}

QString FileDialog::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Patterns are separated by semicolons in the program's filters and by blanks in the platform's.
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts[i] + QLatin1String(" (") + patterns.simplified() + QLatin1Char(')'));
    }
    return filters.join(QLatin1String(";;"));
}

bool FileDialog::execute(QWidget* parent)
{
    // A refused name stays in the name box when the dialog comes back, as it does in a dialog that stays open.
    QString typedName = fileName_;
    for (;;) {
        if (!ask(parent, typedName))
            return false;
        const QString path = acceptedPath(typedName, parent);
        if (path.isEmpty())
            continue;
        fileName_ = path;
        lastFolder() = QFileInfo(path).absolutePath();
        return true;
    }
}

bool FileDialog::ask(QWidget* parent, QString& typedName)
{
    if (script().active) {
        if (script().answers.empty())
            return false;
        const ScriptedAnswer answer = script().answers.front();
        script().answers.pop_front();
        if (!answer)
            return false;
        typedName = *answer;
        return true;
    }

    QFileDialog& shown = dialog(parent);
    if (shown.directory() != QDir(startFolder()))
        shown.setDirectory(startFolder());
    shown.setHistory({});
    if (shown.nameFilters() != QStringList { nameFilters(options_.filter) })
        shown.setNameFilter(nameFilters(options_.filter));
    shown.setDefaultSuffix(options_.defaultSuffix);
    // The name box holds what was typed last time unless it is cleared.
    if (QLineEdit* nameBox = nameBoxOf(shown))
        nameBox->clear();
    if (!typedName.isEmpty())
        shown.selectFile(typedName);
    if (shown.exec() != QDialog::Accepted || shown.selectedFiles().isEmpty())
        return false;
    typedName = shown.selectedFiles().constFirst();
    return !typedName.isEmpty();
}

QString FileDialog::acceptedPath(const QString& typedName, QWidget* parent) const
{
    if (typedName.trimmed().isEmpty())
        return {};
    QFileInfo file(QDir(startFolder()), typedName);
    if (file.isDir())
        return {};
    // A name that ends in a dot asks for no extension at all.
    if (!options_.defaultSuffix.isEmpty() && file.suffix().isEmpty() && !file.fileName().endsWith(QLatin1Char('.')))
        file.setFile(file.filePath() + QLatin1Char('.') + options_.defaultSuffix);
    const QString path = QDir::cleanPath(file.absoluteFilePath());
    if (options_.fileMustExist && !file.exists())
        return {};
    if (options_.confirmOverwrite && file.exists()) {
        MessageRequest question;
        question.title = options_.title;
        question.text = file.fileName() + QLatin1String(" already exists.\nDo you want to replace it?");
        question.icon = QMessageBox::Warning;
        question.buttons = QMessageBox::Yes | QMessageBox::No;
        question.defaultButton = QMessageBox::No;
        if (MessageBoxes::ask(question, parent) != QMessageBox::Yes)
            return {};
    }
    return path;
}

} // namespace karte
