#include "ContextMenuTestSupport.h"
#include <shellapi.h>
#include <cstring>

namespace kesttest {

namespace {

std::wstring widen(const char* text) {
    std::wstring result;
    while (*text) result += static_cast<wchar_t>(static_cast<unsigned char>(*text++));
    return result;
}

// KEST_OUTPUT_DIR is a host path; Wine maps the host's root to drive Z:.
std::wstring outputFolder() {
    std::wstring folder = widen(KEST_OUTPUT_DIR);
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    if (!folder.empty() && folder[0] == L'\\') folder = L"Z:" + folder;
    return folder;
}

template <class F>
F exportOf(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void deleteTree(const std::wstring& path) {
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

// Hands out a fresh copy of one DROPFILES block for every GetData, as the shell's own does.
class DropDataObject final : public IDataObject {
public:
    virtual ~DropDataObject() = default;
    explicit DropDataObject(const std::vector<std::wstring>& paths) {
        std::wstring list;
        for (const std::wstring& path : paths) list += path + L'\0';
        list += L'\0';
        bytes_.resize(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
        DROPFILES header = {};
        header.pFiles = sizeof(DROPFILES);
        header.fWide = TRUE;
        memcpy(bytes_.data(), &header, sizeof(header));
        memcpy(bytes_.data() + sizeof(header), list.data(), list.size() * sizeof(wchar_t));
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        if (!memory) return E_OUTOFMEMORY;
        memcpy(GlobalLock(memory), bytes_.data(), bytes_.size());
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ULONG references_ = 1;
    std::vector<BYTE> bytes_;
};

BOOL CALLBACK collectStatic(HWND child, LPARAM parameter) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") == 0) {
        auto* texts = reinterpret_cast<std::wstring*>(parameter);
        const std::wstring text = windowText(child);
        if (!text.empty()) {
            if (!texts->empty()) *texts += L"\n";
            *texts += text;
        }
    }
    return TRUE;
}

}  // namespace

const Module& kestshx() {
    static const Module module = [] {
        Module loaded;
        loaded.path = outputFolder() + L"\\kestshx.dll";
        loaded.handle = LoadLibraryW(loaded.path.c_str());
        if (loaded.handle) {
            wchar_t actual[MAX_PATH] = {};
            GetModuleFileNameW(loaded.handle, actual, MAX_PATH);
            loaded.path = actual;
            using Get = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
            using Plain = HRESULT(STDAPICALLTYPE*)();
            loaded.getClassObject = exportOf<Get>(loaded.handle, "DllGetClassObject");
            loaded.canUnloadNow = exportOf<Plain>(loaded.handle, "DllCanUnloadNow");
            loaded.registerServer = exportOf<Plain>(loaded.handle, "DllRegisterServer");
            loaded.unregisterServer = exportOf<Plain>(loaded.handle, "DllUnregisterServer");
        }
        return loaded;
    }();
    return module;
}

kest::ComPtr<IContextMenu> createHandler() {
    kest::ComPtr<IContextMenu> handler;
    const Module& module = kestshx();
    if (!module.getClassObject) return handler;
    kest::ComPtr<IClassFactory> factory;
    if (FAILED(module.getClassObject(HandlerClassId, IID_IClassFactory, factory.putVoid()))) return handler;
    factory->CreateInstance(nullptr, IID_IContextMenu, handler.putVoid());
    return handler;
}

TemporaryFolder::TemporaryFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    wchar_t full[MAX_PATH] = {};
    GetLongPathNameW(base, full, MAX_PATH);
    path_ = std::wstring(full[0] ? full : base) + L"kestshx tests " + std::to_wstring(GetCurrentProcessId());
    deleteTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TemporaryFolder::~TemporaryFolder() { deleteTree(path_); }

std::wstring TemporaryFolder::file(const std::wstring& name, const std::string& content) const {
    const std::wstring full = path_ + L"\\" + name;
    kest::UniqueFile file(
        CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return full;
}

std::wstring TemporaryFolder::folder(const std::wstring& name) const {
    const std::wstring full = path_ + L"\\" + name;
    CreateDirectoryW(full.c_str(), nullptr);
    return full;
}

kest::ComPtr<IDataObject> shellDataObject(const std::vector<std::wstring>& paths) {
    kest::ComPtr<IDataObject> data;
    std::vector<kest::UniqueCoTaskMem> lists;
    std::vector<PCUITEMID_CHILD> children;
    kest::ComPtr<IShellFolder> parent;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)) || !list) return data;
        lists.emplace_back(list);
        PCUITEMID_CHILD child = nullptr;
        if (FAILED(SHBindToParent(list, IID_IShellFolder, parent.putVoid(), &child))) return data;
        children.push_back(child);
    }
    if (!parent) return data;
    parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject, nullptr,
                          data.putVoid());
    return data;
}

