// The colours the layouts fix, measured on the windows as they are drawn: kept as the layout has them under an
// ordinary light palette, and at least 4.5:1 against their ground under a dark one, whether the program starts under
// it or the desktop changes to it while the program runs.
#include "contrast.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "ui_tform1.h"
#include "ui_tform2.h"
#include "ui_tformqcustom.h"
#include "windowtest.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QStyle>

#include <functional>

using namespace windowtest;

namespace {

// The colours of a dark desktop palette, as a colour-scheme tool hands them to the program: light text, dark grounds
// of three shades.
QPalette darkPalette()
{
    QPalette dark(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20));
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        { QPalette::WindowText, Qt::white },
        { QPalette::Text, Qt::white },
        { QPalette::ButtonText, Qt::white },
        { QPalette::Base, QColor(0x3d, 0x3d, 0x3d) },
        { QPalette::AlternateBase, QColor(0x5c, 0x5b, 0x5a) },
        { QPalette::Highlight, QColor(0x12, 0x60, 0x8a) },
        { QPalette::HighlightedText, QColor(0xf9, 0xf9, 0xf9) },
    };
    for (const auto& [role, colour] : roles)
        dark.setColor(role, colour);
    return dark;
}

// What is drawn in an area: its ground, the colour seen most along its edges (which text, centred in its control,
// does not reach), and its ink, the colour that stands out from the ground most.
struct Drawn
{
    QColor ground;
    QColor ink;
    double contrast = 1.0;
};

Drawn measure(const QImage& image)
{
    QHash<QRgb, int> edges;
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            seen.insert(pixel);
            if (x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1)
                ++edges[pixel];
        }
    Drawn drawn;
    int most = 0;
    for (auto it = edges.cbegin(); it != edges.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            drawn.ground = QColor::fromRgb(it.key());
        }
    drawn.ink = drawn.ground;
    for (const QRgb pixel : seen) {
        const double contrast = karte::contrastRatio(QColor::fromRgb(pixel), drawn.ground);
        if (contrast > drawn.contrast) {
            drawn.contrast = contrast;
            drawn.ink = QColor::fromRgb(pixel);
        }
    }
    return drawn;
}

std::string describe(const QColor& colour)
{
    return colour.name().toStdString();
}

// The program's windows with fixed colours, built under whatever palette is in force.
struct Windows
{
    TForm1* main = nullptr;
    TForm2* about = nullptr;
    TFormQCustom* editor = nullptr;
};

// An area of a window that shows text in a colour its layout fixes, in the window's coordinates.
struct Area
{
    QWidget* window;
    QRect rect;
};

Area inside(QWidget* window, QWidget* control, QMarginsF cut)
{
    const QRect whole(control->mapTo(window, QPoint()), control->size());
    const QRect part = whole.adjusted(qRound(whole.width() * cut.left()), qRound(whole.height() * cut.top()),
        -qRound(whole.width() * cut.right()), -qRound(whole.height() * cut.bottom()));
    return { window, part.adjusted(3, 3, -3, -3) };
}

// The band of the About picture that holds the line "New Testament Greek vocabulary": rows 166 to 180 of its 243.
Area aboutLine(Windows& windows)
{
    QLabel* picture = formOf(*windows.about).Image2;
    const QSize shown = picture->pixmap().size();
    const int top = (picture->height() - shown.height()) / 2;
    const QRect band(0, top + shown.height() * 166 / 243, picture->width(), shown.height() * 14 / 243);
    return { windows.about, QRect(picture->mapTo(windows.about, band.topLeft()), band.size()) };
}

struct FixedColour
{
    const char* what;
    std::function<Area(Windows&)> area;
    // The colour the layout draws it in; none for text the layout hides in the colour of its ground.
    std::optional<QColor> layoutInk;
};

const FixedColour kFixedColours[] = {
    { "status line", [](Windows& w) { return inside(w.main, formOf(*w.main).StatusPanel0, {}); }, QColor(0, 0, 128) },
    { "word list",
        [](Windows& w) {
            return inside(w.main, formOf(*w.main).FrequencyComboBox, { 0, 0, 0.4, 0 });
        },
        QColor(128, 0, 0) },
    { "frequency on the card", [](Windows& w) { return inside(w.main, formOf(*w.main).TextFrequency2, {}); },
        std::nullopt },
    { "About line", aboutLine, QColor(0, 128, 128) },
    { "About button face, its word",
        [](Windows& w) {
            return inside(w.about, formOf(*w.about).SpeedButton1, { 0.5, 0, 0, 0 });
        },
        Qt::black },
    { "editor caption", [](Windows& w) { return inside(w.editor, formOf(*w.editor).Label1, {}); }, Qt::black },
};

