#include "SimpleBarDlg.h"
#include "search/ColorRules.h"
#include "search/EntryLauncher.h"
#include "ComObject.h"
#include "DefaultScanLocations.h"
#include "SettingsNames.h"
#include "accessories/CAboutDlg.h"
#include "accessories/ProductAddresses.h"
#include "search/HotKeyRegistration.h"
#include "search/ItemFolder.h"
#include "search/ModuleFolder.h"
#include "search/SystemSounds.h"
#include "search/ShellRun.h"
#include "search/TextRules.h"
#include "search/WindowText.h"
#include <commctrl.h>
#include <shellapi.h>

namespace kest {

CSimpleBarDlg::CSimpleBarDlg(BarOwner* ownerBand)
    : ownerBand_(ownerBand), matchMode_(readMatchMode()), autoSelectMode_(readAutoSelectMode()) {}

CSimpleBarDlg::~CSimpleBarDlg() { destroy(); }

HWND CSimpleBarDlg::create(HWND parent) { return createModeless(bandModule(), IDD_SIMPLEBAR, parent); }

void CSimpleBarDlg::doDataExchange(DataExchange& exchange) { exchange.text(IDC_SEARCHBOX, typedText_); }

LRESULT CSimpleBarDlg::OnInitDialog(WPARAM, LPARAM) {
    searchBox_.attach(item(IDC_SEARCHBOX));
    searchBox_.setHost(this);
    searchBox_.fitListToDpi();
    updateData(false);

    const bool notified = notificationWindow_.create();
    history_ = std::make_unique<HistoryMap>(hwnd_, BandFileResultsMessage, notificationWindow_.hwnd());
    if (!notified) return FALSE;
    notificationWindow_.setBar(hwnd_);
    keeper_ = std::make_unique<CIndexKeeper>(hwnd_, IndexReadyMessage, static_cast<ScanStatusSink*>(this));
    bestMatchList_.start(hwnd_, BandFileResultsMessage, notificationWindow_.hwnd());

    RECT client{};
    GetClientRect(hwnd_, &client);
    menuButton_.bind(hwnd_, IDC_MENUBUTTON, BarScaling::menuButtonLimit(client.bottom));

    InvalidateRect(searchBox_.hwnd(), nullptr, TRUE);
    createToolTips();
    updateData(false);

    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink_.putVoid());
    SHGetDesktopFolder(desktopFolder_.put());

    rescanRequested_ = readForceUpdateOnStartup();
    Reload();

    scaling_.attach(hwnd_, menuButton_, searchBox_.hwnd(), menuBitmaps_);
    return TRUE;
}

namespace {
std::wstring productName() {
    wchar_t name[64] = {};
    LoadStringW(bandModule(), IDS_PRODUCT_NAME, name, 64);
    return name;
}
}  // namespace

