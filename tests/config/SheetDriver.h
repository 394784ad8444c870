#pragma once
// Runs the real settings sheet modally on the test's thread while a script on a helper
// thread drives it by window messages, answers its questions and closes it. A fake band
// notification window counts the reload requests the sheet posts.
#include "SettingsTestSupport.h"
#include <atomic>
#include <functional>
#include <string>

class SheetDriver {
public:
    // Everything the script needs; it runs on the helper thread.
    struct Sheet {
        HWND sheet = nullptr;
        HWND page(int index) const;
        HWND startMenuPage() const { return page(0); }
        // Selects the Context Menu tab (creating its window) and returns the page.
        HWND showContextMenuPage() const;
        // A click as the user makes it; returns once the handler ran.
        void click(HWND page, int id) const;
        // A click whose handler opens a modal window: returns at once.
        void clickAsync(HWND page, int id) const;
        void selectCombo(HWND page, int id, int index) const;
        // Waits for the message box with this caption and presses the button.
        bool answerMessageBox(const wchar_t* caption, int button) const;
        // Waits for the folder browser, selects path in it and confirms (or cancels).
        bool answerFolderBrowser(const std::wstring& path, bool confirm = true) const;
        void closeWithCloseButton() const;
        void cancel() const;
        // Waits until the sheet's thread processed everything sent before.
        void sync() const;
        DWORD sheetThread = 0;
    };

    SheetDriver();
    ~SheetDriver();
    // Runs the sheet until it closes; false when the script could not find it.
    bool run(const std::function<void(Sheet&)>& script);
    // Reload requests the fake band received so far (dispatched on the test's thread).
    int reloadRequests() const { return reloadRequests_.load(); }
    void startFakeBand();
    // A fake band window on the calling thread, which must dispatch its messages.
    static HWND createFakeBand();

private:
    static LRESULT CALLBACK fakeBandProc(HWND, UINT, WPARAM, LPARAM);
    static std::atomic<int> reloadRequests_;
    HWND fakeBand_ = nullptr;
};

// Waits, with a bound, until condition holds; false when it never did.
bool waitUntil(const std::function<bool()>& condition, DWORD boundMilliseconds = 10000);
void pumpMessages();

class SheetTest : public SettingsRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A fresh folder under the user's desktop folder (the browser's root under Wine).
    std::wstring makeFolder(const std::wstring& name);
    static std::vector<std::wstring> storedList(const wchar_t* path);
    static std::vector<std::wstring> listViewItems(HWND page);
    static std::wstring textValue(const wchar_t* name);
    static DWORD dwordValue(const wchar_t* path, const wchar_t* name);

    std::vector<std::wstring> folders_;
};
