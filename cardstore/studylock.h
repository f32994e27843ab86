#pragma once

#include <string>

namespace cardstore {

// One study of a set at a time, whichever program or window it is in: two would each schedule a card from the
// memory they read when they opened, and the second answer would overwrite the first. The lock is a file beside
// the set, ".NAME.studying", locked for as long as the study lasts and removed when it ends; one a killed program
// left is taken over, since its lock went with the program. On a file system without locks, or where no file
// can be made beside the set, studies go unguarded, as SQLite's own writes do there.
class StudyLock
{
public:
    // Takes the lock of the set at setPath, or raises the table-locked error saying that the set is studied
    // elsewhere.
    explicit StudyLock(const std::string& setPath);
    ~StudyLock();
    StudyLock(const StudyLock&) = delete;
    StudyLock& operator=(const StudyLock&) = delete;

    // "This card set is being studied in another window or program ...", the refusal's message.
    static std::string refusal(const std::string& setPath);

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace cardstore