void CSimpleBarDlg::createToolTips() {
    std::wstring name = productName();
    toolTip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   bandModule(), nullptr));
    if (!toolTip_) return;
    SendMessageW(toolTip_.get(), TTM_SETDELAYTIME, TTDT_INITIAL, 500);
    SetWindowPos(toolTip_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = name.data();
    HWND edit = GetWindow(searchBox_.hwnd(), GW_CHILD);
    if (edit) {
        tool.hwnd = edit;
        tool.uId = 0;
        GetClientRect(edit, &tool.rect);
        SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tool.hwnd = menuButton_.hwnd() ? menuButton_.hwnd() : item(IDC_MENUBUTTON);
    tool.uId = 1;
    GetClientRect(hwnd_, &tool.rect);
    SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CSimpleBarDlg::registerHotKey() {
    const HotKeyStatus status = registerStoredHotKey(hwnd_, HotKeyId, notificationWindow_.otherBandsRun());
    hotKeyHeld_ = status.state == HotKeyState::Held;
    setToolTipText(toolTip_.get(), searchBox_.editWindow(), 0, searchBoxToolTipText(productName(), status));
}

void CSimpleBarDlg::releaseHotKey() {
    UnregisterHotKey(hwnd_, HotKeyId);
    if (!hotKeyHeld_) return;
    hotKeyHeld_ = false;
    deleteHotKeyOutcome();
    notificationWindow_.postToOtherBands(HotKeyFreedCommandId);
}

void CSimpleBarDlg::Reload() {
    if (busy()) return;
    searchBox_.send(CB_SHOWDROPDOWN, FALSE);
    matchSet_.clear();
    listedItems_.clear();
    catalog_.clear();
    index_.clear();
    listSortKeys_.clear();
    scanLocations_.clear();
    searchBox_.resetList();

    if (readScanLocationsInstallingDefaults(scanLocations_) == ScanLocationsResult::NoShellAllocator) {
        // The host window goes, and the bar with it, but only once this handler has returned:
        // destroyed here, the bar would be freed under its own feet. Its default processing
        // of WM_CLOSE destroys it.
        PostMessageW(GetParent(hwnd_), WM_CLOSE, 0, 0);
        return;
    }

    // The box stays hidden while the keeper loads, so the status text shows.
    ShowWindow(searchBox_.hwnd(), SW_HIDE);
    CIndexKeeper::Request request{scanLocations_, rescanRequested_, readIncludePackagedApps(), readWatchScanLocations(),
                                  readIncludeSettingsPages(), readIncludeSystemCommands(), readIncludeControlPanel()};
    rescanRequested_ = false;
    if (!keeper_ || !keeper_->load(std::move(request))) ShowWindow(searchBox_.hwnd(), SW_SHOWNORMAL);

    typedHistory_.LoadFromRegistry();
    matchMode_ = readMatchMode();
    autoSelectMode_ = readAutoSelectMode();
    registerHotKey();
}

LRESULT CSimpleBarDlg::OnIndexReady(WPARAM, LPARAM) {
    CIndexKeeper::Update update;
    if (!keeper_->take(update)) return 0;
    if (update.background) {
        takeBackgroundIndex(update);
        return 0;
    }
    installIndex(update);
    setStatusText(std::wstring());
    searchBox_.resetList();
    MatchText(typedText_);
    PlayAsterisk();
    ShowWindow(searchBox_.hwnd(), SW_SHOWNORMAL);
    return 0;
}

void CSimpleBarDlg::installIndex(CIndexKeeper::Update& update) {
    index_ = std::move(update.index);
    catalog_ = std::move(update.catalog);
    history_->matchShortcutRecords(index_);
}

void CSimpleBarDlg::takeBackgroundIndex(CIndexKeeper::Update& update) {
    HWND box = searchBox_.hwnd();
    HWND edit = searchBox_.editWindow();
    DWORD selectionStart = 0, selectionEnd = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), reinterpret_cast<LPARAM>(&selectionEnd));
    const bool open = SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const std::wstring selectedItem = listItemText(box, SendMessageW(box, CB_GETCURSEL, 0, 0));
    // The list's items point into the catalog that goes; no message is handled before the
    // list holds the new catalog's items.
    installIndex(update);
    if (open) {
        RefreshFromTyping();
    } else {
        searchBox_.resetList();
        MatchText(searchBox_.edit().searchText);
    }
    // The item the box showed stays selected while it is still listed.
    const LRESULT kept = selectedItem.empty() ? CB_ERR
                                              : SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                             reinterpret_cast<LPARAM>(selectedItem.c_str()));
    if (kept != CB_ERR && kept != SendMessageW(box, CB_GETCURSEL, 0, 0)) SendMessageW(box, CB_SETCURSEL, kept, 0);
    SendMessageW(edit, EM_SETSEL, selectionStart, selectionEnd);
}

