#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFormQCustom;
}

class TDataSource;

// The custom card editor, in which the user adds, changes and deletes the cards of the open set. Its three text
// boxes and its navigator bar are bound to the main window's data source, so they show the card the main window
// shows, and every change goes straight into the open set.
//
// It is created hidden at start-up, after the main window, and lives until the program ends. The main window
// opens it (ButtonAddClick) and stays disabled until it is closed again.
class TFormQCustom : public QWidget
{
    Q_OBJECT

public:
    // Binds the controls to the main window's data source when there is a main window (Form1).
    explicit TFormQCustom(QWidget* parent = nullptr);
    ~TFormQCustom() override;

    std::unique_ptr<Ui::TFormQCustom> ui;

    // Runs each time the editor is shown, before it becomes visible: the word box takes the card's Greek face and
    // size, the English box the size.
    void FormShow(QObject* sender);
    // Runs each time the editor is hidden: the main window's word list is refilled with the English side and the
    // main window enabled again.
    void FormHide(QObject* sender);

    void setDataSource(TDataSource* source);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TDataSource* source_ = nullptr;
    bool placed_ = false;
};

extern TFormQCustom* FormQCustom;
