#include "tdbnavigator.h"

#include "errorbox.h"
#include "messagebox.h"
#include "table.h"
#include "tdatasource.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <bit>

// The glyphs live in a resource file of this library, which a static library has to register by hand.
static void initNavigatorResources()
{
    Q_INIT_RESOURCE(navigator);
}

namespace {

struct ButtonLook
{
    const char* glyph;
    const char* hint;
    // The key that presses the button; none for Edit and Cancel, which typing and Esc in a text box stand for.
    const char* key;
};

// In the order of TDBNavigator::Button. The keys are free in a text box, where the keyboard is while the bar is
// used.
constexpr std::array<ButtonLook, TDBNavigator::kButtonCount> kLooks { {
    { "first", "First record", "Alt+Home" },
    { "prior", "Prior record", "Alt+PgUp" },
    { "next", "Next record", "Alt+PgDown" },
    { "last", "Last record", "Alt+End" },
    { "insert", "Insert record", "Alt+Ins" },
    { "delete", "Delete record", "Alt+Del" },
    { "edit", "Edit record", "" },
    { "post", "Post edit", "Ctrl+S" },
    { "cancel", "Cancel edit", "" },
    { "refresh", "Refresh data", "F5" },
} };

int indexOf(TDBNavigator::Button which)
{
    return std::countr_zero(static_cast<unsigned>(which));
}

TDBNavigator::Button buttonAt(int index)
{
    return static_cast<TDBNavigator::Button>(1u << index);
}

class QtRepeatTimer : public karte::RepeatTimer
{
public:
    QtRepeatTimer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (timeout)
                timeout();
        });
    }
    void start(int milliseconds) override { timer_.start(milliseconds); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

} // namespace

// A button of the bar. Prior and Next repeat while they are held down.
class TDBNavigator::NavButton : public QToolButton
{
public:
    NavButton(TDBNavigator* bar, Button which)
        : QToolButton(bar)
        , bar_(bar)
        , which_(which)
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QToolButton::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && isDown() && (which_ == Prior || which_ == Next))
            bar_->startRepeat(which_);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            bar_->stopRepeat();
        // The release over the button makes its usual move.
        QToolButton::mouseReleaseEvent(event);
    }

    void changeEvent(QEvent* event) override
    {
        // A button disabled while held (Next on reaching the last card) is let go: it gets no release.
        if (event->type() == QEvent::EnabledChange && !isEnabled() && bar_->repeating_ == which_)
            bar_->stopRepeat();
        QToolButton::changeEvent(event);
    }

private:
    TDBNavigator* bar_;
    Button which_;
};

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent)
    , visible_(First | Prior | Next | Last | Insert | Delete | Edit | Post | Cancel | Refresh)
{
    initNavigatorResources();
    setRepeatTimer(std::make_unique<QtRepeatTimer>());
    setFocusPolicy(Qt::NoFocus);
    for (int index = 0; index < kButtonCount; ++index) {
        const Button which = buttonAt(index);
        auto* button = new NavButton(this, which);
        button->setFocusPolicy(Qt::NoFocus);
        const QString glyph = QStringLiteral(":/karte/navigator/%1").arg(QLatin1String(kLooks[index].glyph));
        QIcon icon;
        icon.addFile(glyph + QStringLiteral(".png"), QSize(), QIcon::Normal);
        icon.addFile(glyph + QStringLiteral("-disabled.png"), QSize(), QIcon::Disabled);
        button->setIcon(icon);
        button->setIconSize(icon.availableSizes().value(0, QSize(14, 13)));
        // The hint is attached but the bar never shows hints; a screen reader reads it as the glyph's name, and
        // the key, which presses the button as a click does, as its shortcut.
        button->setShortcut(key(which));
        button->setToolTip(key(which).isEmpty()
                ? hint(which)
                : QStringLiteral("%1 (%2)").arg(hint(which), key(which).toString(QKeySequence::NativeText)));
        button->setAccessibleName(hint(which));
        button->installEventFilter(this);
        button->setEnabled(false);
        karte::connectGuarded(button, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        buttons_[static_cast<std::size_t>(index)] = button;
    }
}

TDBNavigator::~TDBNavigator() = default;

void TDBNavigator::setDataSource(TDataSource* source)
{
    if (source_ == source)
        return;
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        // The engine tells of a new card, a post and a cancel as a data change, of an edit as a state change.
        connect(source_, &TDataSource::dataChanged, this, &TDBNavigator::updateButtons);
        connect(source_, &TDataSource::stateChanged, this, &TDBNavigator::updateButtons);
    }
    updateButtons();
}

