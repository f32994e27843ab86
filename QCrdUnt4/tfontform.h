#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFontForm;
}

// The font chooser, which changes the face and size of the card texts while the main window stays usable.
// It is created hidden at start-up and lives until the program ends.
class TFontForm : public QWidget
{
    Q_OBJECT

public:
    explicit TFontForm(QWidget* parent = nullptr);
    ~TFontForm() override;

    std::unique_ptr<Ui::TFontForm> ui;
};

extern TFontForm* FontForm;
