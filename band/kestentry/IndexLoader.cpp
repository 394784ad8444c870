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

IndexLoadResult loadOrScanIndex(const ScanContext& context, const StringList& locations, bool rescanRequested,
                                ShortcutIndex& index, const std::wstring& indexPath) {
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    bool loaded = false;
    if (document && !rescanRequested) loaded = loadDocumentFile(document.get(), indexPath);
    if (loaded) {
        switch (readIndex(document.get(), index, context.abortRequested)) {
        case IndexReadResult::Read: return IndexLoadResult::ReadFromFile;
        case IndexReadResult::Unusable: return IndexLoadResult::Unusable;
        case IndexReadResult::Aborted: return IndexLoadResult::Aborted;
        case IndexReadResult::Failed: return IndexLoadResult::Failed;
        case IndexReadResult::NoEntries: break;
        }
    }
    document.reset();
    StartMenuScanner scanner(context, index);
    return scanned(scanner.Rescan(locations, indexPath));
}

}  // namespace kest
