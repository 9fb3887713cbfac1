#pragma once
// The sample store: a scratch file of 13234-byte sample records, record k
// holding the last accepted training utterance of table slot k.

#include <cstdint>
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

    bool exists() const;
    // Creates (or truncates) the store with one empty record.
    void create();
    // Deletes the file; a missing file is fine.
    void remove();

private:
    std::string m_path;
};

} // namespace larkspur
