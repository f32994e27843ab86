#pragma once

#include <QApplication>
#include <QString>

namespace karte {

// The program's application object. Besides running the event loop it is the last line of defence for errors:
// a failure that escapes an event handler Qt delivered is shown in the error box and the loop goes on.
// Its windows are drawn in the program's style (ProgramStyle).
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The bundled help document, fixed at start-up.
    static QString helpFile();
    static void setHelpFile(const QString& path);
    // Where the help document is installed beside the program: <program directory>/../share/karte/help.
    static QString bundledHelpFile();
};

// The card texts name their faces as the card sets store them ("Greek Parse" above all). Where such a face is
// not installed it is replaced by one that draws every polytonic Greek letter, so a Greek card never shows boxes.
void installFontSubstitutions();

} // namespace karte
