#include "HistoryTestSupport.h"

using namespace kest;
using namespace historytest;

namespace {

class HistoryFileTest : public HistoryTest {};

TEST_F(HistoryFileTest, PathIsInTheApplicationDataFolder) {
    EXPECT_EQ(appDataFolder() + L"\\Brindlewood\\Kestrune\\historymapdata.xml", HistoryMap::historyFilePath());
}

TEST_F(HistoryFileTest, EmptyMapSavesARootHoldingOnlyALineFeed) {
    HistoryMap history;
    ASSERT_TRUE(history.entries().empty());
    ASSERT_TRUE(HistoryFile::write(history.entries()));
    EXPECT_EQ(historyFileBytes({}), savedHistory());
}

TEST_F(HistoryFileTest, FileInTheExactLayoutIsReadAndWrittenBackByteForByte) {
    const std::vector<FileEntry> entries = {
        {L"C:\\Apps\\Mixed Case.exe", L"3", L"30000000", L"123456789"},
        {L"c:\\apps\\tool.exe", L"-2147483648", L"-1", L"-1"},
        {L"notepad", L"1", L"0", L"0"},
    };
    writeHistory(entries);
    HistoryMap history;
    ASSERT_EQ(3u, history.entries().size());
    ASSERT_TRUE(HistoryFile::write(history.entries()));
    EXPECT_EQ(historyFileBytes(entries), savedHistory());
}

TEST_F(HistoryFileTest, ThirtyTwoBitFieldsAreSignedInTheFileAndUnsignedInMemory) {
    writeHistory({{L"c:\\apps\\tool.exe", L"-2", L"-2147483648", L"-1"}});
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\apps\\tool.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(4294967294u, entry->count);
    EXPECT_EQ(2147483648u, entry->lasttimehigh);
    EXPECT_EQ(4294967295u, entry->lasttimelow);
    EXPECT_FALSE(entry->imported);
    EXPECT_EQ(L"c:\\apps\\tool.exe", entry->path);
}

TEST_F(HistoryFileTest, NumbersAreFormattedAsSignedDecimalAndParsedBack) {
    EXPECT_EQ(L"-1", formatHistoryNumber(4294967295u));
    EXPECT_EQ(L"-2147483648", formatHistoryNumber(2147483648u));
    EXPECT_EQ(L"2147483647", formatHistoryNumber(2147483647u));
    EXPECT_EQ(L"0", formatHistoryNumber(0));
    EXPECT_EQ(4294967295u, parseHistoryNumber(L"-1"));
    EXPECT_EQ(4294967295u, parseHistoryNumber(L"4294967295"));
    EXPECT_EQ(2147483648u, parseHistoryNumber(L"-2147483648"));
    EXPECT_EQ(12u, parseHistoryNumber(L"  +12abc"));
    EXPECT_EQ(0u, parseHistoryNumber(L"abc"));
    EXPECT_EQ(0u, parseHistoryNumber(L""));
}

TEST_F(HistoryFileTest, MarkupAndNonAsciiPathsAreEscapedAndReadBack) {
    const std::wstring launched = L"C:\\R&D\\<Tools>\\\u00c9t\u00e9 \u4e2d.exe";
    {
        HistoryMap history;
        ASSERT_EQ(0, history.recordLaunch(launched.c_str()));
    }
    const std::string saved = savedHistory();
    EXPECT_NE(std::string::npos, saved.find(utf8(L"<path>c:\\r&amp;d\\&lt;tools&gt;\\\u00c9t\u00e9 \u4e2d.exe</path>")))
        << "only A to Z are lowered; markup is escaped";
    HistoryMap reloaded;
    const HistoryEntry* entry = reloaded.find(L"c:\\r&d\\<tools>\\\u00c9t\u00e9 \u4e2d.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(1u, entry->count);
}

TEST_F(HistoryFileTest, EntryElementsAreReadByNameInAnyOrder) {
    writeHistoryText(
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root created=\"x\">"
        L"<KESTRUNEHISTORYENTRY><lasttimelow>5</lasttimelow><count>4</count><path>b</path>"
        L"<lasttimehigh>6</lasttimehigh></KESTRUNEHISTORYENTRY></root>");
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"b");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(4u, entry->count);
    EXPECT_EQ(6u, entry->lasttimehigh);
    EXPECT_EQ(5u, entry->lasttimelow);
}

TEST_F(HistoryFileTest, EntryElementsWithThreeOrFiveChildrenAreSkipped) {
    writeHistoryText(
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root>"
        L"<KESTRUNEHISTORYENTRY><path>three</path><count>1</count><lasttimehigh>1</lasttimehigh>"
        L"</KESTRUNEHISTORYENTRY>"
        L"<KESTRUNEHISTORYENTRY><path>five</path><count>1</count><lasttimehigh>1</lasttimehigh>"
        L"<lasttimelow>1</lasttimelow><extra/></KESTRUNEHISTORYENTRY>"
        L"<KESTRUNEHISTORYENTRY><path>other</path><count>2</count><extra>9</extra><lasttimelow>3</lasttimelow>"
        L"</KESTRUNEHISTORYENTRY>"
        L"<OTHERENTRY><path>ignored</path><count>1</count><lasttimehigh>1</lasttimehigh><lasttimelow>1</lasttimelow>"
        L"</OTHERENTRY></root>");
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size()) << "unknown names count toward the four children";
    const HistoryEntry* entry = history.find(L"other");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(2u, entry->count);
    EXPECT_EQ(0u, entry->lasttimehigh);
    EXPECT_EQ(3u, entry->lasttimelow);
}

