#include "MatchRules.h"
#include "TextRules.h"

namespace kest {

namespace {

bool loweredNameMatches(const std::wstring& text, const std::wstring& loweredText, const std::wstring& name,
                        MatchMode mode) noexcept {
    if (startsWithIgnoreAsciiCase(name, text)) return true;
    if (mode == MatchMode::Start) return false;
    const size_t position = findLoweredIgnoreAsciiCase(name, loweredText);
    if (position == std::wstring::npos) return false;
    switch (mode) {
    case MatchMode::All:
        return true;
    case MatchMode::WordStart:
        return position > 0 && name[position - 1] == L' ';
    default:
        return false;
    }
}

}  // namespace

bool nameMatches(const std::wstring& text, const std::wstring& name, MatchMode mode) {
    return loweredNameMatches(text, asciiLower(text), name, mode);
}

int collectMatches(const ShortcutIndex& index, const std::wstring& text, MatchMode mode, MatchSet& matches) {
    matches.clear();
    int count = 0;
    const std::wstring loweredText = asciiLower(text);
    std::wstring key;
    for (const auto& [path, entry] : index) {
        if (!loweredNameMatches(text, loweredText, entry.name, mode)) continue;
        key.assign(entry.executable).append(entry.name);
        matches[key] = &entry;
        ++count;
    }
    return count;
}

std::wstring entryDisplayText(const ShortcutEntry& entry) {
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
