#include "terminalinput.h"

#include "session.h"
#include "table.h"

#include <sodium.h>

#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace terminalinput {

namespace {

struct termios savedTerminal;
volatile std::sig_atomic_t echoIsOff = 0;

void restoreEcho()
{
    if (echoIsOff) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        echoIsOff = 0;
    }
}

// An interrupt while the password is typed must not leave the terminal without echo.
void onSignal(int signal)
{
    restoreEcho();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// One line of standard input without its line end; false at its end.
bool readLine(Secret& secret)
{
    secret.wipe();
    std::string& line = secret.text();
    line.reserve(1024); // so that growing it leaves no copies of the password behind
    int c;
    while ((c = std::getchar()) != EOF && c != '\n')
        line.push_back(static_cast<char>(c));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return c != EOF || !line.empty();
}

} // namespace

void Secret::wipe()
{
    sodium_memzero(text_.data(), text_.size());
    text_.clear();
}

void restoreEchoOnSignals()
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
}

bool interactive()
{
    return ::isatty(STDIN_FILENO);
}

bool ask(const char* prompt, Secret& secret)
{
    if (!interactive())
        return readLine(secret);
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        struct termios quiet = savedTerminal;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        echoIsOff = 1;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    bool got = readLine(secret);
    restoreEcho();
    return got;
}

void askForPasswords(cardstore::Table& table)
{
    table.onPasswordRequired = [attempts = 0]() mutable {
        if (++attempts > 3)
            return false;
        Secret password;
        if (!ask(attempts == 1 ? "Password: " : "Wrong password; try again: ", password))
            return false;
        cardstore::Session::instance().addPassword(password.text());
        return true;
    };
}

} // namespace terminalinput
