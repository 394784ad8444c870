#pragma once
// Window classes with message tables: a window of our own class, a dialog from a
// template, and a subclassed existing window. Each stores `this` once and fans every
// message out through processMessage.
#include "MessageTable.h"
#include <initializer_list>
#include <string>

namespace kest {

class CWindowBase : public MessageTarget {
public:
    HWND hwnd() const noexcept { return hwnd_; }
    HWND item(int id) const noexcept { return GetDlgItem(hwnd_, id); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }
    LRESULT sendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept {
        return SendDlgItemMessageW(hwnd_, id, message, wParam, lParam);
    }
    std::wstring itemText(int id) const;
    void setItemText(int id, const std::wstring& text) const noexcept { SetDlgItemTextW(hwnd_, id, text.c_str()); }

protected:
    HWND hwnd_ = nullptr;
};

// A window of a class registered by the module. The object must outlive its window;
// onFinalMessage runs after WM_NCDESTROY, when the window is gone.
class CWindowImpl : public CWindowBase {
public:
    CWindowImpl() = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    ~CWindowImpl() override;

    // Registers the class on first use. Returns the window, or null on failure.
    HWND create(HINSTANCE instance, const wchar_t* className, HWND parent, DWORD style,
                DWORD exStyle = 0, const RECT& bounds = RECT{}, const wchar_t* title = L"",
                HMENU menuOrId = nullptr);
    void destroy() noexcept;

protected:
    virtual void onFinalMessage() {}
    // Window class style, cursor and background used when the class is registered.
    virtual UINT classStyle() const noexcept { return 0; }
    virtual HBRUSH classBackground() const noexcept { return nullptr; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Moves data between controls and members in both directions.
class DataExchange {
public:
    DataExchange(HWND dialog, bool save) noexcept : dialog_(dialog), save_(save) {}
    bool saving() const noexcept { return save_; }
    void text(int id, std::wstring& value) const;
    void check(int id, bool& value) const noexcept;
    // value is the offset of the checked button from firstId; -1 when none is checked.
    void radio(int firstId, int lastId, int& value) const noexcept;
    // The group's buttons in the order of the values they stand for.
    void radio(std::initializer_list<int> ids, int& value) const noexcept;
    void comboSelection(int id, int& value) const noexcept;

private:
    HWND dialog_;
    bool save_;
};

// A dialog from a template, modal or modeless. Messages before WM_INITDIALOG go unhandled.
class CDialog : public CWindowBase {
public:
    CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    ~CDialog() override;

    INT_PTR doModal(HINSTANCE instance, int templateId, HWND parent);
    HWND createModeless(HINSTANCE instance, int templateId, HWND parent);
    void endDialog(INT_PTR result) const noexcept { EndDialog(hwnd_, result); }
    void destroy() noexcept;
    bool updateData(bool save);

protected:
    virtual void doDataExchange(DataExchange&) {}
    virtual void onFinalMessage() {}
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Routes one message to the tables of the dialog stored on hwnd.
    static INT_PTR routeDialogMessage(CDialog* dialog, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool modeless_ = false;
};

// Takes over an existing window (a control of a dialog, say) with a table of its own.
// Unhandled messages go to the window's previous procedure; detaches at WM_NCDESTROY.
// The window procedure is replaced directly rather than through SetWindowSubclass, whose
// per-message property lookups cost a server round trip on Wine: the search box passes
// thousands of messages while its list fills.
class CSubclassedWindow : public CWindowBase {
public:
    CSubclassedWindow() = default;
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;
    ~CSubclassedWindow() override;

    // Only on the thread that owns the window, and only once per window.
    bool attach(HWND hwnd) noexcept;
    void detach() noexcept;
    bool attached() const noexcept { return hwnd_ != nullptr; }

protected:
    // The window's own processing, for a handler that must run it first.
    LRESULT callPrevious(UINT message, WPARAM wParam, LPARAM lParam) const noexcept;

private:
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC previous_ = nullptr;
};

}  // namespace kest
