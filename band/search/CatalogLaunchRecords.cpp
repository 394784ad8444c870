#include "CatalogLaunchRecords.h"
#include "TextRules.h"

namespace kest {

void CatalogLaunchRecords::refresh(const MatchCatalog& catalog, const HistoryMap& history) {
    if (filled_ && catalogBuild_ == catalog.buildId() && historyVersion_ == history.version() &&
        records_.size() == catalog.size())
        return;
    filled_ = true;
    catalogBuild_ = catalog.buildId();
    historyVersion_ = history.version();
    records_.assign(catalog.size(), nullptr);
    if (history.entries().empty()) return;
    for (uint32_t position = 0; position < catalog.size(); ++position) {
        const std::wstring& executable = catalog.entry(position)->executable;
        if (!executable.empty()) records_[position] = history.find(asciiLower(executable));
    }
}

std::size_t CatalogLaunchRecords::mostFrequentIndex(const MatchCatalog& catalog, const HistoryMap& history,
                                                    const std::vector<uint32_t>& listed) {
    refresh(catalog, history);
    std::uint32_t bestCount = 0;
    std::size_t bestIndex = 0;
    for (std::size_t index = 0; index < listed.size(); ++index) {
        const HistoryEntry* record = listed[index] < records_.size() ? records_[listed[index]] : nullptr;
        if (record && record->count > bestCount) {
            bestCount = record->count;
            bestIndex = index;
        }
    }
    return bestIndex;
}

std::size_t CatalogLaunchRecords::mostRecentIndex(const MatchCatalog& catalog, const HistoryMap& history,
                                                  const std::vector<uint32_t>& listed) {
    refresh(catalog, history);
    std::int64_t bestTime = 0;
    std::size_t bestIndex = 0;
    for (std::size_t index = 0; index < listed.size(); ++index) {
        const HistoryEntry* record = listed[index] < records_.size() ? records_[listed[index]] : nullptr;
        if (record && lastLaunchTime(*record) > bestTime) {
            bestTime = lastLaunchTime(*record);
            bestIndex = index;
        }
    }
    return bestIndex;
}

}  // namespace kest
