#include "BestMatch.h"
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <map>

namespace kest {

namespace {

// Marks of a folded name's characters.
constexpr std::uint8_t WordStartMark = 1;
constexpr std::uint8_t SeparatorMark = 2;

// The letters that decomposition leaves whole, folded further.
void appendSpecialFolded(wchar_t c, std::wstring& out) {
    switch (c) {
    case 0x00F8: out += L'o'; break;   // ø
    case 0x0142: out += L'l'; break;   // ł
    case 0x0111: out += L'd'; break;   // đ
    case 0x00E6: out += L"ae"; break;  // æ
    case 0x0153: out += L"oe"; break;  // œ
    case 0x00DF: out += L"ss"; break;  // ß
    case 0x00B5:                       // µ
    case 0x03BC: out += L'u'; break;   // μ
    default: out += c; break;
    }
}

// A combining mark: nonspacing and no letter itself (a precomposed "â" is marked nonspacing too).
bool isNonSpacing(wchar_t c) {
    WORD type = 0;
    return c >= 0x80 && GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING) != 0 &&
           (type & C3_ALPHA) == 0;
}

// Appends c folded: nothing for a combining mark, two letters for a ligature.
void appendFolded(wchar_t c, std::wstring& out) {
    if (c < 0x80) {
        out += c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
        return;
    }
    wchar_t decomposed[8];
    int length = NormalizeString(NormalizationD, &c, 1, decomposed, 8);
    if (length <= 0) {
        decomposed[0] = c;
        length = 1;
    }
    for (int i = 0; i < length; ++i) {
        if (isNonSpacing(decomposed[i])) continue;
        wchar_t lower = decomposed[i];
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &decomposed[i], 1, &lower, 1, nullptr, nullptr, 0);
        appendSpecialFolded(lower, out);
    }
}

std::uint64_t letterBit(wchar_t c) noexcept {
    if (c >= L'a' && c <= L'z') return 1ull << (c - L'a');
    if (c >= L'0' && c <= L'9') return 1ull << (26 + (c - L'0'));
    return 1ull << (36 + c % 28);
}

std::uint64_t lettersOf(const std::wstring& text) noexcept {
    std::uint64_t letters = 0;
    for (wchar_t c : text) letters |= letterBit(c);
    return letters;
}

enum class CharClass { Separator, Upper, Lower, Digit, Letter };

CharClass classOf(WORD type) noexcept {
    if (type & C1_DIGIT) return CharClass::Digit;
    if (type & C1_UPPER) return CharClass::Upper;
    if (type & C1_LOWER) return CharClass::Lower;
    if (type & C1_ALPHA) return CharClass::Letter;
    return CharClass::Separator;
}

bool startsWord(CharClass previous, CharClass current) noexcept {
    if (current == CharClass::Separator) return false;
    if (previous == CharClass::Separator) return true;
    if (previous == CharClass::Lower && current == CharClass::Upper) return true;
    return (previous == CharClass::Digit) != (current == CharClass::Digit);
}

bool isBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t' || c == 0x00A0 || c == 0x3000; }

bool hasLetterOrDigit(const std::wstring& text) {
    if (text.empty()) return false;
    std::vector<WORD> types(text.size());
    if (!GetStringTypeW(CT_CTYPE1, text.data(), static_cast<int>(text.size()), types.data())) return true;
    return std::any_of(types.begin(), types.end(), [](WORD type) { return (type & (C1_ALPHA | C1_DIGIT)) != 0; });
}

struct TermMatch {
    MatchKind kind = MatchKind::None;
    bool wholeWord = false;
    int place = 0;
};

bool endsWord(const FoldedName& name, std::size_t end) noexcept {
    return end >= name.text.size() || name.wordStarts[end] != 0;
}

std::size_t nextWordStart(const FoldedName& name, std::size_t position) noexcept {
    for (std::size_t next = position + 1; next < name.text.size(); ++next)
        if (name.wordStarts[next] & WordStartMark) return next;
    return std::wstring::npos;
}

// Whether term from offset is the beginning of the word at position followed by
// beginnings of the words after it, one each, with words words used before.
bool initialsFrom(const std::wstring& term, std::size_t offset, const FoldedName& name, std::size_t position,
                  int words) {
    const std::wstring& text = name.text;
    std::size_t common = 0;
    while (offset + common < term.size() && position + common < text.size() &&
           text[position + common] == term[offset + common] && (common == 0 || name.wordStarts[position + common] == 0))
        ++common;
    if (common == 0) return false;
    const std::size_t next = nextWordStart(name, position);
    for (std::size_t taken = common; taken >= 1; --taken) {
        if (offset + taken == term.size()) return words >= 1;
        if (next != std::wstring::npos && initialsFrom(term, offset + taken, name, next, words + 1)) return true;
    }
    return false;
}