void CSimpleBarDlg::setStatusText(const std::wstring& text) {
    {
        std::lock_guard<std::mutex> lock(statusLock_);
        statusText_ = text;
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

std::wstring CSimpleBarDlg::statusText() const {
    std::lock_guard<std::mutex> lock(statusLock_);
    return statusText_;
}

void CSimpleBarDlg::stopWorker() noexcept {
    if (keeper_) keeper_->stop();
}

LRESULT CSimpleBarDlg::OnDestroy(WPARAM, LPARAM) {
    stopWorker();
    // Its worker finishes a save on its own, and posts nothing here any more.
    history_.reset();
    bestMatchList_.closePicks();
    releaseHotKey();
    shellLink_.reset();
    desktopFolder_.reset();
    passToDefault();
    return 0;
}

int CSimpleBarDlg::MatchText(const std::wstring& text) {
    const int count = collectListItems(text);
    if (count > 0) FillDropDown();
    return count;
}

int CSimpleBarDlg::collectListItems(const std::wstring& text) {
    matchSet_.clear();
    fallbackItems_.clear();
    // The worker owns the index while it runs.
    if (!shellLink_ || busy()) return 0;
    int count = bestMatchList_.collect(matchMode_, text, catalog_, *history_, matchSet_, listedItems_);
    if (count < 0) count = catalog_.collect(text, matchMode_, matchSet_, listedItems_);
    folderItems_.FillForPath(searchBox_.edit().searchText);
    if (count > 0) return count;
    if (folderItems_.enabled()) {
        for (const std::wstring& item : folderItems_.items()) fallbackItems_.push_back(item);
        count = static_cast<int>(fallbackItems_.size());
        if (count > 0) return count;
    }
    if (typedHistory_.enabled()) {
        for (const std::wstring& item : typedHistory_.items()) {
            if (equalsIgnoreAsciiCase(text, leadingCharacters(item, text.size()))) {
                fallbackItems_.push_back(item);
                ++count;
            }
        }
    }
    return count;
}

void CSimpleBarDlg::FillDropDown() {
    std::lock_guard<std::mutex> lock(matchLock_);
    // The box passes its item messages on to its list unchanged; sent to the list
    // directly, thousands of items take half the messages.
    HWND list = searchBox_.listWindow();
    if (!list) return;
    // Items are added in the order the sorted box would give them, each at the end: the
    // box then compares nothing, and shows the same list as if it had sorted them itself.
    const CEnterKeyComboBox::ListUpdate update(searchBox_);
    if (!matchSet_.empty()) {
        SendMessageW(list, LB_INITSTORAGE, listedItems_.size(), listedItems_.size() * 32 * sizeof(wchar_t));
        for (uint32_t position : listedItems_) {
            const LRESULT index = SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(catalog_.displayText(position).c_str()));
            if (index >= 0)
                SendMessageW(list, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(catalog_.entry(position)));
        }
        return;
    }
    const std::vector<std::wstring> texts(fallbackItems_.begin(), fallbackItems_.end());
    SendMessageW(list, LB_INITSTORAGE, texts.size(), texts.size() * 32 * sizeof(wchar_t));
    for (size_t position : listOrder(texts, listSortKeys_))
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(texts[position].c_str()));
}

void CSimpleBarDlg::replaceIndex(ShortcutIndex index) {
    if (busy()) return;
    searchBox_.send(CB_SHOWDROPDOWN, FALSE);
    matchSet_.clear();
    listedItems_.clear();
    searchBox_.resetList();
    catalog_.clear();
    index_ = std::move(index);
    catalog_.build(index_);
}

