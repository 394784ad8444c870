#include "CatalogLaunchRecords.h"
#include <algorithm>

namespace kest {

void CatalogLaunchRecords::refresh(const MatchCatalog& catalog, const HistoryMap& history) {
    if (catalogBuild_ == catalog.buildId() && historyVersion_ == history.version() && records_.size() == catalog.size())
        return;
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

std::size_t CatalogLaunchRecords::preferredIndex(const MatchCatalog& catalog, const HistoryMap& history,
                                                 const std::vector<uint32_t>& listed, bool byCount) {
    refresh(catalog, history);
    return preferredLaunchIndex(listed.size(), byCount, [&](std::size_t index) {
        return listed[index] < records_.size() ? records_[listed[index]] : nullptr;
    });
}

}  // namespace kest
