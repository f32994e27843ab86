#pragma once

#include <string>

namespace cardstore {
class Table;
}

// Passwords for the command-line tools: asked for on a terminal without echo, or read one per line from standard
// input when it is no terminal (for scripts).

namespace terminalinput {

// A password in memory that is wiped when it is dropped.
class Secret
{
public:
    Secret() = default;
    ~Secret() { wipe(); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    std::string& text() { return text_; }
    void wipe();

private:
    std::string text_;
};

// Restores the terminal's echo before an interrupt, a hang-up or a termination ends the tool.
void restoreEchoOnSignals();

// Asks for a secret with prompt on a terminal, echo off; reads a line of standard input otherwise. false when
// there was nothing more to read.
bool ask(const char* prompt, Secret& secret);

// Whether standard input is a terminal, so that a new password is worth asking for twice.
bool interactive();

// Has the table ask for the password of a protected set when it opens one, three times at most.
void askForPasswords(cardstore::Table& table);

} // namespace terminalinput
