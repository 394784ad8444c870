#include "MatchCatalog.h"
#include "ListOrder.h"
#include "TextRules.h"
#include "kestentry/PackagedApps.h"
#include <atomic>
#include <algorithm>
#include <numeric>
#include <string>

namespace kest {

namespace {

std::atomic<uint64_t> lastBuildId{0};

// The name Best Match compares: without the shortcut's extension; a packaged app's name has none.
std::wstring nameWithoutExtension(const ShortcutEntry& entry) {
    if (isAppsFolderPath(entry.path)) return entry.name;
    const size_t dot = entry.name.rfind(L'.');
    return dot == std::wstring::npos ? entry.name : entry.name.substr(0, dot);
}

}  // namespace

void MatchCatalog::build(const ShortcutIndex& index) {
    clear();
    std::vector<const ShortcutEntry*> entries;
    entries.reserve(index.size());
    for (const auto& [path, entry] : index) entries.push_back(&entry);
    // Key order. Where one joined key is split two ways ("C:\x" + "y.lnk", "C:\xy" +
    // ".lnk"), the executable keeps each program's shortcuts together; the stable sort
    // keeps them in the index's path order.
    std::stable_sort(entries.begin(), entries.end(), [](const ShortcutEntry* a, const ShortcutEntry* b) {
        if (const int order = compareEntryKeys(*a, *b)) return order < 0;
        return a->executable < b->executable;
    });

    std::vector<Item> byKey;
    std::vector<uint8_t> startsRun;
    for (size_t first = 0; first < entries.size();) {
        size_t end = first + 1;
        while (end < entries.size() && entries[end]->executable == entries[first]->executable &&
               entries[end]->name == entries[first]->name)
            ++end;
        const ShortcutEntry* greatestPath = entries[end - 1];
        startsRun.push_back(byKey.empty() || compareEntryKeys(*byKey.back().entry, *greatestPath) != 0);
        byKey.push_back({greatestPath, asciiLower(greatestPath->name), entryDisplayText(*greatestPath),
                         static_cast<int>(end - first)});
        first = end;
    }

    // List order: by the sorted list's own comparison, equal texts in key order.
    std::vector<std::string> sortKeys;
    sortKeys.reserve(byKey.size());
    for (const Item& item : byKey) sortKeys.push_back(listSortKey(item.displayText));
    std::vector<uint32_t> listOrder(byKey.size());
    std::iota(listOrder.begin(), listOrder.end(), 0u);
    std::stable_sort(listOrder.begin(), listOrder.end(),
                     [&sortKeys](uint32_t a, uint32_t b) { return sortKeys[a] < sortKeys[b]; });

    items_.reserve(byKey.size());
    keyOrder_.resize(byKey.size());
    for (uint32_t position = 0; position < listOrder.size(); ++position) {
        keyOrder_[listOrder[position]] = position;
        items_.push_back(std::move(byKey[listOrder[position]]));
    }
    startsKeyRun_ = std::move(startsRun);
    bestMatchItems_.reserve(items_.size());
    for (const Item& item : items_)
        bestMatchItems_.push_back(prepareBestMatchItem(nameWithoutExtension(*item.entry), item.entry->executable));
    launchKeys_.reserve(items_.size());
    for (uint32_t position = 0; position < items_.size(); ++position)
        if (!items_[position].entry->executable.empty())
            launchKeys_.emplace_back(asciiLower(items_[position].entry->executable), position);
    std::sort(launchKeys_.begin(), launchKeys_.end());
    buildId_ = ++lastBuildId;
}

void MatchCatalog::clear() noexcept {
    items_.clear();
    keyOrder_.clear();
    startsKeyRun_.clear();
    matched_.clear();
    bestMatchItems_.clear();
    launchKeys_.clear();
    buildId_ = ++lastBuildId;
}

int MatchCatalog::collectPositions(const std::vector<uint32_t>& positions, MatchSet& matches,
                                   std::vector<uint32_t>& listed) const {
    matches.clear();
    listed = positions;
    int count = 0;
    for (uint32_t position : positions) {
        matches.entries_.push_back(items_[position].entry);
        count += items_[position].shortcuts;
    }
    std::sort(matches.entries_.begin(), matches.entries_.end(),
              [](const ShortcutEntry* a, const ShortcutEntry* b) { return compareEntryKeys(*a, *b) < 0; });
    return count;
}

int MatchCatalog::collect(const std::wstring& text, MatchMode mode, MatchSet& matches,
                          std::vector<uint32_t>& listed) const {
    matches.clear();
    listed.clear();
    const std::wstring loweredText = asciiLower(text);
    matched_.assign(items_.size(), 0);
    int count = 0;
    for (size_t position = 0; position < items_.size(); ++position) {
        if (!loweredNameMatches(loweredText, items_[position].loweredName, mode)) continue;
        matched_[position] = 1;
        count += items_[position].shortcuts;
    }
    if (count == 0) return 0;

    // One item per joined key: of the matching ones, the one with the greatest path.
    constexpr uint32_t none = UINT32_MAX;
    std::vector<const ShortcutEntry*>& kept = matches.entries_;
    uint32_t best = none;
    for (size_t key = 0; key < keyOrder_.size(); ++key) {
        if (startsKeyRun_[key] && best != none) {
            kept.push_back(items_[best].entry);
            best = none;
        }
        const uint32_t position = keyOrder_[key];
        if (!matched_[position]) continue;
        if (best == none || items_[best].entry->path < items_[position].entry->path) {
            if (best != none) matched_[best] = 0;
            best = position;
        } else {
            matched_[position] = 0;
        }
    }
    if (best != none) kept.push_back(items_[best].entry);

    listed.reserve(kept.size());
    for (uint32_t position = 0; position < items_.size(); ++position)
        if (matched_[position]) listed.push_back(position);
    return count;
}

}  // namespace kest
