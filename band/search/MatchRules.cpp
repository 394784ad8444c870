#include "MatchRules.h"
#include "MatchCatalog.h"
#include "TextRules.h"
#include "kestentry/EntryForms.h"
#include <algorithm>

namespace kest {

namespace {

// Compares first + second with otherFirst + otherSecond as one string each, without
// joining them: piece by piece, as far as both pieces reach.
int compareJoined(const std::wstring& first, const std::wstring& second, const std::wstring& otherFirst,
                  const std::wstring& otherSecond) noexcept {
    const size_t length = first.size() + second.size();
    const size_t otherLength = otherFirst.size() + otherSecond.size();
    size_t position = 0;
    while (position < length && position < otherLength) {
        const bool inFirst = position < first.size();
        const wchar_t* piece = inFirst ? first.data() + position : second.data() + (position - first.size());
        const size_t pieceLength = inFirst ? first.size() - position : length - position;
        const bool otherInFirst = position < otherFirst.size();
        const wchar_t* otherPiece =
            otherInFirst ? otherFirst.data() + position : otherSecond.data() + (position - otherFirst.size());
        const size_t otherPieceLength = otherInFirst ? otherFirst.size() - position : otherLength - position;
        const size_t common = std::min(pieceLength, otherPieceLength);
        if (const int order = std::char_traits<wchar_t>::compare(piece, otherPiece, common)) return order;
        position += common;
    }
    return length < otherLength ? -1 : length > otherLength ? 1 : 0;
}

}  // namespace

int compareEntryKeys(const ShortcutEntry& a, const ShortcutEntry& b) noexcept {
    return compareJoined(a.executable, a.name, b.executable, b.name);
}

const ShortcutEntry* MatchSet::find(const std::wstring& key) const noexcept {
    static const std::wstring none;
    auto found = std::lower_bound(entries_.begin(), entries_.end(), key, [](const ShortcutEntry* entry, const std::wstring& k) {
        return compareJoined(entry->executable, entry->name, k, none) < 0;
    });
    if (found == entries_.end() || compareJoined((*found)->executable, (*found)->name, key, none) != 0) return nullptr;
    return *found;
}

bool loweredNameMatches(const std::wstring& loweredText, const std::wstring& loweredName, MatchMode mode) noexcept {
    if (loweredName.compare(0, loweredText.size(), loweredText) == 0) return true;
    if (mode == MatchMode::Start) return false;
    const size_t position = loweredName.find(loweredText);
    if (position == std::wstring::npos) return false;
    switch (mode) {
    case MatchMode::All:
        return true;
    case MatchMode::WordStart:
        return position > 0 && loweredName[position - 1] == L' ';
    default:
        return false;
    }
}

bool nameMatches(const std::wstring& text, const std::wstring& name, MatchMode mode) {
    return loweredNameMatches(asciiLower(text), asciiLower(name), mode);
}

int collectMatches(const ShortcutIndex& index, const std::wstring& text, MatchMode mode, MatchSet& matches) {
    MatchCatalog catalog;
    catalog.build(index);
    std::vector<uint32_t> listed;
    return catalog.collect(text, mode, matches, listed);
}

std::wstring entryDisplayText(const ShortcutEntry& entry) {
    // An entry of no file has no folder in its path to name and no extension to drop.
    if (const wchar_t* folder = entryFormFolder(entryFormOf(entry.path))) return entry.name + L" (" + folder + L")";
    const size_t dot = entry.name.rfind(L'.');
    std::wstring text = dot == std::wstring::npos ? entry.name : entry.name.substr(0, dot);
    const size_t last = entry.path.rfind(L'\\');
    if (last != std::wstring::npos && last > 0) {
        const size_t previous = entry.path.rfind(L'\\', last - 1);
        if (previous != std::wstring::npos)
            text += L" (" + entry.path.substr(previous + 1, last - previous - 1) + L")";
    }
    return text;
}

}  // namespace kest
