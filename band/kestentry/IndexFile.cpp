#include "IndexFile.h"
#include "DocumentReplaceSave.h"
#include "Bstr.h"
#include "ComPtr.h"
#include "XmlConventions.h"
#include <shlobj.h>
#include <climits>
#include <cwchar>

namespace kest {

namespace {

constexpr const wchar_t* IndexFileName = L"Brindlewood\\Kestrune\\mapdata.xml";
constexpr const wchar_t* EntryElementName = L"KESTRUNEENTRY";
constexpr const wchar_t* Declaration = L"<?xml version=\"1.0\"?>";
constexpr const wchar_t* CommentText = L"Kestrune Mapdata XML file.";
constexpr const wchar_t* CommentXml = L"<!--Kestrune Mapdata XML file.-->";

bool isWhitespaceOnlyText(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_TEXT) return false;
    Bstr text;
    if (FAILED(node->get_text(text.put()))) return false;
    for (wchar_t c : text.str())
        if (c != L' ' && c != L'\t' && c != L'\r' && c != L'\n') return false;
    return true;
}

// The next sibling, or null at the end; false when the call fails.
bool nextSibling(const wchar_t* source, ComPtr<IXMLDOMNode>& node) {
    ComPtr<IXMLDOMNode> next;
    if (!KEST_DOM_CALL(source, L"get_nextSibling: ", node->get_nextSibling(next.put()))) return false;
    node = std::move(next);
    return true;
}

std::wstring nodeName(IXMLDOMNode* node, bool& ok, const wchar_t* source) {
    Bstr name;
    ok = KEST_DOM_CALL(source, L"get_nodeName: ", node->get_nodeName(name.put()));
    return name.str();
}

std::wstring nodeXml(IXMLDOMNode* node, bool& ok, const wchar_t* source) {
    Bstr xml;
    ok = KEST_DOM_CALL(source, L"get_xml: ", node->get_xml(xml.put()));
    return xml.str();
}

// The text as a decimal integer: leading blanks and a sign accepted, conversion stops at
// the first non-digit, no digits give 0; values beyond the 32-bit range are clamped.
int decimalValue(const std::wstring& text) {
    const long value = wcstol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool appendNewNode(IXMLDOMNode* node, IXMLDOMNode* parent, const wchar_t* remark) {
    ComPtr<IXMLDOMNode> appended;
    return KEST_DOM_CALL(TraceSource::SimpleBarDlg, remark, parent->appendChild(node, appended.put()));
}

}  // namespace

std::wstring indexFilePath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) folder[0] = L'\0';
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + IndexFileName;
}

void writeIndexEntry(const ShortcutEntry& entry, IXMLDOMDocument* document, IXMLDOMNode* parent) {
    if (!document || !parent) return;
    const wchar_t* source = TraceSource::KestEntry;
    appendWhitespace(document, L"\n\t", parent);

    ComPtr<IXMLDOMElement> element;
    if (!KEST_DOM_CALL(source, L"", document->createElement(Bstr(EntryElementName).get(), element.put())) || !element)
        return;
    ComPtr<IXMLDOMDocumentFragment> fragment;
    if (!KEST_DOM_CALL(source, L"", document->createDocumentFragment(fragment.put())) || !fragment) return;
    appendWhitespace(document, L"\n\t\t", fragment.get());

    const std::pair<const wchar_t*, std::wstring> fields[] = {
        {L"name", entry.name},
        {L"path", entry.path},
        {L"workingdir", entry.workingdir},
        {L"iconlocation", entry.iconlocation},
        {L"executable", entry.executable},
        {L"arguments", entry.arguments},
        {L"showcmd", std::to_wstring(entry.showcmd)},
        {L"iconindex", std::to_wstring(entry.iconindex)},
    };
    for (const auto& field : fields) {
        ComPtr<IXMLDOMElement> child;
        if (!KEST_DOM_CALL(source, L"", document->createElement(Bstr(field.first).get(), child.put())) || !child)
            return;
        if (!KEST_DOM_CALL(source, L"", child->put_text(Bstr(field.second).get()))) return;
        appendChildNode(child.get(), fragment.get());
    }
    appendWhitespace(document, L"\n\t", fragment.get());
    appendChildNode(fragment.get(), element.get());
    appendChildNode(element.get(), parent);
}

bool saveIndex(const ShortcutIndex& index, const std::wstring& path) {
    const wchar_t* source = TraceSource::SimpleBarDlg;
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document) return false;

    ComPtr<IXMLDOMProcessingInstruction> declaration;
    if (!KEST_DOM_CALL(source, L"createProcessingInstruction:",
                       document->createProcessingInstruction(Bstr(L"xml").get(), Bstr(L"version='1.0'").get(),
                                                             declaration.put())) ||
        !declaration || !appendNewNode(declaration.get(), document.get(), L"appendChild:"))
        return false;

    ComPtr<IXMLDOMComment> comment;
    if (!KEST_DOM_CALL(source, L"createComment:", document->createComment(Bstr(CommentText).get(), comment.put())) ||
        !comment || !appendNewNode(comment.get(), document.get(), L"appendChild:"))
        return false;

    ComPtr<IXMLDOMElement> root;
    if (!KEST_DOM_CALL(source, L"createElement:", document->createElement(Bstr(L"root").get(), root.put())) || !root)
        return false;
    ComPtr<IXMLDOMAttribute> created;
    if (!KEST_DOM_CALL(source, L"createAttribute:", document->createAttribute(Bstr(L"created").get(), created.put())) ||
        !created)
        return false;
    const Variant createdValue(L"using DOM from MSXML 2.6");
    ComPtr<IXMLDOMAttribute> replaced;
    if (!KEST_DOM_CALL(source, L"put_value:", created->put_nodeValue(createdValue.get())) ||
        !KEST_DOM_CALL(source, L"setAttributeNode:", root->setAttributeNode(created.get(), replaced.put())) ||
        !appendNewNode(root.get(), document.get(), L"appendChild:"))
        return false;

    for (const auto& item : index) writeIndexEntry(item.second, document.get(), root.get());
    appendWhitespace(document.get(), L"\n", root.get());

    // Saved beside the file and moved over it, so a failing save never leaves a truncated index.
    return saveDocumentReplacing(document.get(), path, source);
}

