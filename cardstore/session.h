#pragma once

#include <string>
#include <vector>

namespace cardstore {

// Engine-wide state kept for the whole run: the database aliases and the list of table passwords.
class Session
{
public:
    static Session& instance();

    static constexpr const char* kBuiltInAlias = "KARTE32";
    static constexpr const char* kBuiltInTable = "cardsfrq.db";

    // The directory an alias names. "KARTE32" (any letter case) is the per-user data directory
    // $XDG_DATA_HOME/karte32, created on first use and seeded with the pristine built-in set; an absolute
    // path names itself; an empty alias is the working directory.
    std::string aliasDirectory(const std::string& alias);
    // The per-user data directory, whether or not it exists yet.
    static std::string userDataDirectory();

    // Where the pristine built-in set shipped with the program is looked for, in order. By default: the
    // executable's directory, then ../share/karte beside it.
    void setPristineDirectories(std::vector<std::string> directories);
    std::vector<std::string> pristineDirectories() const;

    // Whether the file at path is the built-in set: the per-user copy or a pristine one, by whatever name it is
    // reached.
    bool isBuiltInSet(const std::string& path) const;

    void addPassword(const std::string& password);
    void removePassword(const std::string& password);
    void removeAllPasswords();
    const std::vector<std::string>& passwords() const { return passwords_; }

private:
    Session() = default;
    void seedBuiltInSet(const std::string& directory);

    std::vector<std::string> pristineDirectories_;
    std::vector<std::string> passwords_;
};

// The file in directory whose name equals name, or failing that, the only one whose name differs from it in
// ASCII letter case alone; directory/name when there is none.
std::string findFileIgnoringCase(const std::string& directory, const std::string& name);

} // namespace cardstore
