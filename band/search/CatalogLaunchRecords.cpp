#include "CatalogLaunchRecords.h"
#include <algorithm>

namespace kest {

void CatalogLaunchRecords::refresh(const MatchCatalog& catalog, const HistoryMap& history) {
    if (filled_ && catalogBuild_ == catalog.buildId() && historyVersion_ == history.version() &&
        records_.size() == catalog.size())
        return;
    filled_ = true;
    catalogBuild_ = catalog.buildId();
    historyVersion_ = history.version();
    records_.assign(catalog.size(), nullptr);
    // The history holds far fewer programs than a large index, so each of its entries is
    // looked up among the catalog's keys rather than the other way round.
    const auto& keys = catalog.launchKeys();
    for (const auto& [key, entry] : history.entries()) {
        auto found = std::lower_bound(keys.begin(), keys.end(), key,
                                      [](const std::pair<std::wstring, uint32_t>& item, const std::wstring& wanted) {
                                          return item.first < wanted;
                                      });
        for (; found != keys.end() && found->first == key; ++found) records_[found->second] = &entry;
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
