#include "CSrtMenuPropPage.h"
#include "BandNotification.h"
#include "ComPtr.h"
#include "DialogInitData.h"
#include "DefaultScanLocations.h"
#include "HelpTopic.h"
#include "HotKeyTables.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <vector>

namespace {

constexpr int ScanLocationTextLength = MAX_PATH;

// The browser starts at the folder handed over in lParam.
int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// An item identifier list freed through the shell allocator.
class ShellItemList {
public:
    explicit ShellItemList(IMalloc* allocator) noexcept : allocator_(allocator) {}
    ShellItemList(const ShellItemList&) = delete;
    ShellItemList& operator=(const ShellItemList&) = delete;
    ~ShellItemList() { reset(); }
    void reset(PIDLIST_ABSOLUTE list = nullptr) noexcept {
        if (list_) allocator_->Free(list_);
        list_ = list;
    }
    PIDLIST_ABSOLUTE get() const noexcept { return list_; }
    PIDLIST_ABSOLUTE* put() noexcept {
        reset();
        return &list_;
    }

private:
    IMalloc* allocator_;
    PIDLIST_ABSOLUTE list_ = nullptr;
};

// The page's own try of a combination just saved, on the page's window; released at once.
constexpr int HotKeyTryId = 0x4B54;

// Another program holds the combination when neither the page nor the band could register
// it; the band's own registration is no conflict.
bool hotKeyTakenByAnother(HWND page, const kest::HotKeySetting& hotKey) {
    if (hotKey.disabled) return false;
    if (RegisterHotKey(page, HotKeyTryId, hotKey.modifiers, hotKey.virtualKey)) {
        UnregisterHotKey(page, HotKeyTryId);
        return false;
    }
    return !kest::readHotKeyOutcome().holds(hotKey.modifiers, hotKey.virtualKey);
}

// What the band found when it last tried the saved combination.
bool bandFoundHotKeyTaken(const kest::HotKeySetting& hotKey) {
    const kest::HotKeyOutcome outcome = kest::readHotKeyOutcome();
    return !hotKey.disabled && outcome.recorded() && !outcome.registered &&
           outcome.tried.modifiers == hotKey.modifiers && outcome.tried.virtualKey == hotKey.virtualKey;
}

}  // namespace

CSrtMenuPropPage::CSrtMenuPropPage(HINSTANCE instance)
    : CPropertyPage(instance, IDD_START_MENU_PAGE), instance_(instance) {
    includeHistory_ = kest::readIncludeHistory();
    includeFolderItems_ = kest::readIncludeFolderItems();
    rescanOnStartup_ = kest::readForceUpdateOnStartup();
    followChanges_ = kest::readWatchScanLocations();
    includePackagedApps_ = kest::readIncludePackagedApps();
    displayComputerName_ = kest::readDisplayComputerName();
    useWindowsColors_ = kest::readUsingWindowsColors();
    includeSettingsPages_ = kest::readIncludeSettingsPages();
    includeControlPanel_ = kest::readIncludeControlPanel();
    includeSystemCommands_ = kest::readIncludeSystemCommands();
    matchMode_ = static_cast<int>(kest::readMatchMode());
    autoSelectMode_ = static_cast<int>(kest::readAutoSelectMode());
}

void CSrtMenuPropPage::doDataExchange(kest::DataExchange& exchange) {
    exchange.check(IDC_HOTKEY_DISABLE, hotKeyDisabled_);
    exchange.check(IDC_INCLUDE_HISTORY, includeHistory_);
    exchange.check(IDC_INCLUDE_FOLDER_ITEMS, includeFolderItems_);
    exchange.check(IDC_RESCAN_ON_STARTUP, rescanOnStartup_);
    exchange.check(IDC_FOLLOW_CHANGES, followChanges_);
    exchange.check(IDC_INCLUDE_PACKAGED_APPS, includePackagedApps_);
    exchange.check(IDC_DISPLAY_COMPUTER_NAME, displayComputerName_);
    exchange.check(IDC_USE_WINDOWS_COLORS, useWindowsColors_);
    exchange.check(IDC_INCLUDE_SETTINGS_PAGES, includeSettingsPages_);
    exchange.check(IDC_INCLUDE_CONTROL_PANEL, includeControlPanel_);
    exchange.check(IDC_INCLUDE_SYSTEM_COMMANDS, includeSystemCommands_);
    // In the order of the stored modes: All 0, Start 1, Word Start 2, Best Match 3.
    exchange.radio({IDC_MATCH_ALL, IDC_MATCH_START, IDC_MATCH_WORD_START, IDC_MATCH_BEST}, matchMode_);
    exchange.radio(IDC_AUTOSELECT_FIRST, IDC_AUTOSELECT_MRU, autoSelectMode_);
}

