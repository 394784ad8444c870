#include "PickFile.h"
#include "Bstr.h"
#include "ComPtr.h"
#include "DocumentFileLoad.h"
#include "DocumentReplaceSave.h"
#include "XmlConventions.h"
#include <shlobj.h>
#include <algorithm>
#include <vector>

namespace kest {

namespace {

constexpr const wchar_t* Source = L"PickFile";
constexpr const wchar_t* Root = L"picks";
constexpr const wchar_t* Element = L"pick";

std::wstring escaped(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'&': result += L"&amp;"; break;
        case L'<': result += L"&lt;"; break;
        case L'>': result += L"&gt;"; break;
        case L'"': result += L"&quot;"; break;
        default: result += c; break;
        }
    }
    return result;
}

// The attribute's value; false when the element lacks it.
bool attribute(IXMLDOMNamedNodeMap* attributes, const wchar_t* name, std::wstring& value) {
    const Bstr attributeName(name);
    ComPtr<IXMLDOMNode> node;
    Bstr text;
    if (attributes->getNamedItem(attributeName.get(), node.put()) != S_OK || !node || FAILED(node->get_text(text.put())))
        return false;
    value = text.str();
    return true;
}

bool parseTime(const std::wstring& text, std::uint64_t& time) {
    if (text.empty() || text.size() > 20) return false;
    time = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        time = time * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    return true;
}

}  // namespace

std::wstring pickFilePath() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + PickFileText::FolderAndName;
}

PickFileState readPickFile(const std::wstring& path, LearnedPicks& picks) {
    picks.clear();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return PickFileState::Missing;
    const ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document || !loadDocumentFile(document.get(), path)) return PickFileState::Unusable;
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(root.put()) != S_OK || !root) return PickFileState::Unusable;
    Bstr rootName;
    if (!KEST_DOM_CALL(Source, L"", root->get_nodeName(rootName.put())) || rootName.str() != Root)
        return PickFileState::Unusable;
    ComPtr<IXMLDOMNode> child;
    for (root->get_firstChild(child.put()); child;) {
        Bstr name;
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        if (SUCCEEDED(child->get_nodeName(name.put())) && name.str() == Element &&
            child->get_attributes(attributes.put()) == S_OK && attributes) {
            std::wstring text, time;
            LearnedPick pick;
            if (!attribute(attributes.get(), L"text", text) || !attribute(attributes.get(), L"time", time) ||
                !parseTime(time, pick.time) || !attribute(attributes.get(), L"executable", pick.executable) ||
                !attribute(attributes.get(), L"arguments", pick.arguments) ||
                !attribute(attributes.get(), L"name", pick.name)) {
                picks.clear();
                return PickFileState::Unusable;
            }
            LearnedPicks one{{text, pick}};
            mergePicks(picks, one);
        }
        ComPtr<IXMLDOMNode> next;
        if (FAILED(child->get_nextSibling(next.put()))) break;
        child = std::move(next);
    }
    return PickFileState::Valid;
}

bool writePickFile(const std::wstring& path, const LearnedPicks& picks) {
    std::wstring xml = L"<?xml version=\"1.0\"?>\n<!--Kestrune Learned Picks XML file.-->\n<picks>";
    for (const auto& [text, pick] : picks)
        xml += L"\n\t<pick text=\"" + escaped(text) + L"\" time=\"" + std::to_wstring(pick.time) + L"\" executable=\"" +
               escaped(pick.executable) + L"\" arguments=\"" + escaped(pick.arguments) + L"\" name=\"" +
               escaped(pick.name) + L"\"/>";
    xml += L"\n</picks>\n";
    const ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document) return false;
    const Bstr source(xml);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (!KEST_DOM_CALL(Source, L"", document->loadXML(source.get(), &loaded)) || loaded != VARIANT_TRUE) return false;
    return saveDocumentReplacing(document.get(), path, Source);
}

void PickFile::read(LearnedPicks& picks) {
    LearnedPicks read;
    if (readPickFile(pickFilePath(), read) == PickFileState::Valid) picks = std::move(read);
}

void mergePicks(LearnedPicks& into, const LearnedPicks& from) {
    for (const auto& [text, pick] : from) {
        auto found = into.find(text);
        if (found == into.end())
            into.emplace(text, pick);
        else if (pick.time >= found->second.time)
            found->second = pick;
    }
    if (into.size() <= PickFileText::MostTexts) return;
    std::vector<std::uint64_t> times;
    times.reserve(into.size());
    for (const auto& item : into) times.push_back(item.second.time);
    const std::size_t dropped = into.size() - PickFileText::MostTexts;
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(dropped - 1), times.end());
    const std::uint64_t newestDropped = times[dropped - 1];
    // Ties at the boundary drop only as many as needed, in text order.
    std::size_t toDrop = dropped;
    for (auto it = into.begin(); it != into.end() && toDrop > 0;) {
        if (it->second.time < newestDropped) {
            it = into.erase(it);
            --toDrop;
        } else {
            ++it;
        }
    }
    for (auto it = into.begin(); it != into.end() && toDrop > 0;) {
        if (it->second.time == newestDropped) {
            it = into.erase(it);
            --toDrop;
        } else {
            ++it;
        }
    }
}

}  // namespace kest
