#pragma once

#include <memory>

class TFontForm;
class TForm1;
class TForm2;
class TFormQCustom;

namespace karte {

// The program's four windows, created in the order start-up creates them (the main window, the About box, the
// custom card editor, the font chooser) and connected to each other. The program-wide names (Form1 ...) point at
// them while they live.
class ProgramWindows
{
public:
    // A failure to build any window (the main window cannot open the built-in set) propagates; the windows built
    // so far are destroyed again.
    ProgramWindows();
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    TForm1& mainWindow() const { return *form1_; }
    TForm2& aboutBox() const { return *form2_; }
    TFormQCustom& editor() const { return *formQCustom_; }
    TFontForm& fontChooser() const { return *fontForm_; }

private:
    void forgetNames() noexcept;

    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TFormQCustom> formQCustom_;
    std::unique_ptr<TFontForm> fontForm_;
};

} // namespace karte
