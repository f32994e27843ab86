#include "readablecolours.h"

#include "contrast.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QScopedValueRollback>
#include <QWidget>

namespace karte {

namespace {

constexpr QPalette::ColorGroup kGroups[] = { QPalette::Active, QPalette::Inactive, QPalette::Disabled };

// The roles text and glyphs are drawn in; a layout's other colours are grounds, bevels and highlights, which give
// way to the user's.
constexpr QPalette::ColorRole kInks[] = { QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
    QPalette::BrightText, QPalette::PlaceholderText, QPalette::ToolTipText };

QList<QColor> groundsOf(const QPalette& palette, QPalette::ColorGroup group)
{
    return { palette.color(group, QPalette::Window), palette.color(group, QPalette::Base),
        palette.color(group, QPalette::Button) };
}

bool isHighContrastStyle(const QStyle* style)
{
    while (style) {
        if (style->name().contains(QLatin1String("highcontrast"), Qt::CaseInsensitive))
            return true;
        const auto* proxy = qobject_cast<const QProxyStyle*>(style);
        style = proxy ? proxy->baseStyle() : nullptr;
    }
    return false;
}

// One control with colours of its own: what its layout gave it, and what it is given under the palette in force.
class LayoutColours : public QObject
{
public:
    explicit LayoutColours(QWidget* control)
        : QObject(control)
        , control_(control)
        , layout_(control->palette())
    {
        control->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The palette given here is itself a change, which is not answered.
        if (watched == control_ && !applying_
            && (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange
                || event->type() == QEvent::StyleChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        const QScopedValueRollback applying(applying_, true);
        if (!wantsReadableColours(QApplication::palette(control_), QApplication::style())) {
            control_->setPalette(layout_);
        } else {
            const QPalette user = QApplication::palette(control_);
            QPalette readable;
            for (const QPalette::ColorGroup group : kGroups)
                for (const QPalette::ColorRole role : kInks)
                    if (layout_.isBrushSet(group, role))
                        readable.setColor(group, role,
                            readableInk(layout_.color(group, role), groundsOf(user, group), kAdaptedContrast));
            control_->setPalette(readable);
        }
    }

    QPointer<QWidget> control_;
    QPalette layout_;
    bool applying_ = false;
};

} // namespace

bool wantsReadableColours(const QPalette& palette, const QStyle* style)
{
    return isDarkPalette(palette) || isHighContrastStyle(style);
}

bool wantsReadableColours()
{
    return wantsReadableColours(QApplication::palette(), QApplication::style());
}

void keepLayoutColoursReadable(QWidget* window)
{
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.prepend(window);
    for (QWidget* control : controls)
        if (control->testAttribute(Qt::WA_SetPalette))
            new LayoutColours(control);
}

QColor readableTextColour(const QColor& ink, const QPalette& palette)
{
    if (!wantsReadableColours(palette, QApplication::style()))
        return ink;
    return readableInk(ink, groundsOf(palette, QPalette::Active), kAdaptedContrast);
}

} // namespace karte