bool readIndexEntry(IXMLDOMNode* element, ShortcutEntry& entry) {
    if (!element) return false;
    const wchar_t* source = TraceSource::KestEntry;
    ComPtr<IXMLDOMNode> first;
    if (!KEST_DOM_CALL(source, L"get_firstChild: ", element->get_firstChild(first.put()))) return false;

    int count = 0;
    for (ComPtr<IXMLDOMNode> child = first; child;) {
        if (!isWhitespaceOnlyText(child.get())) ++count;
        if (!nextSibling(source, child)) return false;
    }
    if (count != 8) return false;

    ShortcutEntry read = entry;
    for (ComPtr<IXMLDOMNode> child = first; child;) {
        if (!isWhitespaceOnlyText(child.get())) {
            bool ok = false;
            const std::wstring name = nodeName(child.get(), ok, source);
            if (!ok) return false;
            Bstr text;
            if (!KEST_DOM_CALL(source, L"get_text: ", child->get_text(text.put()))) return false;
            if (name == L"name") read.name = text.str();
            else if (name == L"path") read.path = text.str();
            else if (name == L"workingdir") read.workingdir = text.str();
            else if (name == L"iconlocation") read.iconlocation = text.str();
            else if (name == L"executable") read.executable = text.str();
            else if (name == L"arguments") read.arguments = text.str();
            else if (name == L"showcmd") read.showcmd = decimalValue(text.str());
            else if (name == L"iconindex") read.iconindex = decimalValue(text.str());
        }
        if (!nextSibling(source, child)) return false;
    }
    entry = std::move(read);
    return true;
}

IndexReadResult readIndex(IXMLDOMDocument* document, ShortcutIndex& index, const std::atomic<bool>& abortRequested) {
    if (!document) return IndexReadResult::Failed;
    const wchar_t* source = TraceSource::SimpleBarDlg;
    ComPtr<IXMLDOMNodeList> topLevel;
    if (!KEST_DOM_CALL(source, L"get_childNodes: ", document->get_childNodes(topLevel.put())) || !topLevel)
        return IndexReadResult::Failed;
    long length = 0;
    if (!KEST_DOM_CALL(source, L"get_length: ", topLevel->get_length(&length))) return IndexReadResult::Failed;
    if (length != 3) return IndexReadResult::Unusable;

    ComPtr<IXMLDOMNode> nodes[3];
    for (long i = 0; i < 3; ++i)
        if (!KEST_DOM_CALL(source, L"get_item: ", topLevel->get_item(i, nodes[i].put())) || !nodes[i])
            return IndexReadResult::Failed;
    bool ok = false;
    if (nodeName(nodes[0].get(), ok, source) != L"xml" || !ok) return ok ? IndexReadResult::Unusable : IndexReadResult::Failed;
    if (nodeXml(nodes[0].get(), ok, source) != Declaration || !ok) return ok ? IndexReadResult::Unusable : IndexReadResult::Failed;
    if (nodeName(nodes[1].get(), ok, source) != L"#comment" || !ok) return ok ? IndexReadResult::Unusable : IndexReadResult::Failed;
    if (nodeXml(nodes[1].get(), ok, source) != CommentXml || !ok) return ok ? IndexReadResult::Unusable : IndexReadResult::Failed;
    if (nodeName(nodes[2].get(), ok, source) != L"root" || !ok) return ok ? IndexReadResult::Unusable : IndexReadResult::Failed;

    // Walked sibling by sibling: a node list's get_item costs time linear in its index.
    ComPtr<IXMLDOMNode> child;
    if (!KEST_DOM_CALL(source, L"get_firstChild: ", nodes[2]->get_firstChild(child.put())))
        return IndexReadResult::Failed;
    bool anyChild = false;
    for (; child;) {
        if (abortRequested.load()) return IndexReadResult::Aborted;
        if (!isWhitespaceOnlyText(child.get())) {
            anyChild = true;
            if (nodeName(child.get(), ok, source) == EntryElementName && ok) {
                ShortcutEntry entry;
                if (readIndexEntry(child.get(), entry)) {
                    const std::wstring key = entry.path;
                    index[key] = std::move(entry);
                }
            } else if (!ok) {
                return IndexReadResult::Failed;
            }
        }
        if (!nextSibling(source, child)) return IndexReadResult::Failed;
    }
    if (!anyChild) return IndexReadResult::Unusable;
    return index.empty() ? IndexReadResult::NoEntries : IndexReadResult::Read;
}

}  // namespace kest
