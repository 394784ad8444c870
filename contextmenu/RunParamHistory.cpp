#include "RunParamHistory.h"
#include "ContextMenuSettings.h"
#include "UniqueHandle.h"
#include <vector>

namespace kest {

namespace {

UniqueHKey createHistoryKey() {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RunParamHistoryKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

}  // namespace

std::optional<std::wstring> recallRunArguments(const std::wstring& path) {
    const UniqueHKey key = createHistoryKey();
    if (!key) return std::nullopt;
    std::vector<wchar_t> buffer(ContextMenuTextLimit + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), path.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return std::wstring();
    size_t length = size / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0') --length;
    if (length > ContextMenuTextLimit) return std::wstring();
    std::wstring text(buffer.data(), length);
    const size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

bool rememberRunArguments(const std::wstring& path, const std::wstring& arguments) {
    const UniqueHKey key = createHistoryKey();
    if (!key) return false;
    return RegSetValueExW(key.get(), path.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(arguments.data()),
                          static_cast<DWORD>(arguments.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace kest
