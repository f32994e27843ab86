#include "screenpixels.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace karte {

namespace {

// Where the screen reader's bridge answers for the program's objects on the accessibility bus, and the name of the
// connection it answers on.
const QString kObjectPath = QStringLiteral("/org/a11y/atspi/accessible");
const QString kConnectionName = QStringLiteral("a11y");
// AT-SPI's coordinate types: of the screen, or of the object's window.
constexpr uint kWindowCoordinates = 1;

QScreen* screenOf(const QAccessibleInterface* interface)
{
    if (const auto* widget = qobject_cast<const QWidget*>(interface->object()))
        return widget->screen();
    if (QWindow* window = interface->window())
        return window->screen();
    return QGuiApplication::primaryScreen();
}

// A rectangle in the program's pixels as the screen has it: a screen keeps its place, and everything on it is scaled
// by the screen's factor from there.
QRect toScreenPixels(const QRect& rect, const QScreen* screen)
{
    if (!screen || rect.isNull())
        return rect;
    const qreal factor = screen->devicePixelRatio();
    const QPoint origin = screen->geometry().topLeft();
    const QPointF topLeft = QPointF(origin) + QPointF(rect.topLeft() - origin) * factor;
    return QRect(topLeft.toPoint(), (QSizeF(rect.size()) * factor).toSize());
}

QPoint toProgramPixels(const QPoint& point, const QScreen* screen)
{
    if (!screen)
        return point;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (QPointF(point - origin) / screen->devicePixelRatio()).toPoint();
}

QRect windowRect(const QAccessibleInterface* interface)
{
    const QAccessibleInterface* top = interface;
    while (top->parent() && top->parent()->role() != QAccessible::Application)
        top = top->parent();
    return top->rect();
}

// Answers the requests for positions and sizes in the screen's pixels and hands every other request to the bridge.
class ScreenPixelAnswers : public QDBusVirtualObject
{
public:
    explicit ScreenPixelAnswers(QDBusVirtualObject* bridge)
        : QDBusVirtualObject(bridge)
        , bridge_(bridge)
    {
    }

    QString introspect(const QString& path) const override { return bridge_ ? bridge_->introspect(path) : QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QAccessibleInterface* interface = interfaceAt(message.path());
        if (interface && interface->isValid() && answer(*interface, message, connection))
            return true;
        return bridge_ && bridge_->handleMessage(message, connection);
    }

private:
    static QAccessibleInterface* interfaceAt(const QString& path)
    {
        bool number = false;
        const QAccessible::Id id = path.section(QLatin1Char('/'), -1).toUInt(&number);
        return number ? QAccessible::accessibleInterface(id) : nullptr;
    }

    // The extents as the bridge works them out, in the program's pixels, then in the screen's.
    static QRect extents(const QAccessibleInterface& interface, const QRect& rect, uint coordinates)
    {
        QScreen* screen = screenOf(&interface);
        QRect shown = toScreenPixels(rect, screen);
        if (coordinates == kWindowCoordinates)
            shown.translate(-toScreenPixels(windowRect(&interface), screen).topLeft());
        return shown;
    }

    bool answer(QAccessibleInterface& interface, const QDBusMessage& message, const QDBusConnection& connection)
    {
        const QString member = message.member();
        const QList<QVariant> arguments = message.arguments();
        if (message.interface() == QLatin1String("org.a11y.atspi.Component")) {
            if (member == QLatin1String("GetExtents") && arguments.size() == 1) {
                const QRect rect = extents(interface, interface.rect(), arguments.at(0).toUInt());
                return connection.send(message.createReply(QVariant::fromValue(rect)));
            }
            if (member == QLatin1String("GetPosition") && arguments.size() == 1) {
                const QRect rect = extents(interface, interface.rect(), arguments.at(0).toUInt());
                return connection.send(message.createReply(QVariantList { rect.x(), rect.y() }));
            }
            if (member == QLatin1String("GetSize")) {
                const QRect rect = extents(interface, interface.rect(), 0);
                return connection.send(message.createReply(QVariantList { rect.width(), rect.height() }));
            }
            if (member == QLatin1String("Contains") && arguments.size() == 3) {
                const QRect rect = extents(interface, interface.rect(), arguments.at(2).toUInt());
                const bool inside = rect.contains(arguments.at(0).toInt(), arguments.at(1).toInt());
                return connection.send(message.createReply(inside));
            }
            return false;
        }
        QAccessibleTextInterface* text = interface.textInterface();
        if (!text || message.interface() != QLatin1String("org.a11y.atspi.Text"))
            return false;
        if (member == QLatin1String("GetCharacterExtents") && arguments.size() == 2) {
            const QRect rect
                = extents(interface, text->characterRect(arguments.at(0).toInt()), arguments.at(1).toUInt());
            return connection.send(
                message.createReply(QVariantList { rect.x(), rect.y(), rect.width(), rect.height() }));
        }
        if (member == QLatin1String("GetRangeExtents") && arguments.size() == 3) {
            QRect united;
            for (int offset = arguments.at(0).toInt(); offset < arguments.at(1).toInt(); ++offset)
                united |= text->characterRect(offset);
            return connection.send(
                message.createReply(QVariant::fromValue(extents(interface, united, arguments.at(2).toUInt()))));
        }
        if (member == QLatin1String("GetOffsetAtPoint") && arguments.size() == 3) {
            QPoint point(arguments.at(0).toInt(), arguments.at(1).toInt());
            QScreen* screen = screenOf(&interface);
            if (arguments.at(2).toUInt() == kWindowCoordinates)
                point += toScreenPixels(windowRect(&interface), screen).topLeft();
            return connection.send(message.createReply(text->offsetAtPoint(toProgramPixels(point, screen))));
        }
        return false;
    }

    QPointer<QDBusVirtualObject> bridge_;
};

bool scaled()
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (!qFuzzyCompare(screen->devicePixelRatio(), 1.0))
            return true;
    return false;
}

// Puts the answers in front of the bridge once it answers on the bus; the bridge connects when a screen reader
// turns accessibility on, which may be after the program started.
void placeInFrontOfBridge()
{
    QDBusConnection bus(kConnectionName);
    if (!bus.isConnected())
        return;
    static QPointer<QObject> placed;
    QObject* registered = bus.objectRegisteredAt(kObjectPath);
    auto* bridge = qobject_cast<QDBusVirtualObject*>(registered);
    if (!bridge || registered == placed)
        return;
    auto* answers = new ScreenPixelAnswers(bridge);
    bus.unregisterObject(kObjectPath);
    if (bus.registerVirtualObject(kObjectPath, answers, QDBusConnection::SubPath)) {
        placed = answers;
        return;
    }
    delete answers;
    bus.registerVirtualObject(kObjectPath, bridge, QDBusConnection::SubPath);
}

class ActivationWatch : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            QTimer::singleShot(0, qApp, placeInFrontOfBridge);
    }
};

} // namespace

void answerInScreenPixels()
{
    if (!scaled())
        return;
    static ActivationWatch watch;
    static const bool installed = [] {
        QAccessible::installActivationObserver(&watch);
        return true;
    }();
    Q_UNUSED(installed);
    QTimer::singleShot(0, qApp, placeInFrontOfBridge);
}

} // namespace karte
