#include "tform2.h"

#include "ui_tform2.h"
#include "windowscaling.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this);
}

TForm2::~TForm2() = default;