enum class Desktop { Light, Dark, DarkWhileRunning };

class ContrastTest : public MainWindowTest, public ::testing::WithParamInterface<Desktop>
{
protected:
    ContrastTest()
        : light_(QApplication::palette())
    {
        if (GetParam() == Desktop::Dark)
            QApplication::setPalette(darkPalette());
        installBuiltInSet(dataHome, threeCards());
        windows.main = &createForm();
        about_ = std::make_unique<TForm2>();
        editor_ = std::make_unique<TFormQCustom>();
        windows.about = about_.get();
        windows.editor = editor_.get();
        for (QWidget* window : { static_cast<QWidget*>(windows.main), static_cast<QWidget*>(windows.about),
                 static_cast<QWidget*>(windows.editor) })
            window->show();
        if (GetParam() == Desktop::DarkWhileRunning)
            QApplication::setPalette(darkPalette());
        QApplication::processEvents();
    }
    ~ContrastTest() override
    {
        editor_.reset();
        about_.reset();
        QApplication::setPalette(light_);
    }

    Windows windows;

private:
    QPalette light_;
    std::unique_ptr<TForm2> about_;
    std::unique_ptr<TFormQCustom> editor_;
};

TEST_P(ContrastTest, FixedColoursAreTheLayoutsOnALightDesktopAndReadableOnADarkOne)
{
    ASSERT_FALSE(formOf(*windows.main).TextFrequency2->text().isEmpty());
    for (const FixedColour& fixed : kFixedColours) {
        SCOPED_TRACE(fixed.what);
        const Area area = fixed.area(windows);
        ASSERT_FALSE(area.rect.isEmpty());
        const Drawn drawn = measure(area.window->grab(area.rect).toImage());
        SCOPED_TRACE("ground " + describe(drawn.ground) + ", ink " + describe(drawn.ink));
        if (!fixed.layoutInk) {
            EXPECT_LT(drawn.contrast, 1.1) << "the text the layout hides shows";
        } else if (GetParam() == Desktop::Light) {
            // Text is smoothed at its edges, so its ink is the layout's colour where the strokes are solid.
            EXPECT_LT(karte::contrastRatio(drawn.ink, *fixed.layoutInk), 1.2) << describe(*fixed.layoutInk);
            EXPECT_NEAR(drawn.ink.hslHue(), fixed.layoutInk->hslHue(), 15);
        } else {
            EXPECT_GE(drawn.contrast, karte::kReadableContrast);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, ContrastTest,
    ::testing::Values(Desktop::Light, Desktop::Dark, Desktop::DarkWhileRunning),
    [](const ::testing::TestParamInfo<Desktop>& info) {
        switch (info.param) {
        case Desktop::Light:
            return "Light";
        case Desktop::Dark:
            return "Dark";
        case Desktop::DarkWhileRunning:
            return "DarkWhileRunning";
        }
        return "";
    });

// The ink a dark desktop gets for a fixed colour: the layout's own where it reads already, else one of its hue that
// reads against every ground it may stand on.
TEST(ReadableInk, KeepsTheHueAndReachesTheContrastAgainstEveryGround)
{
    const struct
    {
        QColor ink;
        QList<QColor> grounds;
    } cases[] = {
        { QColor(0, 0, 128), { QColor(0x22, 0x20, 0x20), QColor(0x42, 0x42, 0x45), QColor(0x3d, 0x3d, 0x3d) } },
        { QColor(128, 0, 0), { QColor(0x22, 0x20, 0x20) } },
        { QColor(0, 128, 128), { QColor(0xc0, 0xc0, 0xc0) } },
        { QColor(0xff, 0xff, 0x80), { Qt::white } },
        { Qt::black, { Qt::black, QColor(0x30, 0x30, 0x30) } },
        { QColor(0, 0, 128), { Qt::white } },
    };
    for (const auto& [ink, grounds] : cases) {
        SCOPED_TRACE(describe(ink));
        const QColor readable = karte::readableInk(ink, grounds);
        for (const QColor& ground : grounds) {
            EXPECT_GE(karte::contrastRatio(readable, ground), karte::kReadableContrast) << describe(ground);
        }
        if (ink.hslHue() >= 0) {
            EXPECT_NEAR(readable.hslHue(), ink.hslHue(), 2);
        }
        if (karte::contrastRatio(ink, grounds.first()) >= karte::kReadableContrast && grounds.size() == 1) {
            EXPECT_EQ(readable, ink);
        }
    }
}

} // namespace
