#pragma once
// One launched item of the launch history, the map that holds them, and the rules for
// making keys and comparing launch times.
#include <cstddef>
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

// Of count items, the index of the one whose launch record (recordAt(index), null for none)
// has the highest count (byCount) or else the latest launch; ties go to the lower index, and
// 0 when no item has a record above zero.
template <class RecordAt>
std::size_t preferredLaunchIndex(std::size_t count, bool byCount, RecordAt recordAt) {
    std::int64_t best = 0;
    std::size_t bestIndex = 0;
    for (std::size_t index = 0; index < count; ++index) {
        const HistoryEntry* record = recordAt(index);
        if (!record) continue;
        const std::int64_t value = byCount ? std::int64_t{record->count} : lastLaunchTime(*record);
        if (value > best) {
            best = value;
            bestIndex = index;
        }
    }
    return bestIndex;
}


}  // namespace kest
