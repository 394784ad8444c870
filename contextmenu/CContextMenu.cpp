#include "CContextMenu.h"
#include "CRunParamsDlg.h"
#include "ContextMenuSettings.h"
#include "ErrorMessage.h"
#include "MenuCommands.h"
#include "RunParamHistory.h"
#include "ShellExtModule.h"
#include "resource.h"
#include <shellapi.h>
#include <shlwapi.h>
#include <cstring>
#include <cwchar>
#include <vector>

namespace kest {

namespace {

// The paths the handler keeps fit a buffer of 260 units with its terminator.
constexpr size_t PathLimit = 259;
constexpr size_t VerbLimit = 260;
constexpr SIZE_T ClipboardBytes = 520;

std::wstring loadModuleString(UINT id) {
    const wchar_t* text = nullptr;
    // With a length of 0, LoadStringW hands out a read-only pointer to the resource itself.
    const int length = LoadStringW(moduleInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring reportLine() { return loadModuleString(IDS_REPORT_PROBLEM); }

void insertSeparator(HMENU menu, UINT& position) {
    InsertMenuW(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

// ShellExecuteW's result codes of 32 or less, as the Win32 error they stand for, for when
// the call leaves no last error behind.
DWORD errorFromShellExecuteResult(INT_PTR result) {
    switch (result) {
    case 0: return ERROR_OUTOFMEMORY;
    case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
    case ERROR_BAD_FORMAT: return ERROR_BAD_FORMAT;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return ERROR_GEN_FAILURE;
    }
}

DWORD launchError(INT_PTR result) {
    const DWORD error = GetLastError();
    return error != 0 ? error : errorFromShellExecuteResult(result);
}

// The console program as the user configured it. An absolute path is taken as given; a bare
// name is looked up in the system folders and the absolute folders of PATH only, never in
// the folder being opened or the shell's current folder, so a program of that name planted in
// the folder is not the one started. Empty when the name cannot be found.
std::wstring resolveConsoleProgram(const std::wstring& name) {
    if (name.empty()) return std::wstring();
    if (!PathIsRelativeW(name.c_str())) return name;
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return std::wstring();

    wchar_t folder[MAX_PATH] = {};
    std::wstring searchPath;
    const UINT systemLength = GetSystemDirectoryW(folder, MAX_PATH);
    if (systemLength > 0 && systemLength < MAX_PATH) searchPath += std::wstring(folder) + L";";
    const UINT windowsLength = GetWindowsDirectoryW(folder, MAX_PATH);
    if (windowsLength > 0 && windowsLength < MAX_PATH) searchPath += std::wstring(folder) + L";";
    const DWORD pathLength = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (pathLength > 0) {
        std::vector<wchar_t> path(pathLength, L'\0');
        const DWORD copied = GetEnvironmentVariableW(L"PATH", path.data(), pathLength);
        std::wstring entries(path.data(), copied < pathLength ? copied : 0);
        size_t start = 0;
        while (start <= entries.size()) {
            size_t end = entries.find(L';', start);
            if (end == std::wstring::npos) end = entries.size();
            const std::wstring entry = entries.substr(start, end - start);
            if (!entry.empty() && !PathIsRelativeW(entry.c_str())) searchPath += entry + L";";
            start = end + 1;
        }
    }
    std::vector<wchar_t> found(32768, L'\0');
    const DWORD length =
        SearchPathW(searchPath.c_str(), name.c_str(), L".exe", static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0 || length >= found.size()) return std::wstring();
    return std::wstring(found.data(), length);
}

}  // namespace

CContextMenu::CContextMenu() noexcept
    : menuBitmap_(static_cast<HBITMAP>(
          LoadImageW(moduleInstance(), MAKEINTRESOURCEW(IDB_MENUBITMAP), IMAGE_BITMAP, 0, 0, 0))) {}

const InterfaceEntry* CContextMenu::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(CContextMenu, IContextMenu),
        KEST_INTERFACE(CContextMenu, IShellExtInit),
        KEST_INTERFACE_END,
    };
    return table;
}

STDMETHODIMP CContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
    hasSelection_ = false;
    selectedPath_.clear();
    dataObject_.reset();
    if (!data) return S_OK;
    dataObject_ = ComPtr<IDataObject>(data);

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return S_OK;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const auto drop = static_cast<HDROP>(medium.hGlobal);
        if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
            // A path too long for the handler's buffer is not taken at all: cut short, it
            // would name a different item.
            const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
            if (length > 0 && length <= PathLimit) {
                wchar_t path[PathLimit + 1] = {};
                const UINT copied = DragQueryFileW(drop, 0, path, PathLimit + 1);
                if (copied == length) {
                    selectedPath_.assign(path, copied);
                    hasSelection_ = true;
                }
            }
        }
    }
    ReleaseStgMedium(&medium);
    return S_OK;
}

