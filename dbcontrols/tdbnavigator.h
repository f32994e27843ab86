#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class TDataSource;

namespace karte {

// The clock behind the auto-repeat of the navigator's Prior and Next buttons: once started it runs timeout after
// the given time and keeps running it at that interval until stopped or started again. The navigator runs on a
// QTimer; tests put in one they advance by hand.
class RepeatTimer
{
public:
    virtual ~RepeatTimer() = default;
    virtual void start(int milliseconds) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    std::function<void()> timeout;
};

} // namespace karte

// The record navigator bar: a row of buttons that move through the cards of its data source, start a new card,
// delete, post, cancel, edit and re-read. The buttons are enabled by what the table allows at the moment. Every
// move, new card and re-read posts or abandons a card being edited first (the table's browse-mode check).
//
// The buttons take no focus, so typing stays in the text box the user was in and the Tab key passes the bar by; the
// keyboard presses them with their keys (Alt+PgDown for the next record, and so on: key()).
class TDBNavigator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Buttons visibleButtons READ visibleButtons WRITE setVisibleButtons)

public:
    enum Button {
        First = 0x001,
        Prior = 0x002,
        Next = 0x004,
        Last = 0x008,
        Insert = 0x010,
        Delete = 0x020,
        Edit = 0x040,
        Post = 0x080,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    Q_FLAG(Buttons)

    static constexpr int kButtonCount = 10;
    // The auto-repeat of Prior and Next: the first extra move this long after the press, then one each interval.
    static constexpr int kInitialRepeatPause = 400;
    static constexpr int kRepeatPause = 100;

    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const { return source_; }
    // The buttons shown, side by side in the order of the enumeration, sharing the bar's width.
    void setVisibleButtons(Buttons buttons);
    Buttons visibleButtons() const { return visible_; }

    QAbstractButton* button(Button which) const;
    // The hint text attached to a button. Hints are never shown.
    static QString hint(Button which);
    // The key that presses a button shown and enabled, as a click does; empty for Edit and Cancel.
    static QKeySequence key(Button which);

    // The action of a button, as a click runs it; nothing happens while the data source has no open set.
    // Delete asks for confirmation first. Failures of the table operation are raised to the caller.
    void BtnClick(Button which);

    // Replaces the clock of the auto-repeat.
    void setRepeatTimer(std::unique_ptr<karte::RepeatTimer> timer);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class NavButton;
    friend class NavButton;

    void updateButtons();
    void layoutButtons();
    void startRepeat(Button which);
    void stopRepeat();
    void repeatTimerExpired();

    QPointer<TDataSource> source_;
    Buttons visible_;
    std::array<NavButton*, kButtonCount> buttons_ {};
    std::unique_ptr<karte::RepeatTimer> repeatTimer_;
    Button repeating_ = Prior;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDBNavigator::Buttons)
