#include "search/TextRules.h"
#include "HistoryMap.h"
#include "DocumentFileLoad.h"
#include "Bstr.h"
#include "ComPtr.h"
#include "DocumentReplaceSave.h"
#include "UsageRecordImport.h"
#include "UniqueHandle.h"
#include "XmlConventions.h"
#include "kestentry/ShortcutEntry.h"
#include <shlobj.h>

namespace kest {

namespace {

constexpr const wchar_t* Source = TraceSource::HistoryMap;
#define HISTORY_CALL(remark, call) KEST_DOM_CALL(Source, remark, call)

template <class Node>
std::wstring nodeName(Node* node, bool& ok) {
    Bstr name;
    ok = HISTORY_CALL(L"get_nodeName: ", node->get_nodeName(name.put()));
    return name.str();
}

template <class Node>
std::wstring nodeXml(Node* node, bool& ok) {
    Bstr xml;
    ok = HISTORY_CALL(L"get_xml: ", node->get_xml(xml.put()));
    return xml.str();
}

// The item of list at index; null (and traced) when the list cannot give it.
ComPtr<IXMLDOMNode> listItem(IXMLDOMNodeList* list, long index) {
    ComPtr<IXMLDOMNode> node;
    if (!HISTORY_CALL(L"get_item: ", list->get_item(index, node.put()))) return nullptr;
    return node;
}

// Moves node on to its next sibling, null at the end; false (and traced) when the call fails.
bool nextSibling(ComPtr<IXMLDOMNode>& node) {
    ComPtr<IXMLDOMNode> next;
    if (!HISTORY_CALL(L"get_nextSibling: ", node->get_nextSibling(next.put()))) return false;
    node = std::move(next);
    return true;
}

// Creates an element named name holding text; null (and traced) on failure.
ComPtr<IXMLDOMElement> createTextElement(IXMLDOMDocument* document, const wchar_t* name, const std::wstring& text) {
    ComPtr<IXMLDOMElement> element;
    const Bstr elementName(name);
    if (!HISTORY_CALL(L"createElement: ", document->createElement(elementName.get(), element.put())) || !element)
        return nullptr;
    const Bstr value(text);
    if (!HISTORY_CALL(L"put_text: ", element->put_text(value.get()))) return nullptr;
    return element;
}

}  // namespace

std::wstring formatHistoryNumber(std::uint32_t value) {
    return std::to_wstring(static_cast<std::int32_t>(value));
}

std::uint32_t parseHistoryNumber(const std::wstring& text) {
    std::size_t position = 0;
    while (position < text.size() && (text[position] == L' ' || (text[position] >= L'\t' && text[position] <= L'\r')))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == L'-' || text[position] == L'+')) {
        negative = text[position] == L'-';
        ++position;
    }
    std::uint32_t value = 0;
    for (; position < text.size() && text[position] >= L'0' && text[position] <= L'9'; ++position)
        value = value * 10u + static_cast<std::uint32_t>(text[position] - L'0');
    return negative ? 0u - value : value;
}

HistoryMap::HistoryMap() : HistoryMap(nullptr, 0, nullptr) {}

HistoryMap::HistoryMap(HWND window, UINT message, HWND ownNotice) : file_(window, message, ownNotice) {
    // The shell's records count from the first start on, before the band has a file.
    importUsageRecords();
    reread();
}

std::wstring HistoryMap::historyFilePath() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + HistoryFileText::FolderAndName;
}

int HistoryMap::recordLaunch(const wchar_t* path) {
    if (!path) return -1;
    HistoryLaunch launch{asciiLower(path)};
    GetSystemTimeAsFileTime(&launch.time);
    file_.record(std::move(launch));
    mergeEntries();
    return 0;
}

void HistoryMap::reread() {
    file_.reread();
    mergeEntries();
}

void HistoryMap::takeFileResults() {
    if (file_.takeResults()) mergeEntries();
}

void HistoryFile::apply(HistoryEntries& own, const HistoryLaunch& launch) {
    HistoryEntry& entry = own[launch.key];  // a new entry starts as { not imported, count 0 }
    entry.count += 1;
    entry.lasttimelow = launch.time.dwLowDateTime;
    entry.lasttimehigh = launch.time.dwHighDateTime;
    entry.path = launch.key;
}

void HistoryMap::mergeEntries() {
    entries_ = file_.view();
    for (const auto& record : usageRecords_) mergeUsageRecord(entries_, record.second);
    ++version_;
}

const HistoryEntry* HistoryMap::find(const std::wstring& key) const {
    const auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : &found->second;
}

std::size_t HistoryMap::preferredIndex(const std::vector<std::wstring>& itemTexts, bool byCount) const {
    return preferredLaunchIndex(itemTexts.size(), byCount, [&](std::size_t index) {
        return itemTexts[index].empty() ? nullptr : find(asciiLower(itemTexts[index]));
    });
}

