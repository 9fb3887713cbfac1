#pragma once
// The sample store: a scratch file of 13234-byte sample records, record k
// holding the last accepted training utterance of table slot k. It belongs to
// this process alone and is opened only for the duration of one operation.

#include "engine/RecordCodec.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace larkspur {

class SampleStore {
public:
    // An empty path picks this process's private file in the runtime folder.
    explicit SampleStore(std::string path = {});
    const std::string& path() const { return m_path; }

    // <private runtime folder>/larkspur-VCWaves-<pid>-<random>.tmp; every further
    // call in the same process adds a counter (-2, -3, ...). The first call
    // removes stores that killed processes of this user left behind.
    static std::string nextDefaultPath();

    bool exists() const;
    // Creates (or replaces) the store with one empty record; readable by the
    // owner only. A symbolic link planted at the path is replaced, never followed.
    void create();
    // Deletes the file; a missing file is fine.
    void remove();

    // Number of whole records.
    int recordCount() const;
    // Writes audio as slot's record, appending empty records when the store is
    // shorter. slot is 1..512.
    void store(int slot, std::span<const uint8_t> audio);
    // Reads slot's record; a store without that record is an EInOutError.
    SampleRecordBytes load(int slot) const;

    // Replaces the store by a byte copy of companion, at most 512 records long.
    void copyFrom(const std::string& companion);
    // Writes companion from record 1 and from every further record whose slot
    // keepSlot accepts, in slot order, until the store ends.
    void copyTo(const std::string& companion, const std::function<bool(int slot)>& keepSlot) const;

private:
    std::string m_path;         // empty when no folder for the store could be made
    std::string m_unavailable;  // why, for create()
};

} // namespace larkspur
