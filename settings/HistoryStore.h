#pragma once
// The stored list of recently used files: under a key, value "C<i>" holds the
// caption and "T<i>" the tag of entry i, counting from 0, oldest first.

#include <QString>

#include <cstdint>
#include <vector>

namespace larkspur {

struct HistoryEntry {
    QString caption;
    int32_t tag = 0;
    bool operator==(const HistoryEntry&) const = default;
};

// Creates the key if needed and writes C0/T0 ... for every entry.
// Returns false when the store could not be written.
bool saveHistory(const QString& keyPath, const std::vector<HistoryEntry>& entries);
// Reads C0, C1, ... until the first missing one; a missing key gives nothing.
std::vector<HistoryEntry> loadHistory(const QString& keyPath);

} // namespace larkspur
