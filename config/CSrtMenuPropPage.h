#pragma once
// The "Start Menu" page: every search-bar setting, each stored the moment it changes.
// The page remembers that something changed and asks a running band to reload once,
// when its window is destroyed, or at once after Clear History.
#include "PropertySheet.h"
#include "resource.h"
#include "StringListKey.h"
#include <string>

class CSrtMenuPropPage : public kest::CPropertyPage {
    KEST_BEGIN_MESSAGE_TABLE(CSrtMenuPropPage, kest::CPropertyPage)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_MESSAGE(WM_HELP, OnHelp)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
        KEST_ON_COMMAND(IDC_INCLUDE_FOLDER_ITEMS, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_INCLUDE_HISTORY, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_RESCAN_ON_STARTUP, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_FOLLOW_CHANGES, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_INCLUDE_PACKAGED_APPS, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_DISPLAY_COMPUTER_NAME, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_USE_WINDOWS_COLORS, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_INCLUDE_SETTINGS_PAGES, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_INCLUDE_CONTROL_PANEL, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_INCLUDE_SYSTEM_COMMANDS, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_MATCH_ALL, BN_CLICKED, OnMatchMode)
        KEST_ON_COMMAND(IDC_MATCH_START, BN_CLICKED, OnMatchMode)
        KEST_ON_COMMAND(IDC_MATCH_WORD_START, BN_CLICKED, OnMatchMode)
        KEST_ON_COMMAND(IDC_MATCH_BEST, BN_CLICKED, OnMatchMode)
        KEST_ON_COMMAND(IDC_AUTOSELECT_FIRST, BN_CLICKED, OnAutoSelectMode)
        KEST_ON_COMMAND(IDC_AUTOSELECT_MFU, BN_CLICKED, OnAutoSelectMode)
        KEST_ON_COMMAND(IDC_AUTOSELECT_MRU, BN_CLICKED, OnAutoSelectMode)
        KEST_ON_COMMAND(IDC_HOTKEY_DISABLE, BN_CLICKED, OnHotKey)
        KEST_ON_COMMAND(IDC_HOTKEY_MODIFIER, CBN_SELCHANGE, OnHotKey)
        KEST_ON_COMMAND(IDC_HOTKEY_KEY, CBN_SELCHANGE, OnHotKey)
        KEST_ON_COMMAND(IDC_SCAN_ADD, BN_CLICKED, OnAdd)
        KEST_ON_COMMAND(IDC_SCAN_EDIT, BN_CLICKED, OnEdit)
        KEST_ON_COMMAND(IDC_SCAN_REMOVE, BN_CLICKED, OnRemove)
        KEST_ON_COMMAND(IDC_SCAN_DEFAULTS, BN_CLICKED, OnDefaults)
        KEST_ON_COMMAND(IDC_CLEAR_HISTORY, BN_CLICKED, OnClearHistory)
        KEST_ON_NOTIFY(IDC_SCAN_LOCATIONS, LVN_ITEMCHANGED, OnItemChanged)
        KEST_ON_NOTIFY(IDC_SCAN_LOCATIONS, LVN_ENDLABELEDITW, OnEndLabelEdit)
    KEST_END_MESSAGE_TABLE()

public:
    // Reads the check boxes and the two modes from the registry; no window exists yet.
    explicit CSrtMenuPropPage(HINSTANCE instance);

    bool settingsChanged() const noexcept { return settingsChanged_; }

protected:
    void doDataExchange(kest::DataExchange& exchange) override;

private:
    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnHelp(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    void OnCheckBox(UINT, UINT id, HWND);
    void OnMatchMode(UINT, UINT, HWND);
    void OnAutoSelectMode(UINT, UINT, HWND);
    void OnHotKey(UINT, UINT, HWND);
    void OnAdd(UINT, UINT, HWND);
    void OnEdit(UINT, UINT, HWND);
    void OnRemove(UINT, UINT, HWND);
    void OnDefaults(UINT, UINT, HWND);
    void OnClearHistory(UINT, UINT, HWND);
    LRESULT OnItemChanged(NMHDR*);
    LRESULT OnEndLabelEdit(NMHDR*);

    HWND listView() const noexcept { return item(IDC_SCAN_LOCATIONS); }
    void insertLocation(int position, const std::wstring& path) const;
    void setLocationText(int index, const std::wstring& path) const;
    std::wstring locationText(int index) const;
    int firstSelectedLocation() const noexcept;
    void resizeColumn() const noexcept;
    // Best Match ranks the matches itself: the Auto-Select group is greyed while it is chosen.
    void enableAutoSelect() const;
    // Beside the hot-key fields: "This key is in use." when inUse, nothing otherwise.
    void showHotKeyInUse(bool inUse) const;
    // Rewrites "\scanpaths" from the list, top to bottom.
    void saveScanLocations();
    // Shows the folder browser starting at initialPath; false when cancelled or when the
    // choice is no file-system folder.
    bool chooseFolder(const std::wstring& initialPath, std::wstring& chosen) const;

    bool settingsChanged_ = false;
    bool hotKeyDisabled_ = false;
    bool includeHistory_ = true;
    bool includeFolderItems_ = true;
    bool rescanOnStartup_ = true;
    bool followChanges_ = true;
    bool includePackagedApps_ = true;
    bool displayComputerName_ = true;
    bool useWindowsColors_ = false;
    bool includeSettingsPages_ = true;
    bool includeControlPanel_ = true;
    bool includeSystemCommands_ = true;
    int matchMode_ = 0;
    int autoSelectMode_ = 0;
    HINSTANCE instance_;
};
