#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <utility>

namespace karte {

// The application's title: the title of the error box, set once at start-up.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The error box's text for a failure: its message, with a full stop added when it has none.
QString errorMessageText(const std::exception& error);
// Shows a failure that escaped an event handler in the error box (stop icon, one OK button); a silent abort
// shows nothing. This is the one place where the program reports its errors while it runs.
void showException(const std::exception& error);

// The text of the last-resort "Application Error" box for a failure during start-up: the error's kind, the
// program file's name and a code address, then the message on its own line.
QString applicationErrorText(const std::exception& error, const QString& moduleName, const void* address);
void showApplicationError(const std::exception& error, const void* address);

// Runs an event handler so that a failure ends the handler, not the program: the failure is shown in the error
// box and control goes back to the event loop. Every handler that Qt calls through a signal or an event filter
// runs inside this, because an error must not travel through Qt's signal delivery.
template <typename Handler> void guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        showException(error);
    }
}

// Runs handler as guarded does, then afterwards, whether the handler succeeded or failed; a failure is shown once
// afterwards has run, so that the error box stands over what afterwards put right (a window enabled again).
template <typename Handler, typename Afterwards> void guardedThen(Handler&& handler, const Afterwards& afterwards)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        afterwards();
        showException(error);
        return;
    }
    afterwards();
}

// Connects a signal to a handler that runs guarded. The signal's arguments are not passed on.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(const Sender* sender, Signal signal, const QObject* context, Handler handler)
{
    return QObject::connect(sender, signal, context, [handler = std::move(handler)] { guarded(handler); });
}

// Connects a signal to one of a window's event handlers, which is told the control the signal came from.
template <typename Sender, typename Signal, typename Window>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, Window* window, void (Window::*handler)(QObject*))
{
    return connectGuarded(sender, signal, window, [sender, window, handler] { (window->*handler)(sender); });
}

} // namespace karte
