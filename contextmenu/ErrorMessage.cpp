#include "ErrorMessage.h"
#include "ShellExtModule.h"
#include <cwchar>
#include <vector>

namespace kest {

namespace {

std::wstring loadString(UINT id, size_t limit) {
    std::vector<wchar_t> buffer(limit + 1, L'\0');
    const int length = LoadStringW(moduleInstance(), id, buffer.data(), static_cast<int>(buffer.size()));
    return length > 0 ? std::wstring(buffer.data(), static_cast<size_t>(length)) : std::wstring();
}

std::wstring systemErrorText(HRESULT error) {
    wchar_t buffer[257] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT),
                                        buffer, 256, nullptr);
    if (length == 0) return L"Unknown";
    return std::wstring(buffer, length);
}

// Substitutes the two "%s" of a template; any other '%' sequence is kept as written, so a
// detail or an error text containing '%' cannot be taken for a format directive.
std::wstring substitute(const std::wstring& pattern, const std::wstring& first, const std::wstring& second) {
    std::wstring result;
    int used = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's' && used < 2) {
            result += used++ == 0 ? first : second;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

}  // namespace

std::wstring formatErrorMessage(UINT templateId, HRESULT error, const std::wstring& detail) {
    const std::wstring pattern = loadString(templateId, 512);
    if (pattern.empty() || error == 0) return std::wstring();
    return substitute(pattern, systemErrorText(error), detail);
}

void showErrorMessage(UINT templateId, HRESULT error, const std::wstring& detail) {
    const std::wstring text = formatErrorMessage(templateId, error, detail);
    if (text.empty()) return;
    ModuleActivationScope activation;
    MessageBoxW(GetDesktopWindow(), text.c_str(), L"KESTSHX", MB_ICONERROR | MB_OK);
}

}  // namespace kest
