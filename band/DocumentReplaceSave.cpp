#include "DocumentReplaceSave.h"
#include "Bstr.h"
#include "ComPtr.h"
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

// The setup program makes the band's folder for the account that ran it only; every other
// account gets it at its first save. Both levels under the application-data folder.
void createMissingFolders(const std::wstring& target) {
    const std::size_t nameStart = target.find_last_of(L'\\');
    if (nameStart == std::wstring::npos) return;
    const std::wstring folder = target.substr(0, nameStart);
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const std::size_t folderStart = folder.find_last_of(L'\\');
    if (folderStart != std::wstring::npos) CreateDirectoryW(folder.substr(0, folderStart).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
}

// MoveFileExW with MOVEFILE_REPLACE_EXISTING refuses a read-only target with
// ERROR_ACCESS_DENIED on Windows; Wine replaces it. The check makes both behave as Windows.
bool replaceFile(const std::wstring& temporary, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

bool saveDocumentReplacing(IXMLDOMDocument* document, const std::wstring& target, const wchar_t* source) {
    if (!document || target.empty()) return false;
    // The DOM serialises into memory and this code writes the file itself: the DOM's own
    // file save reports success when the disk fills up and leaves a truncated file, which
    // would then replace a good one.
    ComPtr<IStream> memory;
    if (!KEST_DOM_CALL(source, L"", CreateStreamOnHGlobal(nullptr, TRUE, memory.put())) || !memory) return false;
    {
        const Variant destination(static_cast<IUnknown*>(memory.get()));
        if (!KEST_DOM_CALL(source, L"", document->save(destination.get()))) return false;
    }
    HGLOBAL global = nullptr;
    STATSTG status = {};
    if (!KEST_DOM_CALL(source, L"", GetHGlobalFromStream(memory.get(), &global)) ||
        !KEST_DOM_CALL(source, L"", memory->Stat(&status, STATFLAG_NONAME)) || status.cbSize.HighPart != 0)
        return false;
    const DWORD size = status.cbSize.LowPart;

    createMissingFolders(target);
    const std::wstring temporary = replaceSaveTemporaryPath(target);
    {
        UniqueFile written(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!written) return traceWin32Failure(source, __LINE__, L"CreateFileW(temporary, CREATE_ALWAYS)");
        const void* bytes = GlobalLock(global);
        DWORD done = 0;
        const bool complete = bytes && WriteFile(written.get(), bytes, size, &done, nullptr) && done == size;
        if (bytes) GlobalUnlock(global);
        // The content reaches the disk before the name is switched over to it.
        if (!complete || !FlushFileBuffers(written.get())) {
            traceWin32Failure(source, __LINE__, complete ? L"FlushFileBuffers(written)" : L"WriteFile(written, bytes, size)");
            written.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!replaceFile(temporary, target)) {
        traceWin32Failure(source, __LINE__, L"MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING)");
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace kest
