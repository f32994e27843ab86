#pragma once

#include <QProxyStyle>

namespace karte {

// The platform's style with one change: the arrow keys in a menu stop at an unavailable item too, rather than
// skip it. A screen reader then reads it, as unavailable, so a user who cannot see the greyed-out item still
// learns that the command exists. Choosing it does nothing, as before.
class ProgramStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
        QStyleHintReturn* returnData = nullptr) const override;
};

} // namespace karte