// An item whose text is missing is left out, but its position is used up all the same and it
// counts towards the closing separator.
void CContextMenu::insertItem(HMENU menu, UINT& position, UINT firstId, unsigned int offset) const {
    const MenuCommand* command = findMenuCommand(offset);
    std::wstring text = command ? loadModuleString(command->textId) : std::wstring();
    const UINT at = position++;
    if (text.empty()) return;
    MENUITEMINFOW item = {sizeof(item)};
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_CHECKMARKS;
    item.fType = MFT_STRING;
    item.fState = MFS_ENABLED | MFS_UNCHECKED;
    item.wID = firstId + offset;
    item.hbmpChecked = menuBitmap_.get();
    item.hbmpUnchecked = menuBitmap_.get();
    item.dwTypeData = text.data();
    InsertMenuItemW(menu, at, TRUE, &item);
}

void CContextMenu::buildFolderMenu(HMENU menu, UINT position, UINT firstId) const {
    const bool console = readShowFlag(ContextMenuSettingName::ShowOpenInCommandWindow);
    const bool copyPath = readShowFlag(ContextMenuSettingName::ShowCopyPathName);
    const bool copyShort = readShowFlag(ContextMenuSettingName::ShowCopyShortPathName);
    if (!console && !copyPath && !copyShort) return;
    if (GetMenuItemCount(menu) > 0) insertSeparator(menu, position);
    int inserted = 0;
    if (console) {
        insertItem(menu, position, firstId, OpenInCommandWindowOffset);
        ++inserted;
    }
    if (copyPath) {
        insertItem(menu, position, firstId, CopyPathNameOffset);
        ++inserted;
    }
    if (copyShort) {
        insertItem(menu, position, firstId, CopyShortPathNameOffset);
        ++inserted;
    }
    if (inserted > 0) insertSeparator(menu, position);
}

void CContextMenu::buildFileMenu(HMENU menu, UINT position, UINT firstId) const {
    const bool run = readShowFlag(ContextMenuSettingName::ShowRun);
    const bool console = readShowFlag(ContextMenuSettingName::ShowOpenInCommandWindow);
    const bool copyPath = readShowFlag(ContextMenuSettingName::ShowCopyPathName);
    const bool copyShort = readShowFlag(ContextMenuSettingName::ShowCopyShortPathName);
    if (!run && !console && !copyPath && !copyShort) return;
    if (GetMenuItemCount(menu) > 0) insertSeparator(menu, position);
    int inserted = 0;
    if (run && isRunFileType()) {
        insertItem(menu, position, firstId, RunWithArgumentsOffset);
        ++inserted;
    }
    if (copyPath) {
        insertItem(menu, position, firstId, CopyPathNameOffset);
        ++inserted;
    }
    if (copyShort) {
        insertItem(menu, position, firstId, CopyShortPathNameOffset);
        ++inserted;
    }
    if (inserted > 0) insertSeparator(menu, position);
}

bool CContextMenu::isRunFileType() const {
    const std::optional<std::wstring> types = readRunFileTypes();
    return types && kest::isRunFileType(*types, selectedPath_);
}

STDMETHODIMP CContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) {
    if ((flags & (CMF_DEFAULTONLY | CMF_VERBSONLY)) || lastId < firstId || lastId - firstId < MenuCommandCount - 1)
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if (hasSelection_ && menu) {
        SHFILEINFOW info = {};
        const bool known = SHGetFileInfoW(selectedPath_.c_str(), 0, &info, sizeof(info), SHGFI_ATTRIBUTES) != 0;
        if (known && (info.dwAttributes & SFGAO_FOLDER))
            buildFolderMenu(menu, index, firstId);
        else
            buildFileMenu(menu, index, firstId);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, MenuCommandCount);
}

STDMETHODIMP CContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (!info || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    unsigned int offset = 0;
    if (!IS_INTRESOURCE(info->lpVerb)) {
        std::wstring verb;
        const auto* extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(info);
        if (info->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info->fMask & CMIC_MASK_UNICODE) &&
            extended->lpVerbW && !IS_INTRESOURCE(extended->lpVerbW)) {
            verb.assign(extended->lpVerbW, wcsnlen(extended->lpVerbW, VerbLimit));
        } else {
            wchar_t converted[VerbLimit + 1] = {};
            const int length = MultiByteToWideChar(CP_ACP, 0, info->lpVerb,
                                                   static_cast<int>(strnlen(info->lpVerb, VerbLimit)), converted,
                                                   static_cast<int>(VerbLimit));
            verb.assign(converted, length > 0 ? static_cast<size_t>(length) : 0);
        }
        const MenuCommand* command = findMenuCommandByVerb(verb);
        if (!command) return E_INVALIDARG;
        offset = command->offset;
    } else {
        offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
        if (offset >= MenuCommandCount) return E_INVALIDARG;
    }
    // Without a selection (none given, or a path too long to hold) there is nothing to act on.
    if (!hasSelection_) return E_INVALIDARG;

    HWND owner = info->hwnd ? GetParent(info->hwnd) : nullptr;
    if (!owner) owner = info->hwnd;
    switch (offset) {
    case CopyPathNameOffset: copyPathToClipboard(owner, false); break;
    case CopyShortPathNameOffset: copyPathToClipboard(owner, true); break;
    case OpenInCommandWindowOffset: openCommandWindow(owner); break;
    case RunWithArgumentsOffset: runWithArguments(owner); break;
    }
    return S_OK;
}

