#include "ContextMenuSettings.h"
#include "UniqueHandle.h"
#include <vector>

namespace kest {

namespace {

constexpr REGSAM CreateAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

UniqueHKey createContextMenuKey() {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ContextMenuKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, CreateAccess,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();  // a failed call leaves no key to close
    return key;
}

// Reads a string value of at most maxCharacters characters. The stored type is not checked.
// Data that is longer, or that fills the buffer without a terminator, does not count as read,
// and neither does data cut short after an odd byte. Trailing zeros are not part of the text.
std::optional<std::wstring> queryText(HKEY key, const wchar_t* name, size_t maxCharacters) {
    std::vector<wchar_t> buffer(maxCharacters + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    size_t length = size / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0') --length;
    if (length > maxCharacters) return std::nullopt;
    // An embedded zero ends the text, as it would for the C string the value is used as.
    std::wstring text(buffer.data(), length);
    const size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

bool queryDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD buffer = 0;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer), &size) != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

LONG setDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG setText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> readText(const wchar_t* name, const std::wstring& fallback) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return std::nullopt;
    return queryText(key.get(), name, ContextMenuTextLimit).value_or(fallback);
}

}  // namespace

std::wstring defaultCommandWindowApplication() {
    return (GetVersion() & 0x80000000u) ? L"command.com" : L"cmd.exe";
}

std::wstring lowerAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool readShowFlag(const wchar_t* name) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return false;
    DWORD value = 1;
    if (!queryDword(key.get(), name, value)) return true;
    return value != 0;
}

std::optional<std::wstring> readRunFileTypes() {
    std::optional<std::wstring> types = readText(ContextMenuSettingName::RunFileTypes, DefaultRunFileTypes);
    if (types) *types = lowerAscii(std::move(*types));
    return types;
}

std::optional<std::wstring> readCommandWindowApplication() {
    return readText(ContextMenuSettingName::CommandWindowApplication, defaultCommandWindowApplication());
}

bool loadShowFlag(const wchar_t* name) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return false;
    DWORD value = 1;
    if (!queryDword(key.get(), name, value)) {
        value = 1;
        if (setDword(key.get(), name, value) != ERROR_SUCCESS) return false;
    }
    return value != 0;
}

std::wstring loadText(const wchar_t* name, const std::wstring& fallback, size_t maxCharacters) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return fallback;
    if (std::optional<std::wstring> stored = queryText(key.get(), name, maxCharacters)) return *stored;
    setText(key.get(), name, fallback);
    return fallback;
}

ContextMenuSettings loadContextMenuSettings() {
    ContextMenuSettings settings;
    settings.showOpenInCommandWindow = loadShowFlag(ContextMenuSettingName::ShowOpenInCommandWindow);
    settings.showCopyPathName = loadShowFlag(ContextMenuSettingName::ShowCopyPathName);
    settings.showCopyShortPathName = loadShowFlag(ContextMenuSettingName::ShowCopyShortPathName);
    settings.showRun = loadShowFlag(ContextMenuSettingName::ShowRun);
    settings.runFileTypes = loadText(ContextMenuSettingName::RunFileTypes, DefaultRunFileTypes, RunFileTypesPageLimit);
    settings.commandWindowApplication = loadText(ContextMenuSettingName::CommandWindowApplication,
                                                 defaultCommandWindowApplication(), ContextMenuTextLimit);
    return settings;
}

LONG storeShowFlag(const wchar_t* name, bool value) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return ERROR_ACCESS_DENIED;
    return setDword(key.get(), name, value ? 1 : 0);
}

LONG storeText(const wchar_t* name, const std::wstring& value) {
    const UniqueHKey key = createContextMenuKey();
    if (!key) return ERROR_ACCESS_DENIED;
    return setText(key.get(), name, value);
}

}  // namespace kest
