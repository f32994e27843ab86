#pragma once

#include <QString>

class TForm1;

// The program-wide state kept by the main window's unit. All of it is zero when the program starts.

// True: the next ">" reveals the English side; false: it moves on to the next card.
extern bool DrillFlag;
// SaveFont writes the display font into the open card set only while this is true.
extern bool FontSaveEnabled;
// The user card set last chosen with New or Open, as a full path.
extern QString CardSetFileName;

// The main window, created first at start-up; it lives until the program ends.
extern TForm1* Form1;
