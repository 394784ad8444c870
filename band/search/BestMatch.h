#pragma once
// Best Match: what a typed text means among program names. The text is split into terms,
// names and terms are folded (case, accents and a few letters the decomposition leaves),
// and every term must match the name, or the program's file name, in one of six kinds,
// best first. Names are prepared once per index; a keystroke only prepares its text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kest {

enum class MatchKind : std::uint8_t {
    Exact = 1,       // the whole name or program file name
    WordStart = 2,   // every term starts a word
    Initials = 3,    // a term is made of the beginnings of successive words
    InsideWord = 4,  // a term is contiguous inside a word
    Scattered = 5,   // a term's letters in order, with gaps
    OneTypo = 6,     // a term of four letters or more with one letter swapped, wrong, missing or extra
    None = 7,
};

// Case and accents removed: decomposed to form D by the platform, combining marks dropped,
// lower-cased by the platform, then ø→o, ł→l, đ→d, æ→ae, œ→oe, ß→ss, µ and μ→u.
std::wstring foldText(const std::wstring& text);

// The typed text's terms as typed: split at blanks; a piece without letters or digits
// (punctuation standing alone) only separates.
std::vector<std::wstring> splitTerms(const std::wstring& text);

// The last part of an executable that is a file-system path ("C:\..." or "\\server\..."),
// without its extension; empty for packaged apps, addresses and other names.
std::wstring programFileName(const std::wstring& executable);

// A name folded, its runs of blanks made one and the blanks at either end dropped, with a
// mark on every folded character that starts a word: at the start, after a blank or
// punctuation, at a lower-to-upper case change and at a change between letters and digits.
struct FoldedName {
    std::wstring text;
    std::vector<std::uint8_t> wordStarts;  // per character of text
    std::uint64_t letters = 0;             // a bit per character class present (see foldedLetterBit)
};
FoldedName foldName(const std::wstring& name);

// What matching needs of one item, prepared once: its folded name and program file name.
struct BestMatchItem {
    FoldedName name;
    FoldedName file;  // empty text when the item has no program file name
};
// name as it is to be matched (without extension); executable as the item starts it.
BestMatchItem prepareBestMatchItem(const std::wstring& name, const std::wstring& executable);

// A typed text prepared once per keystroke.
struct BestMatchText {
    std::wstring whole;               // folded, blanks made one, trimmed: compared for Exact
    std::vector<std::wstring> terms;  // folded
    std::vector<std::uint64_t> termLetters;
    bool empty() const noexcept { return terms.empty(); }
};
BestMatchText prepareBestMatchText(const std::wstring& text);

// How an item matches a text. Ranks compare best first by kind, then terms that equal
// whole words (more first), then place (the match's position, or for Scattered its gaps
// and letters off word starts; smaller first).
struct BestMatchScore {
    MatchKind kind = MatchKind::None;
    int wholeWords = 0;
    int place = 0;
};
BestMatchScore scoreBestMatch(const BestMatchText& text, const BestMatchItem& item);

// The order of two scored items of a list: kind, whole words, use (greater first), place,
// shorter name, then alphabetical folded name. Use never lifts an item above a better kind.
struct BestMatchRankKey {
    BestMatchScore score;
    double use = 0;
    const FoldedName* name = nullptr;
};
bool ranksBefore(const BestMatchRankKey& a, const BestMatchRankKey& b) noexcept;

// A launch's contribution to use: 1 now, halved every 30 days of age (in days).
double launchUse(double launches, double ageInDays) noexcept;

// Ranks items for text and returns the positions of the best limit ones, best first.
// use (empty, or one value per item) is the items' use. pickedFirst, when not SIZE_MAX and
// among the matches (or forced), goes first: see BestMatchPicks.
struct BestMatchRanking {
    std::vector<std::uint32_t> positions;
    std::vector<BestMatchScore> scores;  // per position
    bool learned = false;                // the first position is a learned pick
};
void rankBestMatchItems(const std::vector<BestMatchItem>& items, const BestMatchText& text,
                        const std::vector<double>& use, std::size_t limit, BestMatchRanking& ranking);

// Moves the learned pick to the front of ranking. exactPick is the item picked for exactly
// the text (SIZE_MAX: none); it goes first whatever its kind, and is added when it did not
// match at all. Else prefixPick, picked for the longest shorter text the text begins with,
// goes first when it matches in kinds 1 to 4.
void applyLearnedPick(const std::vector<BestMatchItem>& items, const BestMatchText& text, std::size_t exactPick,
                      std::size_t prefixPick, std::size_t limit, BestMatchRanking& ranking);

// Whether a ranked list may pre-select its first item: a text of two or more terms only
// for kinds 1 to 4 (else it stays a typed command).
bool mayPreselectFirst(const BestMatchText& text, const BestMatchRanking& ranking) noexcept;
// Whether Enter should rather consider the typed text as a command: one term whose best
// match is Scattered or One Typo (the caller then looks the term up on the search path).
bool mayBeTypedProgram(const BestMatchText& text, const BestMatchRanking& ranking) noexcept;

// For other programs (the quality benchmark): ranks candidates (name without extension,
// executable) for text, best first, at most limit. picks are (typed text, candidate
// position) in the order they were made; the learned-pick rules apply to them.
struct BestMatchCandidate {
    std::wstring name;
    std::wstring executable;
};
std::vector<std::size_t> rankBestMatches(const std::vector<BestMatchCandidate>& candidates, const std::wstring& text,
                                         const std::vector<std::pair<std::wstring, std::size_t>>& picks = {},
                                         std::size_t limit = 50);

// The key a learned pick is stored under: the text folded, blanks made one, trimmed.
std::wstring pickKey(const std::wstring& text);

}  // namespace kest
