// karte-protect [--cost OPS:KIB] protect|unprotect|change FILE
// Protects a card set with a password, removes the protection, or changes the password. On a terminal the
// passwords are asked for without echo, a new one twice; otherwise they are read from standard input one per
// line (protect: the new password; unprotect: the password; change: the old, then the new one), for scripts.
// The file is replaced in one step and stays as it was when anything fails.
#include "errors.h"
#include "protectedfile.h"
#include "terminalinput.h"

#include <sodium.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

using terminalinput::ask;
using terminalinput::Secret;

constexpr const char* kUsage
    = "usage: karte-protect [--cost OPS:KIB] protect|unprotect|change FILE\n"
      "  protect    encrypt the card set FILE with a new password\n"
      "  unprotect  decrypt it again, so that it opens without a password\n"
      "  change     give it a new password\n"
      "  --cost     Argon2id passes and memory in KiB for a new password (default: about one second)\n"
      "Passwords are asked for on the terminal, or read one per line from standard input.\n";

void require(bool got, const char* what)
{
    if (!got)
        throw cardstore::Error(std::string("No ") + what + " was given");
}

// A new password: asked twice on a terminal, read once from a script.
void askNew(Secret& secret)
{
    require(ask("New password: ", secret), "new password");
    if (!terminalinput::interactive())
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
    terminalinput::restoreEchoOnSignals();
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
