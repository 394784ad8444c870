#include "search/TextRules.h"
#include "HistoryTestSupport.h"

using namespace kest;
using namespace historytest;

namespace {

class RecordLaunchTest : public HistoryTest {};

TEST_F(RecordLaunchTest, NoStringIsRefusedAndWritesNothing) {
    HistoryMap history;
    EXPECT_EQ(-1, history.recordLaunch(nullptr));
    EXPECT_TRUE(history.entries().empty());
    EXPECT_FALSE(fileExists(historyFile()));
}

TEST_F(RecordLaunchTest, LaunchIsOnDiskWhenRecordLaunchReturns) {
    HistoryMap history;
    FILETIME before = {};
    GetSystemTimeAsFileTime(&before);
    ASSERT_EQ(0, history.recordLaunch(L"C:\\Apps\\Tool.EXE"));
    FILETIME after = {};
    GetSystemTimeAsFileTime(&after);

    const HistoryEntry* entry = history.find(L"c:\\apps\\tool.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_GE(entryTimeValue(*entry), fileTimeValue(before));
    EXPECT_LE(entryTimeValue(*entry), fileTimeValue(after));
    EXPECT_EQ(historyFileBytes({{L"c:\\apps\\tool.exe", L"1", formatHistoryNumber(entry->lasttimehigh),
                                 formatHistoryNumber(entry->lasttimelow)}}),
              savedHistory());

    HistoryMap reloaded;
    ASSERT_NE(nullptr, reloaded.find(L"c:\\apps\\tool.exe"));
    EXPECT_EQ(*entry, *reloaded.find(L"c:\\apps\\tool.exe"));
}

TEST_F(RecordLaunchTest, TwoLaunchesInAnyCaseMakeOneLowerCasedEntry) {
    HistoryMap history;
    ASSERT_EQ(0, history.recordLaunch(L"C:\\Apps\\Tool.EXE"));
    const std::uint64_t first = entryTimeValue(*history.find(L"c:\\apps\\tool.exe"));
    Sleep(20);  // lets the system time move on between the launches
    FILETIME beforeSecond = {};
    GetSystemTimeAsFileTime(&beforeSecond);
    ASSERT_EQ(0, history.recordLaunch(L"c:\\APPS\\tool.exe"));

    ASSERT_EQ(1u, history.entries().size());
    const HistoryEntry& entry = history.entries().begin()->second;
    EXPECT_EQ(L"c:\\apps\\tool.exe", history.entries().begin()->first);
    EXPECT_EQ(L"c:\\apps\\tool.exe", entry.path);
    EXPECT_EQ(2u, entry.count);
    EXPECT_FALSE(entry.imported);
    EXPECT_GE(entryTimeValue(entry), fileTimeValue(beforeSecond));
    EXPECT_GT(entryTimeValue(entry), first);
    EXPECT_EQ(historyFileBytes({{L"c:\\apps\\tool.exe", L"2", formatHistoryNumber(entry.lasttimehigh),
                                 formatHistoryNumber(entry.lasttimelow)}}),
              savedHistory());
}

TEST_F(RecordLaunchTest, OnlyAsciiLettersAreLowered) {
    HistoryMap history;
    ASSERT_EQ(0, history.recordLaunch(L"\u00c9DIT \u0410 Notes"));
    EXPECT_NE(nullptr, history.find(L"\u00c9dit \u0410 notes"));
    EXPECT_EQ(L"\u00c9dit \u0410 notes", asciiLower(L"\u00c9DIT \u0410 Notes"));
}

TEST_F(RecordLaunchTest, EntriesAreWrittenInOrdinalKeyOrder) {
    writeHistory({{L"B", L"1", L"0", L"0"}, {L"a", L"1", L"0", L"0"}});
    HistoryMap history;
    ASSERT_EQ(0, history.recordLaunch(L"_"));
    const HistoryEntry& launched = *history.find(L"_");
    // "B" (0x42) sorts before "_" (0x5F) before "a" (0x61).
    EXPECT_EQ(historyFileBytes({{L"B", L"1", L"0", L"0"},
                                {L"_", L"1", formatHistoryNumber(launched.lasttimehigh),
                                 formatHistoryNumber(launched.lasttimelow)},
                                {L"a", L"1", L"0", L"0"}}),
              savedHistory());
}

TEST_F(RecordLaunchTest, CountWrapsAtThirtyTwoBits) {
    writeHistory({{L"x", L"-1", L"0", L"0"}});
    HistoryMap history;
    ASSERT_EQ(0, history.recordLaunch(L"X"));
    EXPECT_EQ(0u, history.find(L"x")->count);
}

TEST_F(RecordLaunchTest, LaunchOfAnImportedProgramAddsToTheShownCountAndIsWrittenAsTheBandsOwn) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 100, 1));
    writeHistory({{L"x", L"1", L"0", L"0"}});
    HistoryMap history;
    ASSERT_TRUE(history.find(L"c:\\tools\\a.exe")->imported);
    ASSERT_EQ(0, history.recordLaunch(L"C:\\Tools\\A.EXE"));
    ASSERT_EQ(0, history.recordLaunch(L"C:\\Tools\\A.EXE"));

    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    EXPECT_EQ(9u, entry->count);
    EXPECT_GT(entryTimeValue(*entry), (std::uint64_t{1} << 32) + 100);
    EXPECT_EQ(historyFileBytes({{L"c:\\tools\\a.exe", L"2", formatHistoryNumber(entry->lasttimehigh),
                                 formatHistoryNumber(entry->lasttimelow)},
                                {L"x", L"1", L"0", L"0"}}),
              savedHistory());
}

