#pragma once

struct QMetaObject;

namespace karte {

// Has a screen reader take the windows of a class for the windows they are: Qt reads a plain QWidget window as a
// filler, whose showing a screen reader misses (its flat review then finds nothing in it).
void readAsWindow(const QMetaObject& windowClass);

} // namespace karte
