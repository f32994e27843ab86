#pragma once

#include "openings.h"

#include <QFont>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class TFormQCustom;
}
namespace windowtest {
struct FormAccess;
}

class TDataSource;

// The custom card editor, in which the user adds, changes and deletes the cards of the open set. Its three text
// boxes and its navigator bar are bound to the main window's data source, so they show the card the main window
// shows, and every change goes straight into the open set.
//
// It is created hidden at start-up, after the main window, and lives until the program ends. The main window
// opens it (ButtonAddClick) and stays disabled until the editor says it is closed, however it was hidden.
class TFormQCustom : public QWidget
{
    Q_OBJECT

public:
    explicit TFormQCustom(QWidget* parent = nullptr);
    ~TFormQCustom() override;

    // Runs each time the editor is shown, before it becomes visible: the word box takes the card's Greek face and
    // size, the English box the size.
    void FormShow(QObject* sender);

    // What the main window hands over: the data source the controls are bound to, and the face and size of its
    // Greek card text, which the word box takes at the next showing.
    void setDataSource(TDataSource* source);
    void setCardFace(const QFont& face) { cardFace_ = face; }

Q_SIGNALS:
    // The editor was hidden, by the user or the program: the cards may have changed.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc closes the editor, as the window manager's close does; in a text box the first Esc puts back what the
    // card holds, and the second closes.
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend struct windowtest::FormAccess;
    // Says the card the navigator brought up to a screen reader: its sides and place, or that a card is begun.
    void announceCard();
    std::unique_ptr<Ui::TFormQCustom> ui;
    std::optional<QFont> cardFace_;
    TDataSource* source_ = nullptr;
    // Last, so that it stops watching before the members above go.
    karte::Openings openings_ { this, [this] { FormShow(this); }, {} };
};

extern TFormQCustom* FormQCustom;
