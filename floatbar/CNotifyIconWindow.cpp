#include "CNotifyIconWindow.h"

namespace kest {

CNotifyIconWindow::~CNotifyIconWindow() { removeNotifyIcon(); }

NOTIFYICONDATAW CNotifyIconWindow::iconData() const noexcept {
    NOTIFYICONDATAW data{};
    // The Windows 2000 layout: every system since accepts it.
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = hwnd_;
    data.uID = iconId_;
    return data;
}

bool CNotifyIconWindow::addNotifyIcon(UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip) {
    if (!hwnd_) return false;
    removeNotifyIcon();
    iconId_ = id;
    callbackMessage_ = callbackMessage;
    icon_ = icon;
    tip_ = tip ? tip : L"";
    iconWanted_ = true;
    NOTIFYICONDATAW data = iconData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    lstrcpynW(data.szTip, tip_.c_str(), static_cast<int>(sizeof(data.szTip) / sizeof(data.szTip[0])));
    iconShown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return iconShown_;
}

void CNotifyIconWindow::removeNotifyIcon() noexcept {
    iconWanted_ = false;
    if (!iconShown_ || !hwnd_) return;
    NOTIFYICONDATAW data = iconData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    iconShown_ = false;
}

bool CNotifyIconWindow::processMessage(MessageArgs& args) {
    if (taskbarCreatedMessage_ != 0 && args.message == taskbarCreatedMessage_) {
        // The new taskbar knows no icon of ours.
        iconShown_ = false;
        if (iconWanted_) {
            const std::wstring tip = tip_;
            addNotifyIcon(iconId_, callbackMessage_, icon_, tip.c_str());
        }
        args.result = 0;
        return true;
    }
    return CWindowImpl::processMessage(args);
}

}  // namespace kest