// The letters of term in order in the name: the gaps between them and the letters off
// word starts, added, or -1.
int scatteredPenalty(const std::wstring& term, const FoldedName& name) noexcept {
    int penalty = 0;
    std::size_t position = 0;
    std::size_t previous = std::wstring::npos;
    for (wchar_t c : term) {
        while (position < name.text.size() && name.text[position] != c) ++position;
        if (position == name.text.size()) return -1;
        if (previous != std::wstring::npos) penalty += static_cast<int>(position - previous - 1);
        if (!(name.wordStarts[position] & WordStartMark)) ++penalty;
        previous = position++;
    }
    return penalty;
}

// Whether term is one edit away from a beginning of text at position: two neighbours
// swapped, or one letter wrong, extra or missing.
bool oneEditFrom(const std::wstring& term, const std::wstring& text, std::size_t position) noexcept {
    const std::size_t length = term.size();
    const std::size_t available = text.size() - position;
    const wchar_t* other = text.data() + position;
    std::size_t first = 0;
    while (first < length && first < available && term[first] == other[first]) ++first;
    if (first == length) return true;
    if (available >= length) {
        // Wrong or swapped: the rest after the first difference agrees.
        if (std::equal(term.begin() + first + 1, term.end(), other + first + 1)) return true;
        if (first + 1 < length && term[first] == other[first + 1] && term[first + 1] == other[first] &&
            std::equal(term.begin() + first + 2, term.end(), other + first + 2))
            return true;
    }
    // Extra: the term without its letter at the first difference.
    if (available + 1 >= length && std::equal(term.begin() + first + 1, term.end(), other + first)) return true;
    // Missing: the text's letter at the first difference skipped.
    return available >= length + 1 && std::equal(term.begin() + first, term.end(), other + first + 1);
}

TermMatch matchTerm(const std::wstring& term, std::uint64_t letters, const FoldedName& name) {
    const std::wstring& text = name.text;
    const bool present = (letters & ~name.letters) == 0;
    if (present && term.size() <= text.size()) {
        TermMatch match;
        for (std::size_t found = text.find(term); found != std::wstring::npos; found = text.find(term, found + 1)) {
            if (name.wordStarts[found] & WordStartMark) {
                const bool whole = endsWord(name, found + term.size());
                if (match.kind != MatchKind::WordStart || (whole && !match.wholeWord))
                    match = {MatchKind::WordStart, whole, static_cast<int>(found)};
                if (whole) break;
            } else if (match.kind == MatchKind::None) {
                match = {MatchKind::InsideWord, false, static_cast<int>(found)};
            }
        }
        if (match.kind == MatchKind::WordStart) return match;
        for (std::size_t start = 0; start < text.size(); ++start)
            if ((name.wordStarts[start] & WordStartMark) && text[start] == term[0] &&
                initialsFrom(term, 0, name, start, 0))
                return {MatchKind::Initials, false, static_cast<int>(start)};
        if (match.kind == MatchKind::InsideWord) return match;
        const int penalty = scatteredPenalty(term, name);
        if (penalty >= 0) return {MatchKind::Scattered, false, penalty};
    }
    if (term.size() >= 4) {
        const std::uint64_t missing = letters & ~name.letters;
        if ((missing & (missing - 1)) != 0) return {};  // two letters absent: two typos at least
        for (std::size_t start = 0; start < text.size(); ++start)
            if ((name.wordStarts[start] & WordStartMark) && oneEditFrom(term, text, start))
                return {MatchKind::OneTypo, false, static_cast<int>(start)};
    }
    return {};
}

BestMatchScore scoreName(const BestMatchText& text, const FoldedName& name) {
    BestMatchScore score{MatchKind::Exact, 0, 0};
    for (std::size_t i = 0; i < text.terms.size(); ++i) {
        const TermMatch match = matchTerm(text.terms[i], text.termLetters[i], name);
        if (match.kind == MatchKind::None) return {};
        if (i == 0 || match.kind > score.kind) score.kind = match.kind;
        if (match.wholeWord) ++score.wholeWords;
        if (i == 0) score.place = match.place;
    }
    return score;
}

bool better(const BestMatchScore& a, const BestMatchScore& b) noexcept {
    if (a.kind != b.kind) return a.kind < b.kind;
    if (a.wholeWords != b.wholeWords) return a.wholeWords > b.wholeWords;
    return a.place < b.place;
}

}  // namespace

