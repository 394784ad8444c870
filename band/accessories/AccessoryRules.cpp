#include "AccessoryRules.h"

namespace kest {

std::wstring rollOverImageName(const std::wstring& buttonText, RollOverImage image) {
    static const wchar_t suffixes[RollOverImageCount] = {L'U', L'D', L'F', L'X'};
    return buttonText + suffixes[static_cast<int>(image)];
}

RollOverImage pickRollOverImage(UINT itemState, bool haveDown, bool haveFocused, bool haveDisabled) noexcept {
    if ((itemState & ODS_SELECTED) && haveDown) return RollOverImage::Down;
    if ((itemState & ODS_FOCUS) && haveFocused) return RollOverImage::Focused;
    if ((itemState & ODS_DISABLED) && haveDisabled) return RollOverImage::Disabled;
    return RollOverImage::Up;
}

bool shellExecuteSucceeded(HINSTANCE result) noexcept {
    return reinterpret_cast<INT_PTR>(result) > 32;
}

POINT centredOrigin(const RECT& window, const RECT& area) noexcept {
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    return POINT{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

std::wstring contributorsFilePath(const std::wstring& folder) {
    if (folder.empty()) return std::wstring();
    return folder + L"contributors.txt";
}

std::wstring helpViewerPath(const std::wstring& windowsFolder) {
    if (windowsFolder.empty()) return std::wstring();
    std::wstring path = windowsFolder;
    if (path.back() != L'\\') path += L'\\';
    return path + L"Winhlp32.exe";
}

}  // namespace kest