void CSimpleBarDlg::RefreshFromTyping() {
    if (keeper_) keeper_->noteUserInput();
    updateData(true);
    HWND box = searchBox_.hwnd();
    CEnterKeyEdit& edit = searchBox_.edit();
    const bool wasOpen = SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const auto close = [box] { SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0); };
    if (edit.pasting) {
        if (wasOpen) close();
        searchBox_.resetList();
        return;
    }
    // An open list that would open again at the same size is refilled where it is:
    // closing and reopening it costs more than everything else a keystroke does.
    const LRESULT openCount = wasOpen ? SendMessageW(box, CB_GETCOUNT, 0, 0) : 0;

    const std::wstring searchText = edit.searchText;
    const int count = collectListItems(searchText);
    const auto listed = static_cast<LRESULT>(matchSet_.empty() ? fallbackItems_.size() : matchSet_.size());
    const bool refillOpenList = wasOpen && count > 0 && !searchText.empty() && listed > 0 &&
                                searchBox_.reopensAlike(openCount, listed);
    if (wasOpen && !refillOpenList) close();
    {
        const CEnterKeyComboBox::ListUpdate update(searchBox_);
        searchBox_.resetList();
        if (count > 0) FillDropDown();
    }
    edit.itemsAreEntries = fallbackItems_.empty();
    const auto length = static_cast<WPARAM>(searchText.size());
    const LRESULT items = SendMessageW(box, CB_GETCOUNT, 0, 0);

    if (count > 0 && !searchText.empty()) {
        if (items > 0) {
            switch (bestMatchList_.ranked() ? AutoSelectMode::First : autoSelectMode_) {
            case AutoSelectMode::First:
                bestMatchList_.preselect(box, searchText);
                break;
            default: {
                const bool byCount = autoSelectMode_ == AutoSelectMode::MostFrequentlyUsed;
                if (!matchSet_.empty())  // the list holds the listed entries, in their order
                    SendMessageW(box, CB_SETCURSEL, launchRecords_.preferredIndex(catalog_, *history_, listedItems_, byCount), 0);
                else if (byCount)
                    history_->selectMostFrequent(box);
                else
                    history_->selectMostRecent(box);
                break;
            }
            }
            if (refillOpenList)
                searchBox_.selectAsOpening();
            else
                SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        }
        HWND editWindow = searchBox_.editWindow();
        if (!editWindow) return;
        if (!matchSet_.empty()) {
            switch (matchMode_) {
            case MatchMode::Start:
                SendMessageW(editWindow, EM_SETSEL, length, static_cast<LPARAM>(length));
                break;
            case MatchMode::WordStart:
                break;
            default: {
                const std::wstring shown = windowText(box);
                if (asciiLower(leadingCharacters(shown, searchText.size())) == asciiLower(searchText))
                    SendMessageW(editWindow, EM_SETSEL, length, static_cast<LPARAM>(length));
                else
                    SendMessageW(editWindow, EM_SETSEL, 0, -1);
                break;
            }
            }
        } else {
            SendMessageW(editWindow, EM_SETSEL, length, static_cast<LPARAM>(length));
        }
        return;
    }

    typedText_ = searchText;
    updateData(false);
    if (HWND editWindow = searchBox_.editWindow())
        SendMessageW(editWindow, EM_SETSEL, length, static_cast<LPARAM>(length));
}

void CSimpleBarDlg::LaunchCurrent(const wchar_t* verb) {
    HWND box = searchBox_.hwnd();
    if (GetFocus() == box) return;
    if (SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0)) SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    updateData(true);
    typedText_ = trimWhitespace(typedText_);
    if (typedText_.empty()) {
        RefreshFromTyping();
        return;
    }

    const LRESULT selection = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR && !matchSet_.empty() && !bestMatchList_.runsTypedText(typedText_)) {
        const LRESULT data = SendMessageW(box, CB_GETITEMDATA, selection, 0);
        if (data == 0 || data == CB_ERR) return;
        const ShortcutEntry entry = *reinterpret_cast<const ShortcutEntry*>(data);
        typedText_.clear();
        updateData(false);
        const LaunchOutcome outcome = launchEntry(entry, verb, hwnd_);
        const bool started = outcome == LaunchOutcome::Started;
        // The pick goes under the text of the last list, before emptying the box lists anew.
        if (started) bestMatchList_.recordPick(entry);
        if (started || outcome == LaunchOutcome::Declined) {
            searchBox_.edit().searchText.clear();
            RefreshFromTyping();
            if (started) history_->recordLaunch(entry.executable.c_str());
        }
        return;
    }

    const std::wstring command = typedText_;
    if (launchTypedCommand(command, verb)) {
        typedHistory_.AddCommand(command);
        history_->recordLaunch(command.c_str());
        typedText_.clear();
        updateData(false);
        RefreshFromTyping();
    }
}

