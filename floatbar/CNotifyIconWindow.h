#pragma once
// A window with one icon in the notification area. The icon comes back by itself when the
// taskbar is created again (Explorer restarted), which the shell announces with the
// registered message "TaskbarCreated".
#include "Window.h"
#include <shellapi.h>
#include <string>

namespace kest {

class CNotifyIconWindow : public CWindowImpl {
public:
    CNotifyIconWindow() : taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {}
    ~CNotifyIconWindow() override;

    bool processMessage(MessageArgs& args) override;
    // True while the shell shows the icon.
    bool notifyIconShown() const noexcept { return iconShown_; }

protected:
    // icon stays owned by the caller and must outlive the window's icon; the callback
    // message carries the icon's mouse messages in lParam. False when the shell refused it.
    bool addNotifyIcon(UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip);
    void removeNotifyIcon() noexcept;

private:
    NOTIFYICONDATAW iconData() const noexcept;

    UINT taskbarCreatedMessage_;
    UINT iconId_ = 0;
    UINT callbackMessage_ = 0;
    HICON icon_ = nullptr;
    std::wstring tip_;
    bool iconWanted_ = false;
    bool iconShown_ = false;
};

}  // namespace kest
