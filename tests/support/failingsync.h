#pragma once

namespace testsupport {

// While alive, makes the Nth sync of a file or folder of this process (fsync or fdatasync, counting from 1, SQLite's
// own syncs included) fail with an I/O error, as a disk that loses a write does; the others go through. 0 never
// fails. The test executable's definitions of fsync and fdatasync take the place of the C library's.
class FailingSync
{
public:
    explicit FailingSync(int failAtSync);
    ~FailingSync();
    FailingSync(const FailingSync&) = delete;
    FailingSync& operator=(const FailingSync&) = delete;

    void failAt(int sync);
    int syncs() const;
    bool failed() const;
    // Whether the sync that failed was of a folder.
    bool failedOnFolder() const;
};

} // namespace testsupport
