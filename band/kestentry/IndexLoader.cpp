#include "IndexLoader.h"
#include "DocumentFileLoad.h"
#include "StartMenuScanner.h"
#include "XmlConventions.h"

namespace kest {

namespace {
IndexLoadResult scanned(ScanResult result) {
    switch (result) {
    case ScanResult::Saved: return IndexLoadResult::Scanned;
    case ScanResult::SaveFailed: return IndexLoadResult::ScannedNotSaved;
    case ScanResult::Aborted: break;
    }
    return IndexLoadResult::Aborted;
}
}  // namespace

std::optional<IndexLoadResult> loadIndexFile(const std::atomic<bool>& abortRequested, bool rescanRequested,
                                             ShortcutIndex& index, const std::wstring& indexPath) {
    if (rescanRequested) return std::nullopt;
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document || !loadDocumentFile(document.get(), indexPath)) return std::nullopt;
    switch (readIndex(document.get(), index, abortRequested)) {
    case IndexReadResult::Read: return IndexLoadResult::ReadFromFile;
    case IndexReadResult::Unusable: return IndexLoadResult::Unusable;
    case IndexReadResult::Aborted: return IndexLoadResult::Aborted;
    case IndexReadResult::Failed: return IndexLoadResult::Failed;
    case IndexReadResult::NoEntries: break;
    }
    return std::nullopt;
}

IndexLoadResult scanIndex(const ScanContext& context, const StringList& locations, ShortcutIndex& index,
                          const std::wstring& indexPath) {
    StartMenuScanner scanner(context, index);
    return scanned(scanner.Rescan(locations, indexPath));
}

IndexLoadResult loadOrScanIndex(const ScanContext& context, const StringList& locations, bool rescanRequested,
                                ShortcutIndex& index, const std::wstring& indexPath) {
    if (const auto read = loadIndexFile(context.abortRequested, rescanRequested, index, indexPath)) return *read;
    return scanIndex(context, locations, index, indexPath);
}

}  // namespace kest
