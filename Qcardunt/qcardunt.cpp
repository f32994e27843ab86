#include "qcardunt.h"

bool DrillFlag = false;
bool FontSaveEnabled = false;
QString CardSetFileName;
TForm1* Form1 = nullptr;
