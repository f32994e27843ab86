#pragma once

#include "cardsets.h"
#include "messagebox.h"
#include "tempdir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TForm1;
namespace Ui {
class TForm1;
}

namespace windowtest {

// The one way tests reach a window's generated form, which the window keeps private; every window names this
// accessor its friend.
struct FormAccess
{
    template <typename Window> static auto& form(Window& window) { return *window.ui; }
};
template <typename Window> auto& formOf(Window& window)
{
    return FormAccess::form(window);
}

// While alive, answers every message box the code under test asks for with its default button and keeps it.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<karte::MessageRequest>& requests() const { return requests_; }
    // The texts of the boxes shown so far.
    QStringList texts() const;
    void clear() { requests_.clear(); }

private:
    std::vector<karte::MessageRequest> requests_;
};

// While alive, keeps what the windows tell a screen reader unasked (karte::announce): the text of every notification
// that is made to appear, read through its accessible interface.
class AnnouncementRecorder
{
public:
    AnnouncementRecorder();
    ~AnnouncementRecorder();
    AnnouncementRecorder(const AnnouncementRecorder&) = delete;
    AnnouncementRecorder& operator=(const AnnouncementRecorder&) = delete;

    // Processes the pending events first, then hands over what was said since the last call.
    QStringList take();

private:
    QStringList texts_;
};

// Puts the program-wide state back to its start values, as a freshly started program has it.
void resetProgramState();

// The built-in set's file in the per-user data directory that dataHome holds.
std::string builtInSetPath(const testsupport::TempDir& dataHome);
// Places a set shaped like the built-in one, holding the cards in this order, where the engine looks for the
// built-in set, so that the main window opens it instead of a copy of the shipped one.
void installBuiltInSet(const testsupport::TempDir& dataHome, const std::vector<testsupport::Card>& cards);

struct StoredFont
{
    std::string name;
    std::string size;
};
// FontName and FontSize of the first record of the set at path, read through a table of its own.
StoredFont storedFont(const std::string& path);

// A main window over a data directory of its own; the message boxes it asks for are recorded.
class MainWindowTest : public ::testing::Test
{
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Builds the main window on whatever built-in set the test has put in place (a copy of the shipped one
    // when it has put none).
    TForm1& createForm();
    // Puts a built-in set holding these cards in place and builds the main window on it, which must start
    // without a message.
    TForm1& formOn(const std::vector<testsupport::Card>& cards);
    Ui::TForm1& ui();

    testsupport::TempDir dataHome;
    MessageRecorder messages;
    std::unique_ptr<TForm1> form;
};

// The three cards most tests use, in the built-in set's table order.
const std::vector<testsupport::Card>& threeCards();
// Four cards the study tests use, in the built-in set's table order: the commonest three words and ἀγάπη, which 1
// John has more often than λόγος.
const std::vector<testsupport::Card>& fourCards();

} // namespace windowtest
