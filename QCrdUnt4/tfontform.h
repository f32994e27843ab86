#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class TFontForm;
}
namespace windowtest {
struct FormAccess;
}

// The font chooser, which changes the face of the Greek card text and the size of both card texts in the main
// window while that window stays usable. Every change applies at once; the chooser keeps nothing itself. It is
// created hidden at start-up and lives until the program ends.
class TFontForm : public QWidget
{
    Q_OBJECT

public:
    explicit TFontForm(QWidget* parent = nullptr);
    ~TFontForm() override;

    // Each time the chooser becomes the active window: the face list afresh, and both boxes showing the Greek
    // text's present face and size.
    void FormActivate(QObject* sender);
    // The face box's text, as typed, becomes the Greek text's face.
    void FontNameChange(QObject* sender);
    // The size box's text, read as a whole number, becomes the size of both card texts.
    void FontSizeChange(QObject* sender);

    // The card texts the chooser works on, handed over by the main window: the Greek text takes the face, both
    // take the size.
    void setCardTexts(QWidget* greekText, QWidget* englishText);

    // The face names of the font families installed for the display, as the program found them at start.
    static const QStringList& installedFaces();

protected:
    bool event(QEvent* event) override;

private:
    friend struct windowtest::FormAccess;
    std::unique_ptr<Ui::TFontForm> ui;
    QPointer<QWidget> greekText_;
    QPointer<QWidget> englishText_;
    bool leftForModalBox_ = false;
};

extern TFontForm* FontForm;

namespace karte {

// The point size a font is given for a size the user asked for. Sizes are taken as typed, but a font can only
// be drawn from one point up, and beyond a few thousand points a single letter outgrows any screen, so those
// sizes are drawn at the nearest size that can be.
int drawablePointSize(int size);

// The font families as the user knows them: one entry for each family name. Where several foundries make a family
// of the same name, the font database lists it once for each, with the foundry appended ("Nimbus Roman [urw]"); a
// face of that name is not one a font can be asked for.
QStringList familyNames(const QStringList& families);

} // namespace karte