TEST_F(RecordLaunchTest, ALaunchWhoseSaveFailedIsSavedWithTheNextOne) {
    writeHistory({{L"x", L"1", L"0", L"0"}});
    HistoryMap history;
    ASSERT_TRUE(SetFileAttributesW(historyFile().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(0, history.recordLaunch(L"A"));
    EXPECT_EQ(historyFileBytes({{L"x", L"1", L"0", L"0"}}), savedHistory()) << "a read-only file is not replaced";
    EXPECT_EQ(1u, history.unsavedLaunches());
    history.reread();
    ASSERT_NE(nullptr, history.find(L"a")) << "kept over a read of the file";

    ASSERT_TRUE(SetFileAttributesW(historyFile().c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(0, history.recordLaunch(L"B"));
    EXPECT_EQ(0u, history.unsavedLaunches());
    const HistoryEntry& a = *history.find(L"a");
    const HistoryEntry& b = *history.find(L"b");
    EXPECT_EQ(historyFileBytes({{L"a", L"1", formatHistoryNumber(a.lasttimehigh), formatHistoryNumber(a.lasttimelow)},
                                {L"b", L"1", formatHistoryNumber(b.lasttimehigh), formatHistoryNumber(b.lasttimelow)},
                                {L"x", L"1", L"0", L"0"}}),
              savedHistory());
}

// Two maps stand for two bands (the taskbar's and the floating bar's) sharing the file.
TEST_F(RecordLaunchTest, TwoBandsLaunchingInTurnLoseNoLaunchAndSeeEachOthers) {
    writeHistory({{L"x", L"1", L"0", L"0"}});
    HistoryMap taskbarBand;
    HistoryMap floatingBand;
    ASSERT_EQ(0, taskbarBand.recordLaunch(L"A"));
    ASSERT_EQ(0, floatingBand.recordLaunch(L"B"));
    ASSERT_EQ(0, taskbarBand.recordLaunch(L"A"));
    ASSERT_EQ(0, floatingBand.recordLaunch(L"X"));

    HistoryMap reloaded;
    ASSERT_NE(nullptr, reloaded.find(L"a"));
    ASSERT_NE(nullptr, reloaded.find(L"b"));
    EXPECT_EQ(2u, reloaded.find(L"a")->count);
    EXPECT_EQ(1u, reloaded.find(L"b")->count);
    EXPECT_EQ(2u, reloaded.find(L"x")->count);
    // The taskbar's band last wrote before the floating bar's last launch; it sees that
    // launch once it reads the changed file, before it pre-selects.
    EXPECT_EQ(1u, taskbarBand.find(L"x")->count);
    taskbarBand.reread();
    EXPECT_EQ(2u, taskbarBand.find(L"x")->count);
    EXPECT_EQ(1u, taskbarBand.find(L"b")->count);
}

}  // namespace
