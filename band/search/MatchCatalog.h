#pragma once
// The index prepared once for matching as the user types. Each program (executable and
// name) is one item with its names lowered and its display text made, and the items are
// kept in the order the sorted list shows them: a keystroke then only tests names and
// adds the matching items to the list as they come, with nothing to sort.
#include "BestMatch.h"
#include "MatchRules.h"
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kest {

class MatchCatalog {
public:
    // Prepares the entries of index, which must stay unchanged until the next build or
    // clear: items point into it.
    void build(const ShortcutIndex& index);
    void clear() noexcept;
    bool empty() const noexcept { return items_.empty(); }

    // Fills matches (emptied first) in key order and listed with the positions of the
    // same items in list order; of matching entries under one key the one with the greater
    // path remains. Returns the count of matching index entries, duplicates included.
    int collect(const std::wstring& text, MatchMode mode, MatchSet& matches, std::vector<uint32_t>& listed) const;

    // Fills matches (emptied first, in key order) and listed with the items at positions,
    // in their order; returns the count of index entries they stand for.
    int collectPositions(const std::vector<uint32_t>& positions, MatchSet& matches, std::vector<uint32_t>& listed) const;

    // Per position: the folded name and program file name Best Match compares.
    const std::vector<BestMatchItem>& bestMatchItems() const noexcept { return bestMatchItems_; }
    size_t size() const noexcept { return items_.size(); }
    // Different for every build, so that what was worked out per position can be kept.
    uint64_t buildId() const noexcept { return buildId_; }

    // The lower-cased executable of each position's entry, the key of its launch history,
    // with the position, sorted by key; entries without an executable are left out.
    const std::vector<std::pair<std::wstring, uint32_t>>& launchKeys() const noexcept { return launchKeys_; }

    const std::wstring& displayText(uint32_t position) const noexcept { return items_[position].displayText; }
    const ShortcutEntry* entry(uint32_t position) const noexcept { return items_[position].entry; }

private:
    struct Item {
        const ShortcutEntry* entry;  // of the program's shortcuts, the one with the greatest path
        std::wstring loweredName;
        std::wstring displayText;
        int shortcuts;               // index entries of the program
    };

    std::vector<Item> items_;         // in list order
    std::vector<uint32_t> keyOrder_;  // positions in items_, in key order
    std::vector<uint8_t> startsKeyRun_;  // per key position: its joined key differs from the one before
    mutable std::vector<uint8_t> matched_;
    std::vector<BestMatchItem> bestMatchItems_;  // in list order
    std::vector<std::pair<std::wstring, uint32_t>> launchKeys_;
    uint64_t buildId_ = 0;
};

}  // namespace kest
