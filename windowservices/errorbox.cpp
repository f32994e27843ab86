#include "errorbox.h"

#include "errors.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace karte {

namespace {

QString& title()
{
    static QString applicationTitle;
    return applicationTitle;
}

QString withFullStop(const char* message)
{
    QString text = QString::fromUtf8(message);
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

const char* kindOf(const std::exception& error)
{
    if (const auto* programError = dynamic_cast<const cardstore::Error*>(&error))
        return programError->kind();
    return "Exception";
}

} // namespace

QString applicationTitle()
{
    return title();
}

void setApplicationTitle(const QString& newTitle)
{
    title() = newTitle;
}

QString errorMessageText(const std::exception& error)
{
    return withFullStop(error.what());
}

void showException(const std::exception& error)
{
    if (dynamic_cast<const cardstore::Abort*>(&error))
        return;
    MessageBoxes::ask(
        { applicationTitle(), errorMessageText(error), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok });
}

QString applicationErrorText(const std::exception& error, const QString& moduleName, const void* address)
{
    return QString::asprintf("Exception %s in module %s at %p.", kindOf(error), qPrintable(moduleName), address)
        + QLatin1Char('\n') + withFullStop(error.what());
}

void showApplicationError(const std::exception& error, const void* address)
{
    QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    MessageBoxes::ask({ QStringLiteral("Application Error"), applicationErrorText(error, module, address),
        QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok });
}

} // namespace karte
