#include "tformqcustom.h"

#include "ui_tformqcustom.h"
#include "windowscaling.h"

TFormQCustom* FormQCustom = nullptr;

TFormQCustom::TFormQCustom(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TFormQCustom>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this);
}

TFormQCustom::~TFormQCustom() = default;
