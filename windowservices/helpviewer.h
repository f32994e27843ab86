#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QTextBrowser;

namespace karte {

// What the program asks of the help viewer: the contents page of a help document, on behalf of a window.
struct HelpRequest
{
    QString file;
    QPointer<QWidget> owner;
};

// Stands in for the platform's help viewer. The program hands it the help file's name and goes on; whatever the
// viewer then finds (a missing file, say) it reports in its own window, never through the program's message boxes.
class HelpViewer
{
public:
    using Responder = std::function<void(const HelpRequest&)>;

    // Opens the viewer's window on the contents of file, or brings it to the front if it is already open.
    static void showContents(const QString& file, QWidget* owner = nullptr);
    // Hands the requests to a responder instead of opening the window, so that tests can see them; an empty
    // responder brings the window back.
    static void setResponder(Responder responder);
};

// The viewer's window: the help document in a browser that follows the document's own links.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The open window, or null while there is none.
    static HelpWindow* current();

    void showDocument(const QString& file);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace karte
