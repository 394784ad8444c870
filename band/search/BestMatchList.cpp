#include "BestMatchList.h"
#include "TextRules.h"

namespace kest {

int BestMatchList::collect(MatchMode mode, const std::wstring& text, const MatchCatalog& catalog,
                           const HistoryMap& history, MatchSet& matches, std::vector<uint32_t>& listed) {
    text_.clear();
    ranking_ = BestMatchRanking{};
    if (mode != MatchMode::BestMatch) return -1;
    if (!picks_ && window_) picks_ = std::make_unique<PickStore>(window_, message_, ownNotice_);
    if (text.find_first_of(L"\\/:") != std::wstring::npos) return -1;
    prepared_ = prepareBestMatchText(text);
    if (prepared_.empty()) return -1;
    text_ = text;
    refreshUse(catalog, history);
    rankBestMatchItems(catalog.bestMatchItems(), prepared_, use_, MostItems, ranking_);
    if (picks_) {
        const std::wstring key = pickKey(text);
        const size_t exact = findPick(catalog, picks_->find(key));
        const size_t prefix = exact == SIZE_MAX ? findPick(catalog, picks_->findForPrefix(key)) : SIZE_MAX;
        applyLearnedPick(catalog.bestMatchItems(), prepared_, exact, prefix, MostItems, ranking_);
    }
    return catalog.collectPositions(ranking_.positions, matches, listed);
}

size_t BestMatchList::findPick(const MatchCatalog& catalog, const LearnedPick* pick) const {
    if (!pick) return SIZE_MAX;
    for (uint32_t position = 0; position < catalog.size(); ++position) {
        const ShortcutEntry& entry = *catalog.entry(position);
        if (entry.executable == pick->executable && entry.name == pick->name && entry.arguments == pick->arguments)
            return position;
    }
    return SIZE_MAX;
}

void BestMatchList::refreshUse(const MatchCatalog& catalog, const HistoryMap& history) {
    // Every launch changes a count and a time; a new index changes the build.
    uint64_t print = history.entries().size();
    for (const auto& [key, entry] : history.entries())
        print = print * 1099511628211ull + entry.count + static_cast<uint64_t>(lastLaunchTime(entry));
    if (catalog.buildId() == useCatalog_ && print == useHistory_ && use_.size() == catalog.size()) return;
    useCatalog_ = catalog.buildId();
    useHistory_ = print;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const double nowTime = static_cast<double>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    constexpr double FileTimeDay = 864000000000.0;
    use_.assign(catalog.size(), 0.0);
    if (history.entries().empty()) return;
    for (uint32_t position = 0; position < catalog.size(); ++position) {
        const HistoryEntry* entry = history.find(asciiLower(catalog.entry(position)->executable));
        if (entry)
            use_[position] =
                launchUse(entry->count, (nowTime - static_cast<double>(lastLaunchTime(*entry))) / FileTimeDay);
    }
}

bool BestMatchList::runsTypedText(std::wstring& command) const {
    if (!ranked() || !mayBeTypedProgram(prepared_, ranking_)) return false;
    const std::wstring program = trimWhitespace(text_);
    wchar_t found[MAX_PATH] = {};
    if (!SearchPathW(nullptr, program.c_str(), L".exe", MAX_PATH, found, nullptr)) return false;
    command = program;
    return true;
}

void BestMatchList::recordPick(const ShortcutEntry& entry) {
    if (ranked() && picks_) picks_->record(text_, entry.executable, entry.arguments, entry.name);
}

}  // namespace kest
