#pragma once
// The band's window on the taskbar: the search box and the menu button. It loads or
// rebuilds the shortcut index on a worker thread, matches what the user types, launches
// what the user chose and dispatches the bar's commands, menu, shortcuts and hot key.
#include "BarCommands.h"
#include "BarScaling.h"
#include "BarOwner.h"
#include "CNotificationWnd.h"
#include "kestentry/CIndexKeeper.h"
#include "ComPtr.h"
#include "SearchBarSettings.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "Window.h"
#include "accessories/CRollOverBitmapButton.h"
#include "history/HistoryMap.h"
#include "kestentry/ScanContext.h"
#include "kestentry/ShortcutEntry.h"
#include "search/CEnterKeyComboBox.h"
#include "search/CHistoryStringList.h"
#include "search/BestMatchList.h"
#include "search/CatalogLaunchRecords.h"
#include "search/CPathMatchStringList.h"
#include "search/ListOrder.h"
#include "search/MatchCatalog.h"
#include "search/MatchRules.h"
#include "resource.h"
#include <atomic>
#include <mutex>
#include <shlobj.h>

namespace kest {

class CSimpleBarDlg : public CDialog, public SearchBoxHost, private ScanStatusSink {
    KEST_BEGIN_MESSAGE_TABLE(CSimpleBarDlg, CDialog)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_MESSAGE(WM_SIZE, OnSize)
        KEST_ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
        KEST_ON_MESSAGE(WM_SYSCHAR, OnSysChar)
        KEST_ON_MESSAGE(WM_HOTKEY, OnHotKey)
        KEST_ON_MESSAGE(IndexReadyMessage, OnIndexReady)
        KEST_ON_MESSAGE(BandFileResultsMessage, OnBandFileResults)
        KEST_ON_MESSAGE(WM_DPICHANGED_AFTERPARENT, OnDpiChangedAfterParent)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_EDITCHANGE, OnSearchBoxEditChange)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_SETFOCUS, OnSearchBoxSetFocus)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_KILLFOCUS, OnSearchBoxKillFocus)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_SELENDOK, OnSearchBoxSelEndOk)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_SELENDCANCEL, OnSearchBoxSelEndCancel)
        KEST_ON_COMMAND(IDC_SEARCHBOX, CBN_DROPDOWN, OnSearchBoxDropDown)
        KEST_ON_COMMAND(IDC_MENUBUTTON, BN_CLICKED, OnMenuButtonCommand)
        KEST_ON_COMMAND_ID(IDOK, OnIgnoredCommand)
        KEST_ON_COMMAND_ID(IDCANCEL, OnIgnoredCommand)
        KEST_ON_COMMAND_ID(AboutCommandId, OnAbout)
        KEST_ON_COMMAND_ID(SettingsCommandId, OnSettings)
        KEST_ON_COMMAND_ID(HelpCommandId, OnHelp)
        KEST_ON_COMMAND_ID(FolderItemsCommandId, OnToggleFolderItems)
        KEST_ON_COMMAND_ID(HistoryItemsCommandId, OnToggleHistoryItems)
        KEST_ON_COMMAND_ID(MatchAllCommandId, OnMatchAll)
        KEST_ON_COMMAND_ID(MatchStartCommandId, OnMatchStart)
        KEST_ON_COMMAND_ID(MatchWordStartCommandId, OnMatchWordStart)
        KEST_ON_COMMAND_ID(MatchBestCommandId, OnMatchBest)
        KEST_ON_COMMAND_ID(ReloadCommandId, OnReloadCommand)
        KEST_ON_COMMAND_ID(HotKeyFreedCommandId, OnHotKeyFreed)
        KEST_ON_COMMAND_ID(BandFilesSavedCommandId, OnBandFilesSaved)
        KEST_ON_COMMAND_ID(WebSiteCommandId, OnWebSite)
        KEST_ON_COMMAND_ID(LaunchCommandId, OnLaunch)
        KEST_ON_COMMAND_ID(RunAsAdministratorCommandId, OnRunAsAdministrator)
        KEST_ON_COMMAND_ID(OpenItemFolderCommandId, OnOpenItemFolder)
    KEST_END_MESSAGE_TABLE()

