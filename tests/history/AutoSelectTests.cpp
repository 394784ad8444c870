#include "HistoryTestSupport.h"
#include "kestentry/ShortcutEntry.h"
#include <commctrl.h>
#include <deque>

using namespace kest;
using namespace historytest;

namespace {

// A real drop-down combo box whose items are filled the way the search box fills them:
// each item may carry a pointer to its shortcut entry as item data.
class AutoSelectTest : public HistoryTest {
protected:
    void SetUp() override {
        HistoryTest::SetUp();
        combo_.reset(CreateWindowExW(0, WC_COMBOBOXW, L"", WS_POPUP | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 300, 200,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(combo_) << "needs a display";
    }

    // Adds an item showing text; with an executable, the item carries an entry for it.
    void addItem(const std::wstring& text, const wchar_t* executable = nullptr) {
        const LRESULT index = SendMessageW(combo_.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ASSERT_GE(index, 0);
        if (!executable) return;
        ShortcutEntry& entry = entries_.emplace_back();
        entry.name = text + L".lnk";
        entry.executable = executable;
        SendMessageW(combo_.get(), CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&entry));
    }
    LRESULT selected() const { return SendMessageW(combo_.get(), CB_GETCURSEL, 0, 0); }
    void preselect(WPARAM index) { SendMessageW(combo_.get(), CB_SETCURSEL, index, 0); }
    HWND combo() const { return combo_.get(); }

private:
    UniqueHWnd combo_;
    std::deque<ShortcutEntry> entries_;  // stable addresses for the item data
};

TEST_F(AutoSelectTest, LaunchTextsAreTheEntriesExecutablesOrTheItemTexts) {
    addItem(L"Tool", L"C:\\Apps\\Tool.exe");
    addItem(L"typed command");
    addItem(L"No Target", L"");
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\Apps\\Tool.exe", L"typed command", L""}), comboBoxLaunchTexts(combo()));
}

TEST_F(AutoSelectTest, MostFrequentTakesTheHighestCountAndTheLowerIndexOnATie) {
    writeHistory({{L"c:\\a.exe", L"0", L"0", L"9"}, {L"c:\\b.exe", L"5", L"0", L"1"}, {L"c:\\c.exe", L"5", L"0", L"2"}});
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    addItem(L"C", L"C:\\C.exe");
    history.selectMostFrequent(combo());
    EXPECT_EQ(1, selected());
}

TEST_F(AutoSelectTest, MostFrequentComparesCountsUnsigned) {
    writeHistory({{L"c:\\a.exe", L"5", L"0", L"0"}, {L"c:\\b.exe", L"-2147483648", L"0", L"0"}});
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    history.selectMostFrequent(combo());
    EXPECT_EQ(1, selected());
}

TEST_F(AutoSelectTest, ItemsWithEntriesAreMatchedByExecutableNotByText) {
    writeHistory({{L"tool", L"9", L"0", L"9"}, {L"c:\\apps\\tool.exe", L"2", L"0", L"2"}});
    HistoryMap history;
    addItem(L"other", L"C:\\Other.exe");
    addItem(L"tool", L"C:\\Apps\\Tool.exe");
    history.selectMostFrequent(combo());
    EXPECT_EQ(1, selected());
    preselect(0);
    history.selectMostRecent(combo());
    EXPECT_EQ(1, selected());
}

TEST_F(AutoSelectTest, ItemsWithoutEntriesAreMatchedByTextInAnyCase) {
    writeHistory({{L"notepad", L"1", L"0", L"1"}, {L"calc", L"4", L"0", L"8"}});
    HistoryMap history;
    addItem(L"Notepad");
    addItem(L"CALC");
    addItem(L"write");
    preselect(2);
    history.selectMostFrequent(combo());
    EXPECT_EQ(1, selected());
    preselect(2);
    history.selectMostRecent(combo());
    EXPECT_EQ(1, selected());
}

TEST_F(AutoSelectTest, NothingInTheHistorySelectsItemZero) {
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    preselect(1);
    history.selectMostRecent(combo());
    EXPECT_EQ(0, selected());
    preselect(1);
    history.selectMostFrequent(combo());
    EXPECT_EQ(0, selected());
}

TEST_F(AutoSelectTest, MostRecentTakesTheLatestTimeComparedAsSigned) {
    // b's high half is negative as a signed number: earlier than any positive time, and
    // never later than the starting best time of 0.
    writeHistory({{L"c:\\a.exe", L"1", L"1", L"0"},
                  {L"c:\\b.exe", L"9", L"-2147483648", L"0"},
                  {L"c:\\c.exe", L"1", L"1", L"-1"},
                  {L"c:\\d.exe", L"1", L"1", L"-1"}});
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    addItem(L"C", L"C:\\C.exe");
    addItem(L"D", L"C:\\D.exe");
    history.selectMostRecent(combo());
    EXPECT_EQ(2, selected()) << "low halves compare unsigned; the tie goes to the lower index";
}

TEST_F(AutoSelectTest, OnlyNegativeTimesSelectItemZero) {
    writeHistory({{L"c:\\b.exe", L"9", L"-1", L"-1"}});
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    preselect(1);
    history.selectMostRecent(combo());
    EXPECT_EQ(0, selected());
}

TEST_F(AutoSelectTest, EmptyTextsAreNeverSelected) {
    // The history holds the empty key with the highest count and time.
    writeHistory({{L"", L"50", L"50", L"0"}, {L"c:\\b.exe", L"1", L"0", L"1"}});
    HistoryMap history;
    ASSERT_NE(nullptr, history.find(L""));
    addItem(L"A", L"C:\\A.exe");
    addItem(L"No Target", L"");
    addItem(L"");
    history.selectMostFrequent(combo());
    EXPECT_EQ(0, selected());
    preselect(2);
    history.selectMostRecent(combo());
    EXPECT_EQ(0, selected());

    addItem(L"B", L"C:\\B.exe");
    history.selectMostFrequent(combo());
    EXPECT_EQ(3, selected());
}

TEST_F(AutoSelectTest, LaunchedItemBecomesTheMostRecent) {
    writeHistory({{L"c:\\a.exe", L"1", L"1", L"0"}});
    HistoryMap history;
    addItem(L"A", L"C:\\A.exe");
    addItem(L"B", L"C:\\B.exe");
    history.selectMostRecent(combo());
    EXPECT_EQ(0, selected());
    ASSERT_EQ(0, history.recordLaunch(L"C:\\B.exe"));
    history.selectMostRecent(combo());
    EXPECT_EQ(1, selected());
}

}  // namespace
