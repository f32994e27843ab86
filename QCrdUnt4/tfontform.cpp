#include "tfontform.h"

#include "ui_tfontform.h"
#include "windowscaling.h"

TFontForm* FontForm = nullptr;

TFontForm::TFontForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TFontForm>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this);
}

TFontForm::~TFontForm() = default;