public:
    // Reads the match and auto-select modes; the window is made by create(), which starts
    // reading the launch history on its worker.
    explicit CSimpleBarDlg(BarOwner* ownerBand);
    ~CSimpleBarDlg() override;

    // The bar as a child of parent, from template 7200; null on failure.
    HWND create(HWND parent);

    void Reload();
    // Starts the selected item, or the typed text as a command, with verb (null: the default).
    void LaunchCurrent(const wchar_t* verb = nullptr);
    // 0 when the menu was shown, 1 when declined (the window is not the bar, or it is busy).
    LRESULT ShowBarMenu(HWND window, LPARAM screenPosition);

    // SearchBoxHost
    void RefreshFromTyping() override;
    int MatchText(const std::wstring& text) override;
    void OnMenuButtonClicked() override;
    void FillDropDown();
    // Scales the bar to its DPI now (images, font, height); false when nothing changed.
    bool followDpi() { return scaling_.follow(); }
    const CRollOverBitmapButton& menuButton() const noexcept { return menuButton_; }
    // The marks of the menu's items, 0 to BarScaling::MenuMarkCount - 1.
    HBITMAP menuMark(int index) const noexcept { return menuBitmaps_[index].get(); }

    // While the index keeper loads the index the bar asked for.
    bool busy() const noexcept { return keeper_ && keeper_->loading(); }
    // Stops the index keeper's thread without waiting for it; the index it was building is
    // dropped.
    void stopWorker() noexcept;
    // The index keeper's running thread, or 0: for the tests.
    DWORD indexThreadId() const noexcept { return keeper_ ? keeper_->threadId() : 0; }
    MatchMode matchMode() const noexcept { return matchMode_; }
    AutoSelectMode autoSelectMode() const noexcept { return autoSelectMode_; }
    const ShortcutIndex& index() const noexcept { return index_; }
    // Puts index in place of the one loaded or scanned, with the list emptied; not while busy.
    void replaceIndex(ShortcutIndex index);
    const MatchSet& matchSet() const noexcept { return matchSet_; }
    HistoryMap& history() noexcept { return *history_; }
    CEnterKeyComboBox& searchBox() noexcept { return searchBox_; }
    const StringList& scanLocations() const noexcept { return scanLocations_; }
    const CHistoryStringList& typedHistory() const noexcept { return typedHistory_; }
    std::wstring statusText() const;
    COLORREF backgroundColor() const noexcept { return backgroundColor_; }
    const std::wstring& typedText() const noexcept { return typedText_; }
    HWND notificationWindow() const noexcept { return notificationWindow_.hwnd(); }

    // Posted by the index keeper when a new index waits; never sent.
    static constexpr UINT IndexReadyMessage = WM_APP + 0x42;
    // Posted by the workers of the band's shared files when what they read or saved waits.
    static constexpr UINT BandFileResultsMessage = WM_APP + 0x44;
    const BestMatchList& bestMatchList() const noexcept { return bestMatchList_; }

protected:
    void doDataExchange(DataExchange& exchange) override;