bool CSimpleBarDlg::launchTypedCommand(const std::wstring& command, const wchar_t* verb) {
    WaitCursor wait;
    if (shellRun(command, nullptr, nullptr, SW_SHOWNORMAL, verb)) return true;
    // "program argument": the first blank-delimited token is the file, the rest its parameters.
    const size_t start = command.find_first_not_of(L' ');
    if (start == std::wstring::npos) return false;
    const size_t end = command.find(L' ', start);
    const std::wstring file = command.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const std::wstring parameters = end == std::wstring::npos ? std::wstring() : command.substr(end + 1);
    return shellRun(file, parameters.c_str(), nullptr, SW_SHOWNORMAL, verb);
}

std::wstring CSimpleBarDlg::currentItem() const {
    HWND box = searchBox_.hwnd();
    const LRESULT selection = SendMessageW(box, CB_GETCURSEL, 0, 0);
    const LRESULT data = selection == CB_ERR || matchSet_.empty() ? 0 : SendMessageW(box, CB_GETITEMDATA, selection, 0);
    if (data != 0 && data != CB_ERR) return reinterpret_cast<const ShortcutEntry*>(data)->executable;
    return trimWhitespace(windowText(box));
}

void CSimpleBarDlg::OnOpenItemFolder(UINT, UINT, HWND) { openItemFolder(currentItem()); }

void CSimpleBarDlg::OnSearchBoxEditChange(UINT, UINT, HWND) { RefreshFromTyping(); }

void CSimpleBarDlg::OnSearchBoxSetFocus(UINT, UINT, HWND) {
    if (ownerBand_) ownerBand_->OnFocusChange(true);
}

void CSimpleBarDlg::OnSearchBoxKillFocus(UINT, UINT, HWND) { searchBox_.OnKillFocus(); }

void CSimpleBarDlg::OnSearchBoxSelEndOk(UINT, UINT, HWND) {
    HWND box = searchBox_.hwnd();
    const LRESULT selection = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (!dropDownOpen_ || selection == CB_ERR || SendMessageW(box, CB_GETLBTEXTLEN, selection, 0) == CB_ERR) return;
    typedText_ = listItemText(box, selection);
    updateData(false);
    searchBox_.edit().searchText.clear();
    PostMessageW(hwnd_, WM_COMMAND, LaunchCommandId, 0);
}

void CSimpleBarDlg::OnSearchBoxSelEndCancel(UINT, UINT, HWND) { dropDownOpen_ = false; }
void CSimpleBarDlg::OnSearchBoxDropDown(UINT, UINT, HWND) { dropDownOpen_ = true; }

LRESULT CSimpleBarDlg::OnSize(WPARAM, LPARAM lParam) {
    HWND box = searchBox_.hwnd() ? searchBox_.hwnd() : item(IDC_SEARCHBOX);
    HWND button = item(IDC_MENUBUTTON);
    if (box && button) {
        RECT boxBounds{}, buttonBounds{};
        GetWindowRect(box, &boxBounds);
        GetWindowRect(button, &buttonBounds);
        const int buttonWidth = buttonBounds.right - buttonBounds.left;
        MoveWindow(button, 1, 1, buttonWidth, buttonBounds.bottom - buttonBounds.top, TRUE);
        MoveWindow(box, buttonWidth + 1, 1, LOWORD(lParam) - buttonWidth - 2, boxBounds.bottom - boxBounds.top, TRUE);
    }
    passToDefault();
    return 0;
}