TEST_F(HistoryFileTest, LaterEntryWithTheSamePathWins) {
    writeHistory({{L"same", L"1", L"0", L"1"}, {L"same", L"7", L"0", L"2"}});
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size());
    EXPECT_EQ(7u, history.find(L"same")->count);
    EXPECT_EQ(2u, history.find(L"same")->lasttimelow);
}

TEST_F(HistoryFileTest, StoredPathIsTheKeyUnchanged) {
    writeHistory({{L"C:\\Upper.EXE", L"2", L"0", L"0"}});
    HistoryMap history;
    EXPECT_NE(nullptr, history.find(L"C:\\Upper.EXE"));
    EXPECT_EQ(nullptr, history.find(L"c:\\upper.exe"));
}

TEST_F(HistoryFileTest, MissingOrMalformedFileLoadsNothing) {
    {
        HistoryMap history;
        EXPECT_TRUE(history.entries().empty());
    }
    writeHistoryText(L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root><KESTRUNEHISTORYENTRY>");
    HistoryMap history;
    EXPECT_TRUE(history.entries().empty());
}

// Each header differs from the band's own in one detail; none of them loads, and the
// shell's records (present here) are imported all the same.
class HistoryHeaderTest : public HistoryTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(HistoryHeaderTest, HeaderThatDiffersLoadsNothingButStillImports) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 1, 1));
    const std::wstring entry =
        L"<KESTRUNEHISTORYENTRY><path>x</path><count>1</count><lasttimehigh>0</lasttimehigh>"
        L"<lasttimelow>0</lasttimelow></KESTRUNEHISTORYENTRY>";
    std::wstring text = GetParam();
    text.replace(text.find(L"%"), 1, entry);
    writeHistoryText(text);
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size());
    EXPECT_TRUE(history.find(L"c:\\tools\\a.exe")->imported);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HistoryHeaderTest,
    ::testing::Values(
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file--><root>%</root>",
        L"<?xml version=\"1.0\"?><!--kestrune History Mapdata XML file.--><root>%</root>",
        L"<?xml version=\"1.0\"?><!-- Kestrune History Mapdata XML file.--><root>%</root>",
        L"<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file.--><root>%</root>",
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><!--extra--><root>%</root>",
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root>%</root><?extra?>",
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--Kestrune History Mapdata XML file.--><root>%</root>",
        L"<!--Kestrune History Mapdata XML file.--><root>%</root>",
        L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><Root>%</Root>"));

TEST_F(HistoryFileTest, HeaderWrittenWithDoubleQuotesIsAccepted) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 1, 1));
    writeHistoryText(
        L"<?xml version=\"1.0\"?>\r\n<!--Kestrune History Mapdata XML file.-->\r\n<root>"
        L"<KESTRUNEHISTORYENTRY><path>x</path><count>1</count><lasttimehigh>0</lasttimehigh>"
        L"<lasttimelow>0</lasttimelow></KESTRUNEHISTORYENTRY></root>");
    HistoryMap history;
    EXPECT_NE(nullptr, history.find(L"x"));
    EXPECT_NE(nullptr, history.find(L"c:\\tools\\a.exe"));
}