private:
    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM dc, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnSysChar(WPARAM character, LPARAM);
    LRESULT OnHotKey(WPARAM, LPARAM);
    LRESULT OnIndexReady(WPARAM, LPARAM);
    // Takes what the workers of the shared files read or saved, between two keystrokes.
    LRESULT OnBandFileResults(WPARAM, LPARAM);
    LRESULT OnDpiChangedAfterParent(WPARAM, LPARAM) {
        followDpi();
        return 0;
    }
    // Puts an index rescanned after changes on disk in place between two keystrokes: the
    // text, the caret and the selection stay, an open list is refilled for the same text,
    // and nothing sounds.
    void takeBackgroundIndex(CIndexKeeper::Update& update);
    // Puts the update's index and catalog in place and matches the shell's shortcut records
    // against it.
    void installIndex(CIndexKeeper::Update& update);
    void OnSearchBoxEditChange(UINT, UINT, HWND);
    void OnSearchBoxSetFocus(UINT, UINT, HWND);
    void OnSearchBoxKillFocus(UINT, UINT, HWND);
    void OnSearchBoxSelEndOk(UINT, UINT, HWND);
    void OnSearchBoxSelEndCancel(UINT, UINT, HWND);
    void OnSearchBoxDropDown(UINT, UINT, HWND);
    void OnMenuButtonCommand(UINT, UINT, HWND);
    void OnIgnoredCommand(UINT, UINT, HWND) {}
    void OnAbout(UINT, UINT, HWND);
    void OnSettings(UINT, UINT, HWND);
    void OnHelp(UINT, UINT, HWND);
    void OnToggleFolderItems(UINT, UINT, HWND);
    void OnToggleHistoryItems(UINT, UINT, HWND);
    void OnMatchAll(UINT, UINT, HWND) { setMatchMode(MatchMode::All); }
    void OnMatchStart(UINT, UINT, HWND) { setMatchMode(MatchMode::Start); }
    void OnMatchWordStart(UINT, UINT, HWND) { setMatchMode(MatchMode::WordStart); }
    void OnMatchBest(UINT, UINT, HWND) { setMatchMode(MatchMode::BestMatch); }
    void OnReloadCommand(UINT, UINT, HWND);
    void OnHotKeyFreed(UINT, UINT, HWND);
    // Another band saved the files the bands share: they are read again off this thread.
    void OnBandFilesSaved(UINT, UINT, HWND);
    void OnWebSite(UINT, UINT, HWND);
    void OnLaunch(UINT, UINT, HWND) { LaunchCurrent(); }
    void OnRunAsAdministrator(UINT, UINT, HWND) { LaunchCurrent(L"runas"); }
    void OnOpenItemFolder(UINT, UINT, HWND);

    // Fills the match set, or else the fallback strings, for text; the list is not touched.
    // Returns what MatchText returns.
    int collectListItems(const std::wstring& text);
    void setMatchMode(MatchMode mode);
    void removeTypedCommand();
    bool launchTypedCommand(const std::wstring& command, const wchar_t* verb);
    // The selected entry's executable, or else the trimmed text of the box.
    std::wstring currentItem() const;
    void createToolTips();
    // Registers the hot key of the settings; only one band holds it, and whether this one
    // does is kept in hotKeyHeld_.
    void registerHotKey();
    // Releases a held hot key and offers it to the other running bands.
    void releaseHotKey();

    // ScanStatusSink, called on the worker thread.
    void setStatusText(const std::wstring& text) override;

    BarOwner* ownerBand_;
    CRollOverBitmapButton menuButton_;
    std::wstring typedText_;
    CEnterKeyComboBox searchBox_;
    UniqueHWnd toolTip_;
    bool hotKeyHeld_ = false;
    BarScaling::MenuMarks menuBitmaps_;
    BarScaling scaling_;
    CNotificationWnd notificationWindow_;
    std::unique_ptr<CIndexKeeper> keeper_;  // made with the window
    std::mutex matchLock_;
    ComPtr<IShellLinkW> shellLink_;
    ComPtr<IShellFolder> desktopFolder_;
    ShortcutIndex index_;
    MatchCatalog catalog_;
    MatchSet matchSet_;
    std::vector<uint32_t> listedItems_;  // catalog positions of matchSet_, in list order
    BestMatchList bestMatchList_;
    CatalogLaunchRecords launchRecords_;
    ListSortKeys listSortKeys_;
    std::unique_ptr<HistoryMap> history_;  // made with the window
    bool dropDownOpen_ = false;
    MatchMode matchMode_;
    AutoSelectMode autoSelectMode_;
    bool rescanRequested_ = false;
    COLORREF backgroundColor_ = RGB(0, 255, 0);
    mutable std::mutex statusLock_;
    std::wstring statusText_;
    StringList fallbackItems_;
    StringList scanLocations_;
    CHistoryStringList typedHistory_;
    CPathMatchStringList folderItems_;
};

}  // namespace kest