std::size_t HistoryMap::mostFrequentIndex(const std::vector<std::wstring>& itemTexts) const {
    return preferredIndex(itemTexts, true);
}

std::size_t HistoryMap::mostRecentIndex(const std::vector<std::wstring>& itemTexts) const {
    return preferredIndex(itemTexts, false);
}

std::vector<std::wstring> comboBoxLaunchTexts(HWND comboBox) {
    std::vector<std::wstring> texts;
    const LRESULT count = SendMessageW(comboBox, CB_GETCOUNT, 0, 0);
    if (count == CB_ERR || count <= 0) return texts;
    texts.resize(static_cast<std::size_t>(count));
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT data = SendMessageW(comboBox, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        if (data != 0 && data != CB_ERR) {
            texts[static_cast<std::size_t>(index)] = reinterpret_cast<const ShortcutEntry*>(data)->executable;
            continue;
        }
        const LRESULT length = SendMessageW(comboBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR || length <= 0) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied =
            SendMessageW(comboBox, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
        if (copied == CB_ERR || copied < 0) continue;
        text.resize(static_cast<std::size_t>(copied) <= static_cast<std::size_t>(length) ? static_cast<std::size_t>(copied)
                                                                                          : static_cast<std::size_t>(length));
        texts[static_cast<std::size_t>(index)] = std::move(text);
    }
    return texts;
}

void HistoryMap::selectMostFrequent(HWND comboBox) const {
    SendMessageW(comboBox, CB_SETCURSEL, mostFrequentIndex(comboBoxLaunchTexts(comboBox)), 0);
}

void HistoryMap::selectMostRecent(HWND comboBox) const {
    SendMessageW(comboBox, CB_SETCURSEL, mostRecentIndex(comboBoxLaunchTexts(comboBox)), 0);
}

namespace {
// Appends one entry element for entry to parent, laid out as the file is.
void writeHistoryEntry(const HistoryEntry& entry, IXMLDOMDocument* document, IXMLDOMNode* parent);
// Fills entry from one entry element; false when the element is skipped (not exactly four
// child nodes).
bool readHistoryEntry(IXMLDOMNode* element, HistoryEntry& entry);
// As HistoryFile::read; false when the file held no complete valid history.
bool readHistoryFile(HistoryEntries& own);
}  // namespace

bool HistoryFile::write(const HistoryEntries& own) {
    using namespace HistoryFileText;
    const ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document) return false;

    ComPtr<IXMLDOMProcessingInstruction> declaration;
    const Bstr target(L"xml");
    const Bstr data(L"version='1.0'");
    if (!HISTORY_CALL(L"createProcessingInstruction: ",
                      document->createProcessingInstruction(target.get(), data.get(), declaration.put())))
        return false;
    appendChildNode(declaration.get(), document.get());

    ComPtr<IXMLDOMComment> comment;
    const Bstr commentText(Comment);
    if (!HISTORY_CALL(L"createComment: ", document->createComment(commentText.get(), comment.put()))) return false;
    appendChildNode(comment.get(), document.get());

    ComPtr<IXMLDOMElement> root;
    const Bstr rootName(Root);
    if (!HISTORY_CALL(L"createElement: ", document->createElement(rootName.get(), root.put())) || !root) return false;
    ComPtr<IXMLDOMAttribute> created;
    const Bstr createdName(CreatedAttribute);
    if (!HISTORY_CALL(L"createAttribute: ", document->createAttribute(createdName.get(), created.put())) || !created)
        return false;
    const Variant createdValue(CreatedValue);
    if (!HISTORY_CALL(L"put_value: ", created->put_value(createdValue.get()))) return false;
    ComPtr<IXMLDOMAttribute> replaced;
    if (!HISTORY_CALL(L"setAttributeNode: ", root->setAttributeNode(created.get(), replaced.put()))) return false;
    appendChildNode(root.get(), document.get());

    for (const auto& item : own) writeHistoryEntry(item.second, document.get(), root.get());
    appendWhitespace(document.get(), L"\n", root.get());

    return saveDocumentReplacing(document.get(), HistoryMap::historyFilePath(), Source);
}

void HistoryFile::read(HistoryEntries& own) { readHistoryFile(own); }

