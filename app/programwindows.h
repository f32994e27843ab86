#pragma once

#include <memory>

class TFontForm;
class TForm1;
class TForm2;
class TFormQCustom;
class TStudyForm;
class TProgressForm;
class TReaderForm;
namespace speech {
class Speaker;
}

namespace karte {

// The program's windows, created in the order start-up creates them (the main window, then the About box, the
// custom card editor, the font chooser, the Study window, the Progress window and the Reader) and connected to each
// other. The program-wide names (Form1 ...) point at them while they live.
class ProgramWindows
{
public:
    // The side windows are hidden until a command of the main window shows one, so the program makes them once
    // the main window has painted for the first time: the user sees it sooner. The main window's commands do
    // nothing until then, a moment that no user can reach.
    enum class SideWindows { Now, AfterFirstPaint };

    // A failure to build the main window (it cannot open the built-in set) propagates.
    explicit ProgramWindows(SideWindows sideWindows = SideWindows::Now);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    TForm1& mainWindow() const { return *form1_; }
    // Null until the side windows are made.
    TForm2* aboutBox() const { return form2_.get(); }
    TFormQCustom* editor() const { return formQCustom_.get(); }
    TFontForm* fontChooser() const { return fontForm_.get(); }
    TStudyForm* studyWindow() const { return studyForm_.get(); }
    TProgressForm* progressWindow() const { return progressForm_.get(); }
    TReaderForm* readerWindow() const { return readerForm_.get(); }
    // What reads Greek aloud, for every window that does; made with the side windows.
    speech::Speaker* speaker() const { return speaker_.get(); }

private:
    void createSideWindows();
    void forgetNames() noexcept;

    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<speech::Speaker> speaker_; // outlives the windows it is handed to
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TFormQCustom> formQCustom_;
    std::unique_ptr<TFontForm> fontForm_;
    std::unique_ptr<TStudyForm> studyForm_;
    std::unique_ptr<TProgressForm> progressForm_;
    std::unique_ptr<TReaderForm> readerForm_;
};

} // namespace karte
