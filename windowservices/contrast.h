#pragma once

#include <QColor>
#include <QList>

class QPalette;

namespace karte {

// The least contrast between text and its ground that keeps the text readable to a user with low vision: the 4.5:1
// the Web Content Accessibility Guidelines ask of ordinary text (level AA).
constexpr double kReadableContrast = 4.5;

// The contrast the program gives the colours it adapts to the user's grounds: the 7:1 those guidelines ask for
// enhanced contrast. A style shades a ground somewhat lighter or darker than the palette's colour (a button's
// gradient), and 7:1 against the palette's colour still leaves the text kReadableContrast against the shades.
constexpr double kAdaptedContrast = 7.0;

// A colour's relative luminance as those guidelines define it: 0 for black, 1 for white.
double relativeLuminance(const QColor& colour);
// The contrast of two colours, from 1 (the same luminance) to 21 (black on white), whichever is the lighter.
double contrastRatio(const QColor& first, const QColor& second);

// The colour of ink's hue and saturation, lighter or darker than ink by the least that gives it the contrast asked
// for against every one of the grounds; ink itself when it has it already. Where no lightness gives it, the one that
// comes nearest.
QColor readableInk(const QColor& ink, const QList<QColor>& grounds, double minimum = kReadableContrast);

// Whether a palette draws light text on a dark ground.
bool isDarkPalette(const QPalette& palette);

} // namespace karte
