#pragma once
// Case rules of the band: case-insensitive comparisons and lower-casing fold only the
// ASCII letters A to Z; every other character compares by its code unit.
#include <string>

namespace kest {

wchar_t asciiLower(wchar_t c) noexcept;
std::wstring asciiLower(const std::wstring& text);
bool equalsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b) noexcept;
// The first `length` characters of text (all of it when shorter).
std::wstring leadingCharacters(const std::wstring& text, size_t length);
// Without blanks, tabs and line breaks at either end.
std::wstring trimWhitespace(const std::wstring& text);

}  // namespace kest

namespace kest {

// The punctuation that may be typed into the search box, besides letters and digits.
extern const wchar_t typingDelimiters[];
// Judged by the low 8 bits of the character: alphanumeric or one of typingDelimiters.
bool acceptsTypedCharacter(wchar_t c) noexcept;

}  // namespace kest