LRESULT CSrtMenuPropPage::OnInitDialog(WPARAM, LPARAM) {
    kest::applyDialogInitData(hwnd_, instance_, IDD_START_MENU_PAGE);
    updateData(false);

    kest::StringList locations;
    kest::ReadStringListKey(kest::ScanPathsKeyPath, locations);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(listView(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (const std::wstring& path : locations) insertLocation(0, path);
    resizeColumn();

    const kest::HotKeySetting hotKey = kest::readHotKey();
    sendItem(IDC_HOTKEY_MODIFIER, CB_SETCURSEL,
             static_cast<WPARAM>(kest::hotKeyModifierIndex(hotKey.modifiers)));
    sendItem(IDC_HOTKEY_KEY, CB_SETCURSEL, static_cast<WPARAM>(kest::hotKeyKeyIndex(hotKey.virtualKey)));
    hotKeyDisabled_ = hotKey.disabled;
    showHotKeyInUse(bandFoundHotKeyTaken(hotKey));

    updateData(false);
    enableAutoSelect();
    return TRUE;
}

void CSrtMenuPropPage::enableAutoSelect() const {
    const BOOL enabled = matchMode_ != static_cast<int>(kest::MatchMode::BestMatch);
    for (int id : {IDC_AUTOSELECT_GROUP, IDC_AUTOSELECT_FIRST, IDC_AUTOSELECT_MFU, IDC_AUTOSELECT_MRU})
        EnableWindow(item(id), enabled);
}

void CSrtMenuPropPage::showHotKeyInUse(bool inUse) const {
    SetDlgItemTextW(hwnd_, IDC_HOTKEY_IN_USE, inUse ? L"This key is in use." : L"");
}

void CSrtMenuPropPage::OnCheckBox(UINT, UINT id, HWND) {
    updateData(true);
    switch (id) {
    case IDC_INCLUDE_FOLDER_ITEMS: kest::writeIncludeFolderItems(includeFolderItems_); break;
    case IDC_INCLUDE_HISTORY: kest::writeIncludeHistory(includeHistory_); break;
    case IDC_RESCAN_ON_STARTUP: kest::writeForceUpdateOnStartup(rescanOnStartup_); break;
    case IDC_FOLLOW_CHANGES: kest::writeWatchScanLocations(followChanges_); break;
    case IDC_INCLUDE_PACKAGED_APPS: kest::writeIncludePackagedApps(includePackagedApps_); break;
    case IDC_DISPLAY_COMPUTER_NAME: kest::writeDisplayComputerName(displayComputerName_); break;
    case IDC_USE_WINDOWS_COLORS: kest::writeUsingWindowsColors(useWindowsColors_); break;
    case IDC_INCLUDE_SETTINGS_PAGES: kest::writeIncludeSettingsPages(includeSettingsPages_); break;
    case IDC_INCLUDE_CONTROL_PANEL: kest::writeIncludeControlPanel(includeControlPanel_); break;
    case IDC_INCLUDE_SYSTEM_COMMANDS: kest::writeIncludeSystemCommands(includeSystemCommands_); break;
    default: return;
    }
    settingsChanged_ = true;
}

void CSrtMenuPropPage::OnMatchMode(UINT, UINT, HWND) {
    updateData(true);
    if (matchMode_ < 0) return;  // no button of the group is checked
    kest::writeMatchMode(static_cast<kest::MatchMode>(matchMode_));
    settingsChanged_ = true;
    enableAutoSelect();
}

void CSrtMenuPropPage::OnAutoSelectMode(UINT, UINT, HWND) {
    updateData(true);
    if (autoSelectMode_ < 0) return;
    kest::writeAutoSelectMode(static_cast<kest::AutoSelectMode>(autoSelectMode_));
    settingsChanged_ = true;
}

void CSrtMenuPropPage::OnHotKey(UINT, UINT, HWND) {
    updateData(true);
    kest::HotKeySetting hotKey;
    hotKey.virtualKey = kest::hotKeyKeyAt(static_cast<int>(sendItem(IDC_HOTKEY_KEY, CB_GETCURSEL)));
    hotKey.modifiers = kest::hotKeyModifierAt(static_cast<int>(sendItem(IDC_HOTKEY_MODIFIER, CB_GETCURSEL)));
    hotKey.disabled = hotKeyDisabled_;
    kest::writeHotKey(hotKey);
    settingsChanged_ = true;
    showHotKeyInUse(hotKeyTakenByAnother(hwnd_, hotKey));
}

void CSrtMenuPropPage::insertLocation(int position, const std::wstring& path) const {
    LVITEMW entry{};
    entry.mask = LVIF_TEXT;
    entry.iItem = position;
    entry.pszText = const_cast<wchar_t*>(path.c_str());
    SendMessageW(listView(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
}

void CSrtMenuPropPage::setLocationText(int index, const std::wstring& path) const {
    LVITEMW entry{};
    entry.iSubItem = 0;
    entry.pszText = const_cast<wchar_t*>(path.c_str());
    SendMessageW(listView(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&entry));
}

std::wstring CSrtMenuPropPage::locationText(int index) const {
    wchar_t buffer[ScanLocationTextLength] = {};
    LVITEMW entry{};
    entry.iSubItem = 0;
    entry.pszText = buffer;
    entry.cchTextMax = ScanLocationTextLength;
    const LRESULT length = SendMessageW(listView(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&entry));
    return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

int CSrtMenuPropPage::firstSelectedLocation() const noexcept {
    return static_cast<int>(SendMessageW(listView(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CSrtMenuPropPage::resizeColumn() const noexcept {
    SendMessageW(listView(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
}

void CSrtMenuPropPage::saveScanLocations() {
    kest::StringList locations;
    const int count = static_cast<int>(SendMessageW(listView(), LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) locations.push_back(locationText(index));
    kest::ReplaceStringListKey(kest::ScanPathsKeyPath, locations);
    settingsChanged_ = true;
}

bool CSrtMenuPropPage::chooseFolder(const std::wstring& initialPath, std::wstring& chosen) const {
    kest::ComPtr<IShellFolder> desktop;
    kest::ComPtr<IMalloc> allocator;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop) return false;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator) return false;

    ShellItemList root(allocator.get());
    wchar_t emptyName[1] = {L'\0'};
    PIDLIST_RELATIVE parsed = nullptr;
    if (FAILED(desktop->ParseDisplayName(hwnd_, nullptr, emptyName, nullptr, &parsed, nullptr)) || !parsed) {
        if (parsed) allocator->Free(parsed);
        return false;
    }
    root.reset(reinterpret_cast<PIDLIST_ABSOLUTE>(parsed));

    BROWSEINFOW browse{};
    browse.hwndOwner = hwnd_;
    browse.pidlRoot = root.get();
    browse.lpszTitle = L"Select a location:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = browseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(initialPath.c_str());
    ShellItemList picked(allocator.get());
    picked.reset(SHBrowseForFolderW(&browse));
    if (!picked.get()) return false;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(picked.get(), path)) return false;
    chosen = path;
    return true;
}

void CSrtMenuPropPage::OnAdd(UINT, UINT, HWND) {
    std::wstring path;
    if (!chooseFolder(std::wstring(), path)) return;
    insertLocation(static_cast<int>(SendMessageW(listView(), LVM_GETITEMCOUNT, 0, 0)), path);
    saveScanLocations();
    resizeColumn();
}

void CSrtMenuPropPage::OnEdit(UINT, UINT, HWND) {
    const int selected = firstSelectedLocation();
    if (selected < 0) return;
    std::wstring path;
    if (!chooseFolder(locationText(selected), path)) return;
    setLocationText(selected, path);
    saveScanLocations();
    resizeColumn();
}

void CSrtMenuPropPage::OnRemove(UINT, UINT, HWND) {
    if (MessageBoxW(hwnd_, L"Are you sure you want to remove the selected item?", L"Remove Item", MB_YESNO) != IDYES)
        return;
    const int selected = firstSelectedLocation();
    if (selected >= 0) SendMessageW(listView(), LVM_DELETEITEM, static_cast<WPARAM>(selected), 0);
    saveScanLocations();
    resizeColumn();
}

void CSrtMenuPropPage::OnDefaults(UINT, UINT, HWND) {
    kest::StringList defaults;
    if (!kest::buildDefaultScanLocations(defaults)) {
        // Without the shell allocator the program ends. The sheet is ended through its close
        // command: destroying its window under the running modal loop would leave the loop
        // waiting on a window that no longer exists.
        PostMessageW(GetParent(hwnd_), WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    SendMessageW(listView(), LVM_DELETEALLITEMS, 0, 0);
    for (const std::wstring& path : defaults) insertLocation(0, path);
    resizeColumn();
    saveScanLocations();
}

void CSrtMenuPropPage::OnClearHistory(UINT, UINT, HWND) {
    if (MessageBoxW(hwnd_, L"Are you sure you want to clear the history?", L"Confirm Clear History", MB_YESNO) !=
        IDYES)
        return;
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::HistoryKeyPath);
    // The reload just requested also covers every earlier change.
    if (kest::NotifyRunningBand()) settingsChanged_ = false;
}

LRESULT CSrtMenuPropPage::OnItemChanged(NMHDR*) {
    const BOOL selected = firstSelectedLocation() >= 0;
    EnableWindow(item(IDC_SCAN_EDIT), selected);
    EnableWindow(item(IDC_SCAN_REMOVE), selected);
    return 0;
}

// The result is always 0, so the list view never takes an edit by itself: only a path
// that exists replaces the item.
LRESULT CSrtMenuPropPage::OnEndLabelEdit(NMHDR* header) {
    const auto* edit = reinterpret_cast<const NMLVDISPINFOW*>(header);
    if (!edit->item.pszText || !PathFileExistsW(edit->item.pszText)) return 0;
    const std::wstring path = edit->item.pszText;
    setLocationText(edit->item.iItem, path);
    saveScanLocations();
    resizeColumn();
    return 0;
}

LRESULT CSrtMenuPropPage::OnHelp(WPARAM, LPARAM lParam) {
    const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
    if (!help || help->iContextType != HELPINFO_WINDOW) return TRUE;
    return kest::ShowHelpTopic(kest::StartMenuHelpTopic);
}

LRESULT CSrtMenuPropPage::OnDestroy(WPARAM, LPARAM) {
    passToDefault();
    if (settingsChanged_ && kest::NotifyRunningBand()) settingsChanged_ = false;
    return 0;
}