void TDBNavigator::setVisibleButtons(Buttons buttons)
{
    visible_ = buttons;
    for (int index = 0; index < kButtonCount; ++index)
        buttons_[static_cast<std::size_t>(index)]->setVisible(visible_.testFlag(buttonAt(index)));
    layoutButtons();
}

QAbstractButton* TDBNavigator::button(Button which) const
{
    return buttons_[static_cast<std::size_t>(indexOf(which))];
}

QString TDBNavigator::hint(Button which)
{
    return QString::fromLatin1(kLooks[static_cast<std::size_t>(indexOf(which))].hint);
}

QKeySequence TDBNavigator::key(Button which)
{
    return QKeySequence(QString::fromLatin1(kLooks[static_cast<std::size_t>(indexOf(which))].key));
}

void TDBNavigator::updateButtons()
{
    const cardstore::Table* table = source_ && source_->active() ? source_->dataSet() : nullptr;
    const bool up = table && !table->bof();
    const bool down = table && !table->eof();
    const bool canModify = table && table->canModify();
    const bool editing = table
        && (table->state() == cardstore::DataSetState::Edit || table->state() == cardstore::DataSetState::Insert);
    const bool empty = table && table->bof() && table->eof();
    button(First)->setEnabled(up);
    button(Prior)->setEnabled(up);
    button(Next)->setEnabled(down);
    button(Last)->setEnabled(down);
    button(Insert)->setEnabled(canModify);
    button(Delete)->setEnabled(canModify && !empty);
    button(Edit)->setEnabled(canModify && !editing);
    button(Post)->setEnabled(canModify && editing);
    button(Cancel)->setEnabled(canModify && editing);
    button(Refresh)->setEnabled(table != nullptr);
}

void TDBNavigator::layoutButtons()
{
    int shown = 0;
    for (NavButton* button : buttons_)
        shown += button->isVisibleTo(this) ? 1 : 0;
    if (shown == 0)
        return;
    // Equal shares of the width; the pixels left over from the division go one each to the buttons spread along.
    int place = 0;
    for (NavButton* button : buttons_) {
        if (!button->isVisibleTo(this))
            continue;
        const int left = place * width() / shown;
        const int right = (place + 1) * width() / shown;
        button->setGeometry(left, 0, right - left, height());
        ++place;
    }
}

void TDBNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

bool TDBNavigator::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return true;
    return QWidget::eventFilter(watched, event);
}

void TDBNavigator::BtnClick(Button which)
{
    if (!source_ || !source_->active())
        return;
    cardstore::Table& table = *source_->dataSet();
    switch (which) {
    case First:
        table.first();
        break;
    case Prior:
        table.prior();
        break;
    case Next:
        table.next();
        break;
    case Last:
        table.last();
        break;
    case Insert:
        table.insert();
        break;
    case Delete:
        if (karte::MessageBoxes::ask({ QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok })
            == QMessageBox::Ok)
            table.deleteRecord();
        break;
    case Edit:
        table.edit();
        break;
    case Post:
        table.post();
        break;
    case Cancel:
        table.cancel();
        break;
    case Refresh:
        table.refresh();
        break;
    }
}

void TDBNavigator::setRepeatTimer(std::unique_ptr<karte::RepeatTimer> timer)
{
    if (repeatTimer_)
        repeatTimer_->stop();
    repeatTimer_ = std::move(timer);
    repeatTimer_->timeout = [this] { repeatTimerExpired(); };
}

void TDBNavigator::startRepeat(Button which)
{
    repeating_ = which;
    repeatTimer_->start(kInitialRepeatPause);
}

void TDBNavigator::stopRepeat()
{
    repeatTimer_->stop();
}

void TDBNavigator::repeatTimerExpired()
{
    repeatTimer_->start(kRepeatPause);
    // Held down but dragged off the button: no move until the mouse is back over it.
    if (!button(repeating_)->isDown())
        return;
    try {
        BtnClick(repeating_);
    } catch (const std::exception& error) {
        repeatTimer_->stop();
        karte::showException(error);
    }
}
