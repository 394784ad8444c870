#pragma once
// The launch record of every entry of the match catalog, looked up once per index and per
// change of the history, so that pre-selecting among thousands of listed items reads no
// item back from the list and looks nothing up.
#include "MatchCatalog.h"
#include "history/HistoryMap.h"
#include <cstdint>
#include <vector>

namespace kest {

class CatalogLaunchRecords {
public:
    // The index in listed (catalog positions in the list's order) of the item whose program
    // has the highest count (byCount) or else the latest launch: as HistoryMap's
    // mostFrequentIndex and mostRecentIndex over the items' executables, ties to the lower
    // index and 0 when no item qualifies.
    std::size_t preferredIndex(const MatchCatalog& catalog, const HistoryMap& history,
                               const std::vector<uint32_t>& listed, bool byCount);

private:
    void refresh(const MatchCatalog& catalog, const HistoryMap& history);

    std::vector<const HistoryEntry*> records_;  // by catalog position; null without a record
    uint64_t catalogBuild_ = 0;
    uint64_t historyVersion_ = 0;
};

}  // namespace kest
