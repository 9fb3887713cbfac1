#pragma once
// An exclusive advisory lock (flock) on a table file, held across a whole
// read-change-write, so two programs adding to one table cannot lose each
// other's voice commands. Saves replace the file by renaming, so after taking
// the lock the holder checks that the path still names the locked file and
// starts again on the new one otherwise.

#include <chrono>
#include <string>

namespace larkspur {

class TableLock {
public:
    // Waits up to wait for the lock; a table that does not exist yet is
    // created empty so there is something to lock. Throws EInOutError ("... the
    // table is in use by another program") when the wait runs out, and for a
    // path that is not a regular file.
    TableLock(const std::string& path, std::chrono::milliseconds wait);
    // Releases the lock; an empty table this lock created and nobody saved
    // into is removed again.
    ~TableLock();
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    // True when the table did not exist and this lock made it, or it was
    // the empty file another program's lock had just made: either way a new
    // table, empty.
    bool createdTable() const { return m_created; }

    // $LARKSPUR_TABLE_LOCK_WAIT_MS when set to a number, else 5 seconds.
    static std::chrono::milliseconds defaultWait();

private:
    std::string m_path;
    int m_fd = -1;
    bool m_created = false;
};

} // namespace larkspur
