#pragma once
// The search box's list under Best Match: the best 50 matches of the catalog in rank
// order, the learned pick first, with what the bar may pre-select and whether Enter
// rather runs the typed text. It keeps the learned picks and the text of its last list,
// under which a launch is recorded as a pick.
#include "BestMatch.h"
#include "MatchCatalog.h"
#include "history/HistoryMap.h"
#include "history/PickStore.h"
#include <memory>

namespace kest {

class BestMatchList {
public:
    static constexpr size_t MostItems = 50;

    // window is posted message when the learned picks' worker has read or saved them;
    // ownNotice is the band's notification window. They are first read when the bar first
    // matches under Best Match, so that a band in another mode never reads them.
    void start(HWND window, UINT message, HWND ownNotice) noexcept {
        window_ = window;
        message_ = message;
        ownNotice_ = ownNotice;
    }
    // Fills matches and listed (rank order) for text under mode and returns the count of
    // index entries listed; -1 when the text is not one for Best Match (another mode, an
    // empty text, or a path with "\", "/" or ":"), which the bar then matches as before.
    int collect(MatchMode mode, const std::wstring& text, const MatchCatalog& catalog, const HistoryMap& history,
                MatchSet& matches, std::vector<uint32_t>& listed);
    // Whether the last list was made here and its first item may be pre-selected.
    bool ranked() const noexcept { return !text_.empty(); }
    bool mayPreselect() const noexcept { return ranked() && mayPreselectFirst(prepared_, ranking_); }
    // At Enter: whether the typed text of the last list is to run as a command instead of
    // its first item (one term that names a program on the search path, best matched only
    // loosely); command is then that text.
    bool runsTypedText(std::wstring& command) const;
    // Records entry, just started, as the pick for the text of the last list.
    void recordPick(const ShortcutEntry& entry);

    // On the message: takes the picks read or saved.
    void takePicks() {
        if (picks_) picks_->takeResults();
    }
    // Another band saved the file: it is read again.
    void reloadPicks() {
        if (picks_) picks_->reload();
    }
    // With the window: picks not yet saved are still saved, and nothing is posted any more.
    void closePicks() noexcept { picks_.reset(); }
    const PickStore* picks() const noexcept { return picks_.get(); }

private:
    // The use of every catalog item, worked out again when the catalog or the history changed.
    void refreshUse(const MatchCatalog& catalog, const HistoryMap& history);
    size_t findPick(const MatchCatalog& catalog, const LearnedPick* pick) const;

    HWND window_ = nullptr;
    UINT message_ = 0;
    HWND ownNotice_ = nullptr;
    std::unique_ptr<PickStore> picks_;
    std::wstring text_;
    BestMatchText prepared_;
    BestMatchRanking ranking_;
    std::vector<double> use_;
    uint64_t useCatalog_ = 0;
    uint64_t useHistory_ = 0;
};

}  // namespace kest
