#include "XmlConventions.h"
#include "Bstr.h"
#include <cwchar>
#include <vector>

namespace kest {

// MinGW-w64's import libraries lack these two, so they are defined here once.
const CLSID CLSID_DOMDocument26Class = {0xf5078f1b, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const IID IID_IXMLDOMDocumentInterface = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::wstring formatDomFailure(const wchar_t* source, int line, const wchar_t* remark, HRESULT result,
                              const wchar_t* call) {
    const wchar_t* format = L"%ls:%d  HRCALL Failed: %ls\n  0x%.8x = %ls\n";
    source = source ? source : L"";
    remark = remark ? remark : L"";
    call = call ? call : L"";
    const size_t capacity = wcslen(source) + wcslen(remark) + wcslen(call) + 64;
    std::vector<wchar_t> buffer(capacity, L'\0');
    const int written = swprintf(buffer.data(), buffer.size(), format, source, line, remark,
                                 static_cast<unsigned int>(result), call);
    return written > 0 ? std::wstring(buffer.data(), static_cast<size_t>(written)) : std::wstring();
}

void traceDomFailure(const wchar_t* source, int line, const wchar_t* remark, HRESULT result, const wchar_t* call) {
    OutputDebugStringW(formatDomFailure(source, line, remark, result, call).c_str());
}

ComPtr<IXMLDOMDocument> createXmlDocument() {
    ComPtr<IXMLDOMDocument> document;
    if (!KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"Create a new DOMDocument",
                       CoCreateInstance(CLSID_DOMDocument26Class, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IXMLDOMDocumentInterface, document.putVoid())) ||
        !document)
        return nullptr;
    if (!KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"should never fail", document->put_async(VARIANT_FALSE)) ||
        !KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"should never fail",
                       document->put_validateOnParse(VARIANT_FALSE)) ||
        !KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"should never fail",
                       document->put_resolveExternals(VARIANT_FALSE)))
        return nullptr;
    return document;
}

void appendWhitespace(IXMLDOMDocument* document, const wchar_t* text, IXMLDOMNode* parent) {
    if (!document || !parent) return;
    ComPtr<IXMLDOMText> node;
    const Bstr value(text);
    if (!KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"", document->createTextNode(value.get(), node.put())) || !node)
        return;
    ComPtr<IXMLDOMNode> appended;
    KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"", parent->appendChild(node.get(), appended.put()));
}

void appendChildNode(IXMLDOMNode* child, IXMLDOMNode* parent) {
    if (!child || !parent) return;
    ComPtr<IXMLDOMNode> appended;
    KEST_DOM_CALL(TraceSource::SimpleBarDlg, L"", parent->appendChild(child, appended.put()));
}

}  // namespace kest
