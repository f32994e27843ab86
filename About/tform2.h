#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TForm2;
}

// The About box with the program's picture and the way to the help contents.
// It is created hidden at start-up and lives until the program ends.
class TForm2 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    std::unique_ptr<Ui::TForm2> ui;
};

extern TForm2* Form2;