namespace {

void writeHistoryEntry(const HistoryEntry& entry, IXMLDOMDocument* document, IXMLDOMNode* parent) {
    using namespace HistoryFileText;
    if (!document || !parent) return;
    appendWhitespace(document, L"\n\t", parent);

    ComPtr<IXMLDOMElement> element;
    const Bstr entryName(Entry);
    if (!HISTORY_CALL(L"createElement: ", document->createElement(entryName.get(), element.put())) || !element) return;
    ComPtr<IXMLDOMDocumentFragment> fragment;
    if (!HISTORY_CALL(L"createDocumentFragment: ", document->createDocumentFragment(fragment.put())) || !fragment)
        return;
    appendWhitespace(document, L"\n\t\t", fragment.get());

    const struct {
        const wchar_t* name;
        std::wstring text;
    } fields[] = {
        {Path, entry.path},
        {Count, formatHistoryNumber(entry.count)},
        {LastTimeHigh, formatHistoryNumber(entry.lasttimehigh)},
        {LastTimeLow, formatHistoryNumber(entry.lasttimelow)},
    };
    for (const auto& field : fields) {
        const ComPtr<IXMLDOMElement> child = createTextElement(document, field.name, field.text);
        if (!child) return;
        appendChildNode(child.get(), fragment.get());
    }
    appendWhitespace(document, L"\n\t", fragment.get());
    appendChildNode(fragment.get(), element.get());
    appendChildNode(element.get(), parent);
}

bool readHistoryFile(HistoryEntries& own) {
    using namespace HistoryFileText;
    const ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document) return false;

    // A missing or unreadable file leaves the document empty, which the checks below refuse.
    loadDocumentFile(document.get(), HistoryMap::historyFilePath());

    ComPtr<IXMLDOMNodeList> topLevel;
    if (!HISTORY_CALL(L"get_childNodes: ", document->get_childNodes(topLevel.put())) || !topLevel) return false;
    long topLevelCount = 0;
    if (!HISTORY_CALL(L"get_length: ", topLevel->get_length(&topLevelCount)) || topLevelCount != 3) return false;

    bool ok = false;
    const ComPtr<IXMLDOMNode> declaration = listItem(topLevel.get(), 0);
    if (!declaration || nodeName(declaration.get(), ok) != L"xml" || !ok ||
        nodeXml(declaration.get(), ok) != Declaration || !ok)
        return false;
    const ComPtr<IXMLDOMNode> comment = listItem(topLevel.get(), 1);
    if (!comment || nodeName(comment.get(), ok) != L"#comment" || !ok || nodeXml(comment.get(), ok) != CommentXml || !ok)
        return false;
    const ComPtr<IXMLDOMNode> root = listItem(topLevel.get(), 2);
    if (!root || nodeName(root.get(), ok) != Root || !ok) return false;

    // Walked sibling by sibling: a node list's get_item costs time linear in its index, which
    // made a long history take minutes on the window thread.
    ComPtr<IXMLDOMNode> child;
    if (!HISTORY_CALL(L"get_firstChild: ", root->get_firstChild(child.put())) || !child) return false;
    HistoryEntries read;
    bool complete = true;
    while (child && complete) {
        const std::wstring name = nodeName(child.get(), ok);
        if (!ok) {
            complete = false;
            break;
        }
        if (name == Entry) {
            HistoryEntry entry;
            if (readHistoryEntry(child.get(), entry)) {
                const std::wstring key = entry.path;
                read[key] = std::move(entry);
            }
        }
        complete = nextSibling(child);
    }
    // A read that a failing DOM call cut short adds what it read, so that the save that
    // follows a launch loses nothing the band held.
    if (complete)
        own = std::move(read);
    else
        for (auto& item : read) own[item.first] = std::move(item.second);
    return complete;
}

bool readHistoryEntry(IXMLDOMNode* element, HistoryEntry& entry) {
    using namespace HistoryFileText;
    if (!element) return false;
    ComPtr<IXMLDOMNode> first;
    if (!HISTORY_CALL(L"get_firstChild: ", element->get_firstChild(first.put()))) return true;
    int childCount = 0;
    for (ComPtr<IXMLDOMNode> child = first; child && childCount <= 4;) {
        ++childCount;
        if (!nextSibling(child)) return true;
    }
    if (childCount != 4) return false;

    for (ComPtr<IXMLDOMNode> child = first; child;) {
        bool ok = false;
        const std::wstring name = nodeName(child.get(), ok);
        if (!ok) return true;
        Bstr text;
        if (!HISTORY_CALL(L"get_text: ", child->get_text(text.put()))) return true;
        if (name == Path)
            entry.path = text.str();
        else if (name == Count)
            entry.count = parseHistoryNumber(text.str());
        else if (name == LastTimeHigh)
            entry.lasttimehigh = parseHistoryNumber(text.str());
        else if (name == LastTimeLow)
            entry.lasttimelow = parseHistoryNumber(text.str());
        if (!nextSibling(child)) return true;
    }
    return true;
}

}  // namespace

void HistoryMap::importUsageRecords() {
    programRecords_.clear();
    kest::importUsageRecords(programRecords_);
    shortcutRecords_.clear();
    importShortcutRecords(shortcutRecords_);
    usageRecords_ = programRecords_;
    mergeEntries();
}

void HistoryMap::matchShortcutRecords(const ShortcutIndex& index) {
    usageRecords_ = programRecords_;
    mergeShortcutRecords(usageRecords_, shortcutRecords_, index);
    mergeEntries();
}

}  // namespace kest
