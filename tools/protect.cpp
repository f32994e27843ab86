// karte-protect [--cost OPS:KIB] protect|unprotect|change FILE
// Protects a card set with a password, removes the protection, or changes the password. On a terminal the
// passwords are asked for without echo, a new one twice; otherwise they are read from standard input one per
// line (protect: the new password; unprotect: the password; change: the old, then the new one), for scripts.
// The file is replaced in one step and stays as it was when anything fails.
#include "errors.h"
#include "protectedfile.h"

#include <sodium.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage
    = "usage: karte-protect [--cost OPS:KIB] protect|unprotect|change FILE\n"
      "  protect    encrypt the card set FILE with a new password\n"
      "  unprotect  decrypt it again, so that it opens without a password\n"
      "  change     give it a new password\n"
      "  --cost     Argon2id passes and memory in KiB for a new password (default: about one second)\n"
      "Passwords are asked for on the terminal, or read one per line from standard input.\n";

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

class Secret
{
public:
    Secret() = default;
    ~Secret() { wipe(); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    std::string& text() { return text_; }
    void wipe()
    {
        sodium_memzero(text_.data(), text_.size());
        text_.clear();
    }

private:
    std::string text_;
};

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

bool ask(const char* prompt, Secret& secret)
{
    if (!::isatty(STDIN_FILENO))
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

void require(bool got, const char* what)
{
    if (!got)
        throw cardstore::Error(std::string("No ") + what + " was given");
}

// A new password: asked twice on a terminal, read once from a script.
void askNew(Secret& secret)
{
    require(ask("New password: ", secret), "new password");
    if (!::isatty(STDIN_FILENO))
        return;
    Secret again;
    require(ask("Repeat the new password: ", again), "new password");
    if (secret.text() != again.text())
        throw cardstore::Error("The passwords do not match; nothing was changed");
}

bool parseCost(const std::string& text, cardstore::KeyDerivationCost& cost)
{
    unsigned long long ops = 0, kib = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%llu:%llu%c", &ops, &kib, &rest) != 2)
        return false;
    cost = { ops, kib * 1024 };
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    cardstore::KeyDerivationCost cost = cardstore::defaultKeyDerivationCost();
    if (args.size() == 4 && args[0] == "--cost") {
        if (!parseCost(args[1], cost)) {
            std::cerr << "karte-protect: --cost takes OPS:KIB, e.g. 3:262144\n";
            return 2;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2 || (args[0] != "protect" && args[0] != "unprotect" && args[0] != "change")) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& command = args[0];
    const std::string& path = args[1];
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    try {
        if (sodium_init() < 0)
            throw cardstore::Error("The cryptography library could not be started");
        cardstore::setKeyDerivationCostForNewSets(cost);
        Secret password, newPassword;
        if (command == "protect") {
            askNew(password);
            cardstore::protectCardSet(path, password.text());
            std::cout << path << " is now protected by the password.\n";
        } else if (command == "unprotect") {
            require(ask("Password: ", password), "password");
            cardstore::unprotectCardSet(path, password.text());
            std::cout << path << " is no longer protected.\n";
        } else {
            require(ask("Current password: ", password), "password");
            askNew(newPassword);
            cardstore::changeCardSetPassword(path, password.text(), newPassword.text());
            std::cout << "The password of " << path << " has been changed.\n";
        }
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-protect: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
