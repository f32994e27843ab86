#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TPasswordDialog;
}
namespace windowtest {
struct FormAccess;
}

// The table password prompt. The card table asks for it when it opens a protected card set whose password the
// session does not hold; what the user enters goes into the session's password list, and the table tries again.
// A prompt is made for one request and destroyed when it closes; the password list is all that outlasts it.
class TPasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TPasswordDialog(QWidget* parent = nullptr);
    // Overwrites the text left in the password box before the box goes.
    ~TPasswordDialog() override;

    // The enabling of the buttons, after every change of the password box's text.
    void EditChange(QObject* sender);
    void AddButtonClick(QObject* sender);
    void RemoveButtonClick(QObject* sender);
    void RemoveAllButtonClick(QObject* sender);
    void OKButtonClick(QObject* sender);

    // Whether a password has been added with Add during this prompt.
    bool passwordAdded() const { return passwordAdded_; }

private:
    friend struct windowtest::FormAccess;
    std::unique_ptr<Ui::TPasswordDialog> ui;

    void clearEdit();

    bool passwordAdded_ = false;
};

namespace karte {

// The password request: shows a fresh prompt modally, destroys it, and tells whether the user closed it with OK,
// in which case the open is to be tried again.
bool requestPassword();

// The prompt's text as the engine's password list takes it: UTF-8, cut to the longest password the engine
// accepts, counted in characters (code points) as the engine counts them.
std::string passwordForEngine(const QString& text);

} // namespace karte
