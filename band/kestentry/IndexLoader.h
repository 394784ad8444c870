#pragma once
// The load-or-scan step of the bar's worker: read the index file, or scan and save it.
#include "IndexFile.h"
#include "ScanContext.h"
#include "StringListKey.h"
#include <atomic>
#include <optional>

namespace kest {

enum class IndexLoadResult {
    ReadFromFile,  // the file gave at least one entry
    Scanned,       // scanned and saved
    ScannedNotSaved,  // scanned; the save failed (traced)
    Unusable,      // the file's header differs or its "root" is empty: index left empty
    Aborted,       // abortRequested stopped the read or the scan; the file was not replaced
    Failed,        // a DOM call failed while reading (traced)
};

// Fills index (passed empty) from indexPath unless rescanRequested. No result when a scan is
// needed instead: no document can be made, the load fails or the file holds no entry.
std::optional<IndexLoadResult> loadIndexFile(const std::atomic<bool>& abortRequested, bool rescanRequested,
                                             ShortcutIndex& index, const std::wstring& indexPath);
// Fills index (passed empty) by scanning locations, and saves it to indexPath.
IndexLoadResult scanIndex(const ScanContext& context, const StringList& locations, ShortcutIndex& index,
                          const std::wstring& indexPath);

// The two above in turn: reads the file, or scans where it gives no result.
IndexLoadResult loadOrScanIndex(const ScanContext& context, const StringList& locations, bool rescanRequested,
                                ShortcutIndex& index, const std::wstring& indexPath);

}  // namespace kest
