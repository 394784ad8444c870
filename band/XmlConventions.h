#pragma once
// The conventions every XML file of the band follows: one document factory, two append
// helpers and the failure trace. Failing DOM calls are traced to the debugger output and
// never shown.
#include "ComPtr.h"
#include <windows.h>
#include <msxml2.h>
#include <string>

namespace kest {

extern const CLSID CLSID_DOMDocument26Class;  // {F5078F1B-C551-11D3-89B9-0000F81FE221}
extern const IID IID_IXMLDOMDocumentInterface;  // {2933BF81-7B36-11D2-B20E-00C04F983E60}

// The source names the traces carry.
namespace TraceSource {
constexpr const wchar_t* SimpleBarDlg = L"SimpleBarDlg";
constexpr const wchar_t* KestEntry = L"kestentry";
constexpr const wchar_t* HistoryMap = L"HistoryMap";
}  // namespace TraceSource

// The one trace line, "%s:%d  HRCALL Failed: %s\n  0x%.8x = %s\n", as sent to the debugger.
std::wstring formatDomFailure(const wchar_t* source, int line, const wchar_t* remark, HRESULT result,
                              const wchar_t* call);
void traceDomFailure(const wchar_t* source, int line, const wchar_t* remark, HRESULT result, const wchar_t* call);

// A new empty document for synchronous loading, without validation or external
// resolution; null when none can be made.
ComPtr<IXMLDOMDocument> createXmlDocument();

// Appends a text node holding text as the last child of parent.
void appendWhitespace(IXMLDOMDocument* document, const wchar_t* text, IXMLDOMNode* parent);
// Appends child (an element or a document fragment) as the last child of parent.
void appendChildNode(IXMLDOMNode* child, IXMLDOMNode* parent);

}  // namespace kest

// Runs one DOM call; when it fails, traces it with the call's own text and evaluates to false.
#define KEST_DOM_CALL(source, remark, call) \
    ::kest::domCallSucceeded((call), source, __LINE__, remark, L## #call)

namespace kest {
inline bool domCallSucceeded(HRESULT result, const wchar_t* source, int line, const wchar_t* remark,
                             const wchar_t* call) {
    if (SUCCEEDED(result)) return true;
    traceDomFailure(source, line, remark, result, call);
    return false;
}
}  // namespace kest
