#pragma once
// The host's taskbar-like strip along the bottom of the screen: a start button on the left
// and the band filling the rest.
#include "Window.h"

namespace kest {

class CHostStrip : public CWindowImpl {
    KEST_BEGIN_MESSAGE_TABLE(CHostStrip, CWindowImpl)
        KEST_ON_MESSAGE(WM_SIZE, OnSize)
        KEST_ON_MESSAGE(WM_TIMER, OnTimer)
        KEST_ON_MESSAGE(WM_CLOSE, OnClose)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
    KEST_END_MESSAGE_TABLE()

public:
    static constexpr int Height = 32;
    static constexpr UINT_PTR CloseTimer = 1;

    HWND create(HINSTANCE instance);
    HWND startButton() const noexcept { return startButton_; }
    // The band's window, placed beside the start button and sized with the strip.
    void placeBand(HWND band, int bandHeight) noexcept;

protected:
    UINT classStyle() const noexcept override { return CS_HREDRAW | CS_VREDRAW; }
    HBRUSH classBackground() const noexcept override { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }

private:
    LRESULT OnSize(WPARAM, LPARAM lParam);
    LRESULT OnTimer(WPARAM timer, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    HWND startButton_ = nullptr;
    HWND band_ = nullptr;
    int bandHeight_ = 22;
};

}  // namespace kest
