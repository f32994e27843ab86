#include "contrast.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace karte {

namespace {

double linearChannel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

// The contrast the ink has against the ground it stands out from least.
double leastContrast(const QColor& ink, const QList<QColor>& grounds)
{
    double least = 21.0;
    for (const QColor& ground : grounds)
        least = std::min(least, contrastRatio(ink, ground));
    return least;
}

} // namespace

double relativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF())
        + 0.0722 * linearChannel(rgb.blueF());
}

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableInk(const QColor& ink, const QList<QColor>& grounds, double minimum)
{
    if (leastContrast(ink, grounds) >= minimum)
        return ink;
    // Lightness is tried in steps outward from the ink's own, both ways at once, so that the first that reads is the
    // nearest to what the layout asked for.
    const QColor hsl = ink.toHsl();
    const int steps = 200;
    const int own = qRound(hsl.lightnessF() * steps);
    QColor best = ink;
    double bestContrast = leastContrast(ink, grounds);
    for (int distance = 1; distance <= steps; ++distance) {
        for (const int step : { own + distance, own - distance }) {
            if (step < 0 || step > steps)
                continue;
            const QColor candidate
                = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), float(step) / steps, hsl.alphaF()).toRgb();
            const double contrast = leastContrast(candidate, grounds);
            if (contrast >= minimum)
                return candidate;
            if (contrast > bestContrast) {
                best = candidate;
                bestContrast = contrast;
            }
        }
    }
    return best;
}

bool isDarkPalette(const QPalette& palette)
{
    return relativeLuminance(palette.color(QPalette::Window)) < relativeLuminance(palette.color(QPalette::WindowText));
}

} // namespace karte
