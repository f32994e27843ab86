#include "application.h"

#include "accessiblelineedit.h"
#include "busywork.h"
#include "errorbox.h"
#include "programstyle.h"

#include <QDir>
#include <QFont>

namespace karte {

namespace {

QString& helpFilePath()
{
    static QString path;
    return path;
}

} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setStyle(new ProgramStyle);
    // Opening a protected set derives its key, a second's work: the windows stay painted and the cursor says so.
    deriveKeysWhileBusy();
    installAccessibleInterfaces();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error);
        return false;
    }
}

QString Application::helpFile()
{
    return helpFilePath();
}

void Application::setHelpFile(const QString& path)
{
    helpFilePath() = path;
}

QString Application::bundledHelpFile()
{
    return QDir::cleanPath(applicationDirPath() + QStringLiteral("/../share/karte/help/index.html"));
}

void installFontSubstitutions()
{
    const QStringList greekFaces { QStringLiteral("Gentium Plus"), QStringLiteral("GFS Didot"),
        QStringLiteral("DejaVu Serif"), QStringLiteral("DejaVu Sans") };
    QFont::insertSubstitutions(QStringLiteral("Greek Parse"), greekFaces);
    QFont::insertSubstitutions(QStringLiteral("greek"), greekFaces);
    // The windows are laid out for Times New Roman, named so or as the word list names it. Liberation Serif has its
    // measures, so the windows come out as designed whatever serif the system would choose; Tinos is the same
    // design under another name.
    const QStringList serifFaces { QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
        QStringLiteral("DejaVu Serif") };
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), serifFaces);
    QFont::insertSubstitutions(QStringLiteral("TimesNewRoman"), serifFaces);
}

} // namespace karte