std::wstring foldText(const std::wstring& text) {
    std::wstring folded;
    folded.reserve(text.size());
    for (wchar_t c : text) appendFolded(c, folded);
    return folded;
}

std::vector<std::wstring> splitTerms(const std::wstring& text) {
    std::vector<std::wstring> terms;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && isBlank(text[position])) ++position;
        std::size_t end = position;
        while (end < text.size() && !isBlank(text[end])) ++end;
        std::wstring term = text.substr(position, end - position);
        if (hasLetterOrDigit(term)) terms.push_back(std::move(term));
        position = end;
    }
    return terms;
}

std::wstring programFileName(const std::wstring& executable) {
    const bool drivePath = executable.size() >= 3 && iswalpha(executable[0]) && executable[1] == L':' &&
                           executable[2] == L'\\';
    const bool networkPath = executable.compare(0, 2, L"\\\\") == 0;
    if (!drivePath && !networkPath) return std::wstring();
    const std::wstring last = executable.substr(executable.find_last_of(L'\\') + 1);
    const std::size_t dot = last.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? last : last.substr(0, dot);
}

FoldedName foldName(const std::wstring& name) {
    FoldedName folded;
    folded.text.reserve(name.size());
    folded.wordStarts.reserve(name.size());
    std::vector<WORD> types(name.size());
    if (!name.empty()) GetStringTypeW(CT_CTYPE1, name.data(), static_cast<int>(name.size()), types.data());
    CharClass previous = CharClass::Separator;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (isBlank(c)) {
            if (!folded.text.empty() && folded.text.back() != L' ') {
                folded.text += L' ';
                folded.wordStarts.push_back(SeparatorMark);
            }
            previous = CharClass::Separator;
            continue;
        }
        // A combining mark belongs to the letter before it.
        if (isNonSpacing(c)) continue;
        const CharClass current = classOf(types[i]);
        const std::size_t before = folded.text.size();
        appendFolded(c, folded.text);
        const std::uint8_t mark = current == CharClass::Separator ? SeparatorMark
                                  : startsWord(previous, current) ? WordStartMark
                                                                  : 0;
        for (std::size_t added = before; added < folded.text.size(); ++added)
            folded.wordStarts.push_back(added == before ? mark : (mark == SeparatorMark ? SeparatorMark : 0));
        previous = current;
    }
    if (!folded.text.empty() && folded.text.back() == L' ') {
        folded.text.pop_back();
        folded.wordStarts.pop_back();
    }
    folded.letters = lettersOf(folded.text);
    return folded;
}

BestMatchItem prepareBestMatchItem(const std::wstring& name, const std::wstring& executable) {
    return BestMatchItem{foldName(name), foldName(programFileName(executable))};
}

BestMatchText prepareBestMatchText(const std::wstring& text) {
    BestMatchText prepared;
    for (const std::wstring& term : splitTerms(text)) {
        prepared.terms.push_back(foldText(term));
        prepared.termLetters.push_back(lettersOf(prepared.terms.back()));
    }
    if (!prepared.terms.empty()) prepared.whole = foldName(text).text;
    return prepared;
}

BestMatchScore scoreBestMatch(const BestMatchText& text, const BestMatchItem& item) {
    if (text.empty()) return {};
    const int terms = static_cast<int>(text.terms.size());
    if (text.whole == item.name.text || (!item.file.text.empty() && text.whole == item.file.text))
        return {MatchKind::Exact, terms, 0};
    BestMatchScore score = scoreName(text, item.name);
    if (terms == 1 && !item.file.text.empty()) {
        BestMatchScore file = scoreName(text, item.file);
        // Of the program file name, only its beginning counts as a word start.
        if (file.kind == MatchKind::WordStart && file.place > 0) file.kind = MatchKind::InsideWord;
        if (better(file, score)) score = file;
    }
    return score;
}

bool ranksBefore(const BestMatchRankKey& a, const BestMatchRankKey& b) noexcept {
    if (a.score.kind != b.score.kind) return a.score.kind < b.score.kind;
    if (a.score.wholeWords != b.score.wholeWords) return a.score.wholeWords > b.score.wholeWords;
    if (a.use != b.use) return a.use > b.use;
    if (a.score.place != b.score.place) return a.score.place < b.score.place;
    if (a.name->text.size() != b.name->text.size()) return a.name->text.size() < b.name->text.size();
    return a.name->text < b.name->text;
}

