// The box under Best Match over a real Start Menu: ranked lists, pre-selection, texts that
// stay commands, and picks learned from launches, kept across a restart and shared by two bands.
#include "BarTestSupport.h"
#include "SearchBarSettings.h"
#include "history/PickFile.h"
#include "UniqueHandle.h"
#include <fstream>
#include <tlhelp32.h>
#include <sstream>

using namespace kest;
using namespace kesttest;

namespace {

bool processRuns(const wchar_t* file) {
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(snapshot.get(), &process); more; more = Process32NextW(snapshot.get(), &process))
        if (_wcsicmp(process.szExeFile, file) == 0) return true;
    return false;
}

using Texts = std::vector<std::wstring>;

class BarBestMatchTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        setDword(L"doSubstringMatching", static_cast<DWORD>(MatchMode::BestMatch));
        markers = tempFolder(L"KestBestMatchMarkers");
    }
    void TearDown() override {
        BarFixture::TearDown();
        removeTree(markers);
    }
    // A shortcut to cmd.exe that writes name into a marker file of its own.
    void addProgram(const std::wstring& name) {
        writeShortcut(startMenu + L"\\" + name + L".lnk", systemFile(L"cmd.exe"),
                      L"/c echo x> \"" + marker(name) + L"\"", markers);
    }
    std::wstring marker(const std::wstring& name) const { return markers + L"\\" + name + L".txt"; }
    std::wstring shown(const std::wstring& name) const { return name + L" (KestBarStartMenu)"; }
    // The first item's name of the list for text, typed into a cleared box.
    Texts listFor(const std::wstring& text) {
        type(L"\x1b" + text);
        return items();
    }
    // Starts the item shown as name from the list for text, as a click would choose it.
    void launchFromList(const std::wstring& text, const std::wstring& name, HWND edit = nullptr) {
        edit = edit ? edit : editWindow();
        HWND list = GetParent(edit);
        SendMessageW(edit, WM_CHAR, 27, 1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        pumpMessages();
        const LRESULT found =
            SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(shown(name).c_str()));
        ASSERT_GE(found, 0) << shown(name);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(edit, WM_CHAR, L'\r', 1);
        pumpMessages();
        ASSERT_NE(L"", waitForMarker(marker(name))) << name << L" ran";
        DeleteFileW(marker(name).c_str());
    }
    // Pumps until condition holds; false after 20 s.
    static bool eventually(const std::function<bool()>& condition) { return pumpUntil(condition, 20000); }
    // The first item of the other band's list for text.
    static std::wstring firstFor(CSimpleBarDlg& band, const std::wstring& text) {
        HWND edit = band.searchBox().editWindow();
        SendMessageW(edit, WM_CHAR, 27, 1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        pumpMessages();
        wchar_t first[128] = {};
        SendMessageW(band.searchBox().hwnd(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        return first;
    }
    std::string pickFileText() const {
        std::ifstream file((dataFolder + L"\\pickmapdata.xml").c_str(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::wstring markers;
};

TEST_F(BarBestMatchTest, ListsTheBestMatchesInRankOrderAndPreselectsTheFirst) {
    for (const wchar_t* name : {L"Terminal", L"Internet Explorer", L"Character Map", L"Visual Studio Code", L"Firefox",
                                L"todo.txt", L"Photoshop", L"Paint"})
        addProgram(name);
    startBar();
    const struct {
        const wchar_t* text;
        Texts first;
    } cases[] = {
        {L"firefox", {shown(L"Firefox")}},                                                   // exact
        {L"ter", {shown(L"Terminal"), shown(L"Internet Explorer"), shown(L"Character Map")}},  // word start first
        {L"vscode", {shown(L"Visual Studio Code")}},                                         // initials
        {L"shop", {shown(L"Photoshop")}},                                                    // inside a word
        {L"tdtx", {shown(L"todo.txt")}},                                                     // scattered
        {L"fierfox", {shown(L"Firefox")}},                                                   // one typo
    };
    for (const auto& c : cases) {
        const Texts listed = listFor(c.text);
        ASSERT_GE(listed.size(), c.first.size()) << c.text;
        EXPECT_EQ(c.first, Texts(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(c.first.size())))
            << c.text;
        EXPECT_EQ(0, selection()) << c.text;
        EXPECT_TRUE(listOpen()) << c.text;
    }
    // Nothing matches: no list; an empty text keeps the whole list in alphabetical order.
    EXPECT_TRUE(listFor(L"smzpe").empty());
    type(L"\x1b");
    bar->searchBox().OnKillFocus();
    EXPECT_EQ(8u, items().size());
    EXPECT_EQ(shown(L"Character Map"), items().front());
}

TEST_F(BarBestMatchTest, TextsMatchedOnlyLooselyStayCommands) {
    addProgram(L"Make Your Own.Kix Hello World");
    addProgram(L"Hostnme Tool");
    const std::wstring folder = tempFolder(L"KestBestMatchCommands");
    const std::wstring command = folder + L"\\mk.kx";
    std::ofstream(command.c_str()).put('x');
    const std::wstring ran = markers + L"\\command.txt";
    const ClassesValue fileType(L".kx", L"KestTest.BestMatchCommand");
    const ClassesValue open(L"KestTest.BestMatchCommand\\shell\\open\\command", recordingCommand(ran));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    startBar();

    type(L"mk.kx hlo");
    EXPECT_EQ(Texts{shown(L"Make Your Own.Kix Hello World")}, items()) << "listed, as a scattered match";
    EXPECT_EQ(-1, selection());
    EXPECT_EQ(L"mk.kx hlo", boxText());
    type(L"\r");
    EXPECT_EQ(command, waitForMarker(ran)) << "the typed text ran as a command";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker(L"Make Your Own.Kix Hello World").c_str()));
    SetCurrentDirectoryW(previous);
    removeTree(folder);

    // One term whose best match is a typo away names a program on the search path: that
    // program runs, not the item.
    type(L"\x1bhostname");
    EXPECT_EQ(Texts{shown(L"Hostnme Tool")}, items()) << "listed, one letter apart";
    type(L"\r");
    EXPECT_TRUE(eventually([&] { return bar->history().find(L"hostname") != nullptr; })) << "the typed text ran";
    EXPECT_TRUE(eventually([] { return !processRuns(L"hostname.exe"); }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker(L"Hostnme Tool").c_str()));
}

TEST_F(BarBestMatchTest, APickIsLearnedFromOneLaunchAndKeptAcrossARestart) {
    for (const wchar_t* name : {L"Fiddler", L"Firefox", L"FileZilla"}) addProgram(name);
    // A damaged file is ignored, and replaced at the first pick.
    std::ofstream((dataFolder + L"\\pickmapdata.xml").c_str()) << "<picks><pick text=";
    startBar();

    EXPECT_EQ(shown(L"Fiddler"), listFor(L"fi").at(0));
    launchFromList(L"fi", L"Firefox");
    EXPECT_EQ(shown(L"Firefox"), listFor(L"fi").at(0));
    EXPECT_EQ(0, selection());
    EXPECT_EQ(shown(L"Firefox"), listFor(L"fir").at(0)) << "a shorter text's pick that still matches";
    EXPECT_EQ(shown(L"Fiddler"), listFor(L"fid").at(0)) << "a shorter text's pick that no longer matches";

    ASSERT_TRUE(eventually([this] { return bar->bestMatchList().picks()->unsavedCount() == 0; }));
    const std::string saved = pickFileText();
    EXPECT_EQ(0u, saved.find("<?xml version=\"1.0\"?>")) << saved;
    EXPECT_NE(std::string::npos, saved.find("<pick text=\"fi\" time=\"")) << saved;
    EXPECT_NE(std::string::npos, saved.find("name=\"Firefox.lnk\"/>")) << saved;

    bar.reset();
    startBar();
    EXPECT_TRUE(eventually([this] { return listFor(L"fi").at(0) == shown(L"Firefox"); })) << "after a restart";
    EXPECT_EQ(0, selection());
}

TEST_F(BarBestMatchTest, TwoBandsLearnWithoutLosingAPick) {
    for (const wchar_t* name : {L"Fiddler", L"Firefox", L"FileZilla"}) addProgram(name);
    startBar();
    HWND otherParent = CreateWindowExW(0, L"STATIC", L"other host", WS_POPUP | WS_VISIBLE, 0, 40, 400, 30, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    auto other = std::make_unique<CSimpleBarDlg>(nullptr);
    ASSERT_TRUE(other->create(otherParent));
    ShowWindow(other->hwnd(), SW_SHOWNORMAL);
    ASSERT_TRUE(waitUntilIdle(*other));

    launchFromList(L"fi", L"Firefox");
    launchFromList(L"f", L"FileZilla", other->searchBox().editWindow());
    EXPECT_TRUE(eventually([this] {
        const std::string saved = pickFileText();
        return saved.find("<pick text=\"fi\"") != std::string::npos && saved.find("<pick text=\"f\"") != std::string::npos;
    })) << pickFileText();
    // Each band reads the other's pick on its notice.
    EXPECT_TRUE(eventually([this] { return listFor(L"f").at(0) == shown(L"FileZilla"); }));
    EXPECT_TRUE(eventually([this, &other] { return firstFor(*other, L"fi") == shown(L"Firefox"); }));
    other.reset();
    DestroyWindow(otherParent);
    pumpMessages();
}

TEST_F(BarBestMatchTest, CtrlBAndTheMenuCommandChooseBestMatch) {
    setDword(L"doSubstringMatching", static_cast<DWORD>(MatchMode::All));
    startBar();
    SendMessageW(editWindow(), WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageW(editWindow(), WM_KEYDOWN, 'B', 0x300001);
    SendMessageW(editWindow(), WM_KEYUP, VK_CONTROL, 0xC0000001);
    pumpMessages();
    EXPECT_EQ(MatchMode::BestMatch, readMatchMode());
    EXPECT_EQ(MatchMode::BestMatch, bar->matchMode());
    SendMessageW(bar->hwnd(), WM_COMMAND, MatchAllCommandId, 0);
    SendMessageW(bar->hwnd(), WM_COMMAND, MatchBestCommandId, 0);
    EXPECT_EQ(MatchMode::BestMatch, readMatchMode());
}

}  // namespace
