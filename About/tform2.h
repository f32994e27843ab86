#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TForm2;
}
namespace windowtest {
struct FormAccess;
}

// The About box: a topmost picture window without border icons, closed with its one button, which has the keyboard
// focus, or with Esc or Enter, or by the window manager. It is created hidden at start-up and lives until the
// program ends; closing it only hides it.
class TForm2 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The click of SpeedButton1: hides the box, which is then closed.
    void BitBtn1Click(QObject* sender);

    // The first showing of a run puts the box in the middle of the screen, in place of wherever it was moved
    // before; later showings keep the position they are given.
    void setVisible(bool visible) override;

Q_SIGNALS:
    // The box was hidden, whatever hid it; a minimised box is still up.
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend struct windowtest::FormAccess;
    std::unique_ptr<Ui::TForm2> ui;

    void scaleArtwork();
    // Shows the picture and button face that read under the user's colours (artwork.cpp).
    void showArtwork();
    int scaledToScreen(int length) const;

    bool shownBefore_ = false;
    int artworkDpi_ = 0;
    QString artworkShown_;
};

extern TForm2* Form2;
