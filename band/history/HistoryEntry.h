#pragma once
// One launched item of the launch history, the map that holds them, and the rules for
// making keys and comparing launch times.
#include <cstdint>
#include <map>
#include <string>

namespace kest {

struct HistoryEntry {
    bool imported = false;       // taken from the shell's usage records; never written to the history file
    std::uint32_t count = 0;     // number of launches
    std::uint32_t lasttimelow = 0;   // FILETIME of the last launch, low half
    std::uint32_t lasttimehigh = 0;  // and high half
    std::wstring path;           // the launched item as recorded

    bool operator==(const HistoryEntry& other) const {
        return imported == other.imported && count == other.count && lasttimelow == other.lasttimelow &&
               lasttimehigh == other.lasttimehigh && path == other.path;
    }
};

// Keys compare ordinally by UTF-16 code unit, so the map is case-sensitive; keys are
// lower-cased (ASCII only) where launches and usage records make them.
using HistoryEntries = std::map<std::wstring, HistoryEntry>;

// The last launch time as a signed 64-bit value: the high halves compare as signed 32-bit
// values first, then the low halves as unsigned ones.
inline std::int64_t lastLaunchTime(const HistoryEntry& entry) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(entry.lasttimehigh) << 32) | entry.lasttimelow);
}

inline bool launchedLaterThan(const HistoryEntry& entry, const HistoryEntry& other) {
    return lastLaunchTime(entry) > lastLaunchTime(other);
}


}  // namespace kest