double launchUse(double launches, double ageInDays) noexcept {
    return launches * std::exp2(-std::max(0.0, ageInDays) / 30.0);
}

void rankBestMatchItems(const std::vector<BestMatchItem>& items, const BestMatchText& text,
                        const std::vector<double>& use, std::size_t limit, BestMatchRanking& ranking) {
    ranking.positions.clear();
    ranking.scores.clear();
    ranking.learned = false;
    if (text.empty()) return;
    std::vector<std::pair<BestMatchRankKey, std::uint32_t>> matches;
    matches.reserve(items.size() / 4);
    for (std::uint32_t position = 0; position < items.size(); ++position) {
        const BestMatchScore score = scoreBestMatch(text, items[position]);
        if (score.kind == MatchKind::None) continue;
        matches.push_back({{score, use.empty() ? 0.0 : use[position], &items[position].name}, position});
    }
    const auto order = [](const auto& a, const auto& b) { return ranksBefore(a.first, b.first); };
    const std::size_t kept = std::min(limit, matches.size());
    std::partial_sort(matches.begin(), matches.begin() + static_cast<std::ptrdiff_t>(kept), matches.end(), order);
    for (std::size_t i = 0; i < kept; ++i) {
        ranking.positions.push_back(matches[i].second);
        ranking.scores.push_back(matches[i].first.score);
    }
}

void applyLearnedPick(const std::vector<BestMatchItem>& items, const BestMatchText& text, std::size_t exactPick,
                      std::size_t prefixPick, std::size_t limit, BestMatchRanking& ranking) {
    const bool exact = exactPick < items.size();
    const std::size_t pick = exact ? exactPick : prefixPick;
    if (pick >= items.size()) return;
    const BestMatchScore score = scoreBestMatch(text, items[pick]);
    if (!exact && score.kind > MatchKind::InsideWord) return;
    const auto found = std::find(ranking.positions.begin(), ranking.positions.end(), static_cast<std::uint32_t>(pick));
    if (found != ranking.positions.end()) {
        const std::ptrdiff_t at = found - ranking.positions.begin();
        ranking.positions.erase(found);
        ranking.scores.erase(ranking.scores.begin() + at);
    }
    ranking.positions.insert(ranking.positions.begin(), static_cast<std::uint32_t>(pick));
    ranking.scores.insert(ranking.scores.begin(), score);
    if (ranking.positions.size() > limit) {
        ranking.positions.resize(limit);
        ranking.scores.resize(limit);
    }
    ranking.learned = true;
}

bool mayPreselectFirst(const BestMatchText& text, const BestMatchRanking& ranking) noexcept {
    if (ranking.positions.empty()) return false;
    return ranking.learned || text.terms.size() < 2 || ranking.scores.front().kind <= MatchKind::InsideWord;
}

bool mayBeTypedProgram(const BestMatchText& text, const BestMatchRanking& ranking) noexcept {
    if (text.terms.size() != 1 || ranking.learned) return false;
    return ranking.positions.empty() || ranking.scores.front().kind >= MatchKind::Scattered;
}

std::wstring pickKey(const std::wstring& text) { return foldName(text).text; }

std::vector<std::size_t> rankBestMatches(const std::vector<BestMatchCandidate>& candidates, const std::wstring& text,
                                         const std::vector<std::pair<std::wstring, std::size_t>>& picks,
                                         std::size_t limit) {
    std::vector<BestMatchItem> items;
    items.reserve(candidates.size());
    for (const BestMatchCandidate& candidate : candidates)
        items.push_back(prepareBestMatchItem(candidate.name, candidate.executable));
    const BestMatchText prepared = prepareBestMatchText(text);
    BestMatchRanking ranking;
    rankBestMatchItems(items, prepared, {}, limit, ranking);

    // The latest pick per typed text; then the exact one, or the longest shorter one.
    std::map<std::wstring, std::size_t> latest;
    for (const auto& [typed, position] : picks) latest[pickKey(typed)] = position;
    const std::wstring key = pickKey(text);
    std::size_t exactPick = SIZE_MAX, prefixPick = SIZE_MAX;
    if (const auto found = latest.find(key); found != latest.end()) exactPick = found->second;
    for (std::size_t length = key.size(); exactPick == SIZE_MAX && length-- > 1;) {
        if (const auto found = latest.find(key.substr(0, length)); found != latest.end()) {
            prefixPick = found->second;
            break;
        }
    }
    applyLearnedPick(items, prepared, exactPick, prefixPick, limit, ranking);
    return std::vector<std::size_t>(ranking.positions.begin(), ranking.positions.end());
}

}  // namespace kest