LRESULT CSimpleBarDlg::OnEraseBackground(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (!dc) {
        passToDefault();
        return 0;
    }
    const BarColors colors = barColors(readUsingWindowsColors(), GetSysColor(COLOR_BACKGROUND));
    backgroundColor_ = colors.background;
    RECT client{};
    GetClientRect(hwnd_, &client);
    {
        SelectObjectGuard pen(dc, GetStockObject(DC_PEN));
        SelectObjectGuard brush(dc, GetStockObject(DC_BRUSH));
        SetDCPenColor(dc, backgroundColor_);
        SetDCBrushColor(dc, backgroundColor_);
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    SetBkColor(dc, backgroundColor_);
    SetTextColor(dc, colors.text);
    client.left += 10;
    client.right -= 10;
    const std::wstring status = statusText();
    DrawTextW(dc, status.c_str(), static_cast<int>(status.size()), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return TRUE;
}

void CSimpleBarDlg::OnMenuButtonCommand(UINT, UINT, HWND) { OnMenuButtonClicked(); }

void CSimpleBarDlg::OnMenuButtonClicked() {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT bar{};
    GetWindowRect(hwnd_, &bar);
    POINT position = cursor;
    if (!PtInRect(&bar, cursor)) {
        position = POINT{0, 0};
        ClientToScreen(hwnd_, &position);
    }
    ShowBarMenu(hwnd_, MAKELPARAM(position.x, position.y));
}

LRESULT CSimpleBarDlg::ShowBarMenu(HWND window, LPARAM screenPosition) {
    if (window != hwnd_ || busy()) return 1;
    UniqueHMenu menu(CreatePopupMenu());
    if (!menu) return 1;

    const auto insert = [](HMENU target, UINT position, const wchar_t* text, UINT id, UINT state, HBITMAP mark) {
        MENUITEMINFOW item{sizeof(item)};
        item.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE;
        item.fType = MFT_STRING;
        item.fState = state;
        item.wID = id;
        item.hbmpChecked = mark;
        item.hbmpUnchecked = mark;
        item.dwTypeData = const_cast<wchar_t*>(text);
        return InsertMenuItemW(target, position, TRUE, &item) != FALSE;
    };
    const auto separator = [](HMENU target, UINT position) {
        MENUITEMINFOW item{sizeof(item)};
        item.fMask = MIIM_ID | MIIM_TYPE;
        item.fType = MFT_SEPARATOR;
        InsertMenuItemW(target, position, TRUE, &item);
    };
    const auto checked = [](bool on) -> UINT { return on ? MFS_CHECKED : MFS_UNCHECKED; };
    // Bitmaps 7204..7208: refresh, settings, help, about, web site.
    HBITMAP refreshMark = menuBitmaps_[0].get(), settingsMark = menuBitmaps_[1].get(),
            helpMark = menuBitmaps_[2].get(), aboutMark = menuBitmaps_[3].get(), webMark = menuBitmaps_[4].get();

    insert(menu.get(), 0, L"&Help...\tF1", HelpCommandId, 0, helpMark);
    insert(menu.get(), 1, L"&Refresh\tCtrl+R", ReloadCommandId, 0, refreshMark);
    insert(menu.get(), 2, L"&Settings...\tCtrl+S", SettingsCommandId, 0, settingsMark);
    separator(menu.get(), 3);
    insert(menu.get(), 4, L"Include &Folder Items\tCtrl+F", FolderItemsCommandId, checked(readIncludeFolderItems()),
           nullptr);
    insert(menu.get(), 5, L"Include H&istory Items\tCtrl+I", HistoryItemsCommandId, checked(readIncludeHistory()),
           nullptr);

    HMENU matching = CreatePopupMenu();
    MENUITEMINFOW submenu{sizeof(submenu)};
    submenu.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    submenu.fType = MFT_STRING;
    submenu.wID = MatchAllCommandId;
    submenu.hSubMenu = matching;
    submenu.dwTypeData = const_cast<wchar_t*>(L"&Matching");
    if (matching && InsertMenuItemW(menu.get(), 6, TRUE, &submenu)) {
        // The submenu now belongs to the menu.
        const MatchMode stored = readMatchMode();
        insert(matching, 0, L"&All\tCtrl+K", MatchAllCommandId, checked(stored == MatchMode::All), nullptr);
        insert(matching, 1, L"&Start\tCtrl+L", MatchStartCommandId, checked(stored == MatchMode::Start), nullptr);
        insert(matching, 2, L"&Word Start\tCtrl+M", MatchWordStartCommandId, checked(stored == MatchMode::WordStart),
               nullptr);
        insert(matching, 3, L"&Best Match\tCtrl+B", MatchBestCommandId, checked(stored == MatchMode::BestMatch), nullptr);
    } else if (matching) {
        DestroyMenu(matching);
    }
    separator(menu.get(), 7);
    insert(menu.get(), 8, L"&About...\tCtrl+A", AboutCommandId, 0, aboutMark);
    insert(menu.get(), 9, L"Official &Web Site...\tCtrl+W", WebSiteCommandId, 0, webMark);

    const int command = TrackPopupMenu(menu.get(), TPM_RETURNCMD, static_cast<short>(LOWORD(screenPosition)),
                                       static_cast<short>(HIWORD(screenPosition)), 0, hwnd_, nullptr);
    SendMessageW(hwnd_, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return 0;
}

LRESULT CSimpleBarDlg::OnSysChar(WPARAM character, LPARAM) {
    if (busy()) {
        passToDefault();
        return 0;
    }
    switch (character) {
    case L'a':
        PostMessageW(hwnd_, WM_COMMAND, AboutCommandId, 0);
        break;
    case L'b':
        setMatchMode(MatchMode::BestMatch);
        break;
    case L'd':
        removeTypedCommand();
        break;
    case L'f':
        OnToggleFolderItems(0, 0, nullptr);
        break;
    case L'i':
        OnToggleHistoryItems(0, 0, nullptr);
        break;
    case L'k':
        setMatchMode(MatchMode::All);
        break;
    case L'l':
        setMatchMode(MatchMode::Start);
        break;
    case L'm':
        setMatchMode(MatchMode::WordStart);
        break;
    case L'r':
        rescanRequested_ = true;
        Reload();
        break;
    case L's':
        PostMessageW(hwnd_, WM_COMMAND, SettingsCommandId, 0);
        break;
    case L'w':
        PostMessageW(hwnd_, WM_COMMAND, WebSiteCommandId, 0);
        break;
    default:
        passToDefault();
        break;
    }
    return 0;
}

void CSimpleBarDlg::removeTypedCommand() {
    HWND box = searchBox_.hwnd();
    typedHistory_.RemoveCommand(windowText(box));
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    const std::wstring& searchText = searchBox_.edit().searchText;
    SetWindowTextW(box, searchText.c_str());
    SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(searchText.size(), -1));
}

LRESULT CSimpleBarDlg::OnHotKey(WPARAM, LPARAM) {
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    if (ownerBand_) ownerBand_->OnFocusChange(false);
    return 0;
}

void CSimpleBarDlg::OnAbout(UINT, UINT, HWND) {
    CAboutDlg about;
    about.show(hwnd_);
}

void CSimpleBarDlg::OnSettings(UINT, UINT, HWND) { openBesideModule(L"kestconf.exe"); }
void CSimpleBarDlg::OnHelp(UINT, UINT, HWND) { OpenHelp(); }

void CSimpleBarDlg::OnToggleFolderItems(UINT, UINT, HWND) {
    writeIncludeFolderItems(!readIncludeFolderItems());
    PlayAsterisk();
}

void CSimpleBarDlg::OnToggleHistoryItems(UINT, UINT, HWND) {
    writeIncludeHistory(!readIncludeHistory());
    PlayAsterisk();
}

void CSimpleBarDlg::setMatchMode(MatchMode mode) {
    matchMode_ = mode;
    writeMatchMode(mode);
    PlayAsterisk();
}

void CSimpleBarDlg::OnHotKeyFreed(UINT, UINT, HWND) {
    if (!hotKeyHeld_) registerHotKey();
}

void CSimpleBarDlg::OnBandFilesSaved(UINT, UINT, HWND) {
    if (history_) history_->reread();
    bestMatchList_.reloadPicks();
}

LRESULT CSimpleBarDlg::OnBandFileResults(WPARAM, LPARAM) {
    if (history_) history_->takeFileResults();
    bestMatchList_.takePicks();
    return 0;
}

void CSimpleBarDlg::OnReloadCommand(UINT, UINT, HWND) {
    if (busy()) return;
    rescanRequested_ = true;
    Reload();
}

void CSimpleBarDlg::OnWebSite(UINT, UINT, HWND) {
    ShellExecuteW(nullptr, nullptr, ProductWebPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kest