kest::ComPtr<IDataObject> dropDataObject(const std::vector<std::wstring>& paths) {
    return kest::ComPtr<IDataObject>::attach(new DropDataObject(paths));
}

std::vector<std::wstring> menuLines(HMENU menu) {
    std::vector<std::wstring> lines;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item = {sizeof(item)};
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.fType & MFT_SEPARATOR)
            lines.push_back(L"-");
        else
            lines.push_back(std::wstring(text) + L" #" + std::to_wstring(item.wID));
    }
    return lines;
}

std::wstring readClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<clipboard not open>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* locked = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = locked;
            GlobalUnlock(data);
        }
    } else {
        text = L"<no text>";
    }
    CloseClipboard();
    return text;
}

void setClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void setDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr));
    RegSetValueExW(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(opened);
}

void setString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr));
    RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

RawValue readRaw(HKEY root, const wchar_t* key, const wchar_t* name) {
    RawValue value;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(opened, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.resize(size);
        RegQueryValueExW(opened, name, nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(opened);
    return value;
}

bool keyExists(HKEY root, const wchar_t* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::wstring systemErrorText(DWORD error) {
    wchar_t buffer[257] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 0x80070000u | error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), buffer, 256, nullptr);
    return length ? std::wstring(buffer, length) : L"Unknown";
}

std::wstring windowText(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return text;
}

std::wstring staticTexts(HWND window) {
    std::wstring texts;
    EnumChildWindows(window, collectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

WindowAnswerer::WindowAnswerer(std::wstring caption, Action action)
    : caption_(std::move(caption)), action_(std::move(action)), thread_([this] {
          // Bounded only so that a broken run ends; a passing run is answered at once.
          for (int attempt = 0; attempt < 3000 && !stop_; ++attempt) {
              HWND found = FindWindowW(L"#32770", caption_.c_str());
              if (found && IsWindowVisible(found)) {
                  action_(found);
                  answered_ = true;
                  return;
              }
              Sleep(10);
          }
      }) {}

WindowAnswerer::~WindowAnswerer() {
    stop_ = true;
    thread_.join();
}

MessageBoxAnswerer::MessageBoxAnswerer()
    : answerer_(L"KESTSHX", [this](HWND box) {
          {
              std::lock_guard<std::mutex> guard(lock_);
              text_ = staticTexts(box);
          }
          PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }) {}

std::wstring MessageBoxAnswerer::text() const {
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

void ExtensionTest::SetUp() {
    ASSERT_NE(nullptr, kestshx().handle) << "kestshx.dll not loaded from " << std::string(KEST_OUTPUT_DIR);
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKey);
}

void ExtensionTest::TearDown() { SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKey); }

void ExtensionTest::setFlags(bool run, bool console, bool copyPath, bool copyShort) {
    setDword(SettingsKey, L"Show Run MenuItem", run);
    setDword(SettingsKey, L"Show OpenInCMDWindow MenuItem", console);
    setDword(SettingsKey, L"Show CopyPathName MenuItem", copyPath);
    setDword(SettingsKey, L"Show CopyShortPathName MenuItem", copyShort);
}

kest::ComPtr<IContextMenu> ExtensionTest::handlerFor(const std::vector<std::wstring>& paths) {
    kest::ComPtr<IContextMenu> handler = createHandler();
    kest::ComPtr<IDataObject> data = shellDataObject(paths);
    EXPECT_TRUE(handler);
    EXPECT_TRUE(data) << "no shell data object";
    if (!handler) return handler;
    kest::ComPtr<IShellExtInit> init = handler.query<IShellExtInit>();
    EXPECT_TRUE(init);
    if (init) {
        EXPECT_EQ(S_OK, init->Initialize(nullptr, data.get(), nullptr));
    }
    return handler;
}

std::vector<std::wstring> ExtensionTest::menuFor(IContextMenu* handler, UINT flags, UINT first, UINT last,
                                                 HRESULT* result) {
    kest::UniqueHMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, 1, L"Open");
    const HRESULT hr = handler->QueryContextMenu(menu.get(), 1, first, last, flags);
    if (result) *result = hr;
    std::vector<std::wstring> lines = menuLines(menu.get());
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

HRESULT ExtensionTest::invokeOffset(IContextMenu* handler, UINT offset) {
    CMINVOKECOMMANDINFO info = {sizeof(info)};
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return handler->InvokeCommand(&info);
}

HRESULT ExtensionTest::invokeVerb(IContextMenu* handler, const char* verb) {
    CMINVOKECOMMANDINFO info = {sizeof(info)};
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return handler->InvokeCommand(&info);
}

}  // namespace kesttest
