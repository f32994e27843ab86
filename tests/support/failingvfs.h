#pragma once

namespace testsupport {

// While alive, becomes SQLite's default file system and makes the Nth write (counting from 1) and every
// later one fail with an I/O error, as a full disk or a pulled drive would. 0 never fails.
class FailingVfs
{
public:
    explicit FailingVfs(int failAtWrite);
    ~FailingVfs();
    FailingVfs(const FailingVfs&) = delete;
    FailingVfs& operator=(const FailingVfs&) = delete;

    void failAt(int write);
    int writes() const;
    bool failed() const;
};

} // namespace testsupport