STDMETHODIMP CContextMenu::GetCommandString(UINT_PTR offset, UINT kind, UINT*, CHAR* buffer, UINT length) {
    if (kind == GCS_VALIDATEW) return S_OK;
    if (kind != GCS_VERBW && kind != GCS_HELPTEXTW) return E_INVALIDARG;
    const MenuCommand* command = offset <= 0xFFFF ? findMenuCommand(static_cast<unsigned int>(offset)) : nullptr;
    if (!command || !buffer || length == 0) return E_INVALIDARG;
    const std::wstring text = kind == GCS_VERBW ? std::wstring(command->verb) : loadModuleString(command->helpId);
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    const size_t copied = text.size() < length ? text.size() : length - 1;
    wmemcpy(out, text.data(), copied);
    out[copied] = L'\0';
    return S_OK;
}

void CContextMenu::copyPathToClipboard(HWND owner, bool shortForm) const {
    if (!OpenClipboard(owner)) {
        showErrorMessage(IDS_ERR_OPENCLIPBOARD, hresultFromError(static_cast<long>(GetLastError())), reportLine());
        return;
    }
    // Every failure below closes the clipboard before its message box, and frees the memory
    // unless the clipboard took it over.
    UniqueHGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, ClipboardBytes));
    if (!memory) {
        const DWORD error = GetLastError();
        CloseClipboard();
        showErrorMessage(IDS_ERR_GLOBALALLOC, hresultFromError(static_cast<long>(error)), reportLine());
        return;
    }
    {
        GlobalLockGuard lock(memory.get());
        auto* text = static_cast<wchar_t*>(lock.data());
        if (!text) {
            const DWORD error = GetLastError();
            CloseClipboard();
            showErrorMessage(IDS_ERR_GLOBALLOCK, hresultFromError(static_cast<long>(error)), reportLine());
            return;
        }
        constexpr size_t capacity = ClipboardBytes / sizeof(wchar_t);
        if (shortForm) {
            const DWORD length = GetShortPathNameW(selectedPath_.c_str(), text, static_cast<DWORD>(capacity));
            if (length == 0 || length >= capacity) text[0] = L'\0';
        } else {
            wmemcpy(text, selectedPath_.c_str(), selectedPath_.size() + 1);
        }
    }  // unlocked before the clipboard takes the memory over
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory.get())) {
        memory.release();  // the clipboard owns it now
        CloseClipboard();
        return;
    }
    const DWORD error = GetLastError();
    CloseClipboard();
    showErrorMessage(IDS_ERR_SETCLIPBOARDDATA, hresultFromError(static_cast<long>(error)), reportLine());
}

void CContextMenu::openCommandWindow(HWND owner) const {
    const std::optional<std::wstring> application = readCommandWindowApplication();
    if (!application) return;
    const std::wstring program = resolveConsoleProgram(*application);
    if (program.empty()) {
        showErrorMessage(IDS_ERR_OPENCMDWINDOW, hresultFromError(ERROR_FILE_NOT_FOUND), *application);
        return;
    }
    SetLastError(0);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", program.c_str(), nullptr, selectedPath_.c_str(), SW_SHOWNORMAL));
    if (result <= 32)
        showErrorMessage(IDS_ERR_OPENCMDWINDOW, hresultFromError(static_cast<long>(launchError(result))),
                         *application);
}

void CContextMenu::runWithArguments(HWND owner) const {
    std::optional<std::wstring> arguments = recallRunArguments(selectedPath_);
    if (!arguments) return;
    CRunParamsDlg dialog(selectedPath_, *arguments);
    if (dialog.show() != IDOK) return;
    rememberRunArguments(selectedPath_, *arguments);

    // The program starts in its own file's folder.
    wchar_t folder[MAX_PATH] = {};
    wcsncpy(folder, selectedPath_.c_str(), MAX_PATH - 1);
    PathRemoveFileSpecW(folder);
    SetLastError(0);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", selectedPath_.c_str(), arguments->empty() ? nullptr : arguments->c_str(),
                      folder[0] ? folder : nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        showErrorMessage(IDS_ERR_RUNFILE, hresultFromError(static_cast<long>(launchError(result))), selectedPath_);
}

}  // namespace kest
