#include "helpviewer.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace karte {

namespace {

HelpViewer::Responder& responder()
{
    static HelpViewer::Responder installed;
    return installed;
}

QPointer<HelpWindow>& openWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

void HelpViewer::showContents(const QString& file, QWidget* owner)
{
    if (responder()) {
        responder()({ file, owner });
        return;
    }
    HelpWindow* window = HelpWindow::current();
    if (!window) {
        window = new HelpWindow;
        openWindow() = window;
    }
    window->showDocument(file);
    window->show();
    window->raise();
    window->activateWindow();
}

void HelpViewer::setResponder(Responder newResponder)
{
    responder() = std::move(newResponder);
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    // The viewer is a window of its own beside the program: it closes for good, and it neither keeps the program
    // running when the main window has closed nor outlives the application object.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);

    // Esc closes the viewer, as Alt+F4 does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);

    QSize size(720, 760);
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

HelpWindow* HelpWindow::current()
{
    return openWindow();
}

void HelpWindow::showDocument(const QString& file)
{
    const QFileInfo info(file);
    if (info.isFile() && info.isReadable()) {
        browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? info.fileName() : title);
        return;
    }
    browser_->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> could not be found.</p>")
                          .arg(file.toHtmlEscaped()));
    setWindowTitle(QStringLiteral("Help"));
}

} // namespace karte
