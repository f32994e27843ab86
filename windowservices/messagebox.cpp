#include "messagebox.h"

#include <QFile>
#include <QTextStream>

namespace karte {

namespace {

MessageBoxes::Responder& responder()
{
    static MessageBoxes::Responder installed;
    return installed;
}

QMessageBox::StandardButton defaultAnswer(const MessageRequest& request)
{
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (QMessageBox::StandardButton button :
        { QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel })
        if (request.buttons.testFlag(button))
            return button;
    return QMessageBox::NoButton;
}

} // namespace

QMessageBox::StandardButton MessageBoxes::ask(const MessageRequest& request, QWidget* parent)
{
    if (responder())
        return responder()(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxes::setResponder(Responder newResponder)
{
    responder() = std::move(newResponder);
}

void MessageBoxes::installLogResponderFromEnvironment()
{
    const QString logPath = qEnvironmentVariable("KARTE_MESSAGE_LOG");
    if (logPath.isEmpty())
        return;
    setResponder([logPath](const MessageRequest& request) {
        QFile log(logPath);
        if (log.open(QIODevice::Append | QIODevice::Text)) {
            QString text = request.text;
            text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            QTextStream(&log) << request.title << '\t' << text << '\n';
        }
        return defaultAnswer(request);
    });
}

} // namespace karte
