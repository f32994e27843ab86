#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFormQCustom;
}

// The custom card editor, in which the user adds, edits and deletes the cards of a set of their own.
// It is created hidden at start-up and lives until the program ends.
class TFormQCustom : public QWidget
{
    Q_OBJECT

public:
    explicit TFormQCustom(QWidget* parent = nullptr);
    ~TFormQCustom() override;

    std::unique_ptr<Ui::TFormQCustom> ui;
};

extern TFormQCustom* FormQCustom;
