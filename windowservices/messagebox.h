#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace karte {

// Every message box the program shows goes through here, so that tests can answer it and the start-up failure
// box can be recorded by a test that runs the real program.
struct MessageRequest
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class MessageBoxes
{
public:
    using Responder = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

    // Shows the box modally and gives back the button pressed; with a responder installed, asks it instead.
    static QMessageBox::StandardButton ask(const MessageRequest& request, QWidget* parent = nullptr);
    // Replaces the boxes by a responder, or brings them back with an empty one.
    static void setResponder(Responder responder);
    // When the environment names a file in KARTE_MESSAGE_LOG, boxes are not shown: each is written to that file
    // (title, a tab, the text with its line breaks as "\n", a line break) and answered with its default button.
    // Only tests that run the real program set it.
    static void installLogResponderFromEnvironment();
};

} // namespace karte
