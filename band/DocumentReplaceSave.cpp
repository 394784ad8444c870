#include "DocumentReplaceSave.h"
#include "Bstr.h"
#include "UniqueHandle.h"
#include "XmlConventions.h"

namespace kest {

std::wstring replaceSaveTemporaryPath(const std::wstring& target) {
    return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetCurrentThreadId()) +
           L".tmp";
}

namespace {

bool traceWin32Failure(const wchar_t* source, int line, const wchar_t* call) {
    traceDomFailure(source, line, L"", HRESULT_FROM_WIN32(GetLastError()), call);
    return false;
}

}  // namespace

bool saveDocumentReplacing(IXMLDOMDocument* document, const std::wstring& target, const wchar_t* source) {
    if (!document || target.empty()) return false;
    const std::wstring temporary = replaceSaveTemporaryPath(target);
    const Variant destination(temporary.c_str());
    if (!KEST_DOM_CALL(source, L"", document->save(destination.get()))) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    {
        // The content reaches the disk before the name is switched over to it.
        UniqueFile written(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!written) {
            traceWin32Failure(source, __LINE__, L"CreateFileW(temporary, GENERIC_WRITE)");
            DeleteFileW(temporary.c_str());
            return false;
        }
        if (!FlushFileBuffers(written.get())) traceWin32Failure(source, __LINE__, L"FlushFileBuffers(written)");
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        traceWin32Failure(source, __LINE__, L"MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING)");
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace kest
