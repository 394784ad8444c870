#pragma once
// The decisions of the about box, the hyperlink and the roll-over button that need no window.
#include <windows.h>
#include <string>

namespace kest {

enum class RollOverImage { Up = 0, Down = 1, Focused = 2, Disabled = 3 };
constexpr int RollOverImageCount = 4;

// The resource name of one image of a bitmap button whose text is buttonText:
// the text followed by "U", "D", "F" or "X".
std::wstring rollOverImageName(const std::wstring& buttonText, RollOverImage image);

// The image the standard bitmap-button drawing shows for an owner-draw state (ODS_ flags):
// down while pressed, focused while focused, disabled when disabled, else up. An optional
// image that was not loaded falls back to the up image.
RollOverImage pickRollOverImage(UINT itemState, bool haveDown, bool haveFocused, bool haveDisabled) noexcept;

// Link text colours as COLORREF values: blue normally, red under the pointer.
constexpr COLORREF HyperLinkNormalColor = 0xFF0000;
constexpr COLORREF HyperLinkHoverColor = 0x0000FF;
constexpr COLORREF hyperLinkTextColor(bool hovering) noexcept {
    return hovering ? HyperLinkHoverColor : HyperLinkNormalColor;
}

// ShellExecuteW reports success with a value greater than 32; 32 and below are error codes.
bool shellExecuteSucceeded(HINSTANCE result) noexcept;

// The top-left corner that centres a window of the given rectangle on area.
POINT centredOrigin(const RECT& window, const RECT& area) noexcept;

// "contributors.txt" in folder (which ends with a backslash); empty when folder is empty.
std::wstring contributorsFilePath(const std::wstring& folder);

// "Winhlp32.exe" in the Windows folder windowsFolder, with one backslash between them.
std::wstring helpViewerPath(const std::wstring& windowsFolder);

}  // namespace kest
