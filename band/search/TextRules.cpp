#include "TextRules.h"

namespace kest {

wchar_t asciiLower(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

std::wstring asciiLower(const std::wstring& text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = asciiLower(c);
    return lower;
}

bool equalsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::wstring leadingCharacters(const std::wstring& text, size_t length) { return text.substr(0, length); }

std::wstring trimWhitespace(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace kest

#include <windows.h>
#include <cwchar>

namespace kest {

const wchar_t typingDelimiters[] = L" _{}[]#()<>%:;.?*+-/^&|~!=,\\\"'@";

bool acceptsTypedCharacter(wchar_t c) noexcept {
    const wchar_t low = static_cast<wchar_t>(c & 0xFF);
    if (low == L'\0') return false;
    return IsCharAlphaNumericW(low) || std::wcschr(typingDelimiters, low) != nullptr;
}

}  // namespace kest