TEST_F(HistoryFileTest, RootWithoutChildrenLoadsNothingButStillImports) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 1, 1));
    writeHistory({});  // "root" holds only "\n", which the load drops
    {
        HistoryMap history;
        ASSERT_EQ(1u, history.entries().size());
        EXPECT_TRUE(history.find(L"c:\\tools\\a.exe")->imported);
    }
    writeHistoryText(L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root/>");
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size());
    EXPECT_TRUE(history.find(L"c:\\tools\\a.exe")->imported);
}

TEST_F(HistoryFileTest, RootWithOneEntryLoadsItAndThenImports) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 1, 1));
    writeHistory({{L"x", L"1", L"0", L"0"}});
    HistoryMap history;
    ASSERT_EQ(2u, history.entries().size());
    EXPECT_FALSE(history.find(L"x")->imported);
    EXPECT_TRUE(history.find(L"c:\\tools\\a.exe")->imported);
}

TEST_F(HistoryFileTest, RootWithOnlyOtherChildrenStillRunsTheImport) {
    setUsageRecord(L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR", recordData(0, 7, 1, 1));
    writeHistoryText(L"<?xml version=\"1.0\"?><!--Kestrune History Mapdata XML file.--><root><other/></root>");
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size());
    EXPECT_NE(nullptr, history.find(L"c:\\tools\\a.exe"));
}

// Saving writes beside the file and then replaces it in one step.
class HistorySaveTest : public HistoryTest {};

TEST_F(HistorySaveTest, SaveLeavesNoTemporaryFileBehind) {
    HistoryMap history;
    ASSERT_EQ(0, history.recordLaunch(L"a"));
    EXPECT_TRUE(fileExists(historyFile()));
    EXPECT_FALSE(fileExists(replaceSaveTemporaryPath(historyFile())));
}

TEST_F(HistorySaveTest, FailedSaveLeavesThePreviousFileWhole) {
    const std::vector<FileEntry> before = {{L"kept", L"4", L"0", L"9"}};
    writeHistory(before);
    HistoryMap history;
    // A folder in the temporary file's place makes the document's save fail.
    const std::wstring temporary = replaceSaveTemporaryPath(historyFile());
    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
    EXPECT_EQ(0, history.recordLaunch(L"new"));
    EXPECT_EQ(1u, history.unsavedLaunches());
    RemoveDirectoryW(temporary.c_str());
    EXPECT_EQ(historyFileBytes(before), savedHistory());
    EXPECT_EQ(1u, history.find(L"new")->count) << "the map stays right while the band runs";

    history.reread();
    EXPECT_EQ(0u, history.unsavedLaunches()) << "the next read saves the launch kept";
    const std::string after = savedHistory();
    EXPECT_NE(std::string::npos, after.find("<path>new</path>"));
    EXPECT_NE(std::string::npos, after.find("<path>kept</path>"));
}

// The setup program makes the folder for the account that runs it only.
TEST_F(HistorySaveTest, FirstSaveOfAnAccountWithoutTheFolderCreatesBothLevels) {
    // Whatever other tests left in the folder goes with it.
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((historyFolder() + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do DeleteFileW((historyFolder() + L"\\" + found.cFileName).c_str());
        while (FindNextFileW(find, &found));
        FindClose(find);
    }
    ASSERT_TRUE(RemoveDirectoryW(historyFolder().c_str()));
    ASSERT_TRUE(RemoveDirectoryW((appDataFolder() + L"\\Brindlewood").c_str()));
    HistoryMap history;
    EXPECT_EQ(0, history.recordLaunch(L"C:\\A.exe"));
    const HistoryEntry* entry = history.find(L"c:\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(historyFileBytes({{L"c:\\a.exe", L"1", formatHistoryNumber(entry->lasttimehigh),
                                 formatHistoryNumber(entry->lasttimelow)}}),
              savedHistory());
}

}  // namespace
