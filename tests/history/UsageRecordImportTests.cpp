#include "HistoryTestSupport.h"
#include "search/TextRules.h"
#include <sddl.h>

using namespace kest;
using namespace historytest;

namespace {

// "UEME_RUNPATH:C:\Tools\A.EXE" as the shell stores it, rotated by 13.
const wchar_t* const ToolRecordName = L"HRZR_EHACNGU:P:\\Gbbyf\\N.RKR";

std::wstring rotated(std::wstring text) {
    rot13Decode(text);  // the rotation is its own inverse
    return text;
}

TEST(Rot13DecodeTest, RotatesAsciiLettersWithinTheirCase) {
    std::wstring text = L"anzmAZNMhello";
    rot13Decode(text);
    EXPECT_EQ(L"namzNMAZuryyb", text);
}

TEST(Rot13DecodeTest, LeavesEverythingElseUnchanged) {
    std::wstring text = L"0129:\\_.-@[`{ \u00e9\u00c9\u4e2d\u0410";
    const std::wstring original = text;
    rot13Decode(text);
    EXPECT_EQ(original, text);
}

TEST(Rot13DecodeTest, DecodesTheShellsRecordName) {
    std::wstring text = ToolRecordName;
    rot13Decode(text);
    EXPECT_EQ(L"UEME_RUNPATH:C:\\Tools\\A.EXE", text);
    rot13Decode(text);
    EXPECT_EQ(ToolRecordName, text);
}

TEST(UsageRecordNameTest, OnlyProgramRecordsGiveAPath) {
    std::wstring path = L"unchanged";
    EXPECT_TRUE(usageRecordProgramPath(ToolRecordName, path));
    EXPECT_EQ(L"c:\\tools\\a.exe", path);
    EXPECT_FALSE(usageRecordProgramPath(rotated(L"UEME_RUNCPL:desk.cpl"), path));
    EXPECT_FALSE(usageRecordProgramPath(rotated(L"ueme_runpidl:%csidl2%"), path));
    EXPECT_FALSE(usageRecordProgramPath(rotated(L"UEME_RUNPATH"), path));
    EXPECT_FALSE(usageRecordProgramPath(rotated(L"xUEME_RUNPATH:c:\\a.exe"), path));
    EXPECT_EQ(L"c:\\tools\\a.exe", path);
    EXPECT_TRUE(usageRecordProgramPath(rotated(L"UEME_RUNPATH:"), path));
    EXPECT_EQ(L"", path);
}

// The shell's records are written into the registry in their rotated form; a history file
// with one entry makes the load run the import.
class UsageRecordImportTest : public HistoryTest {
protected:
    void SetUp() override {
        HistoryTest::SetUp();
        writeHistory({{L"loaded", L"1", L"0", L"0"}});
    }
};

TEST_F(UsageRecordImportTest, ProgramRecordOfSixteenBytesIsImported) {
    setUsageRecord(ToolRecordName, recordData(0xdeadbeef, 7, 0x89abcdef, 0x01d2e3f4));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_TRUE(entry->imported);
    EXPECT_EQ(7u, entry->count);
    EXPECT_EQ(0x89abcdefu, entry->lasttimelow);
    EXPECT_EQ(0x01d2e3f4u, entry->lasttimehigh);
    EXPECT_EQ(L"c:\\tools\\a.exe", entry->path);
    EXPECT_EQ(2u, history.entries().size());
}

TEST_F(UsageRecordImportTest, RecordOfEightBytesGivesItsCountAndNoTime) {
    const std::vector<BYTE> data = recordData(1, 4, 0x11111111, 0x22222222);
    setUsageRecord(ToolRecordName, std::vector<BYTE>(data.begin(), data.begin() + 8));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(4u, entry->count);
    EXPECT_EQ(0u, entry->lasttimelow);
    EXPECT_EQ(0u, entry->lasttimehigh);
}

TEST_F(UsageRecordImportTest, RecordOfTwentyBytesIsSkipped) {
    std::vector<BYTE> data = recordData(0, 4, 1, 1);
    data.resize(20, 0xff);
    setUsageRecord(ToolRecordName, data);
    setUsageRecord(rotated(L"UEME_RUNPATH:C:\\B.exe"), recordData(0, 2, 1, 1));
    HistoryMap history;
    EXPECT_EQ(nullptr, history.find(L"c:\\tools\\a.exe"));
    EXPECT_NE(nullptr, history.find(L"c:\\b.exe")) << "the records after a skipped one are read";
}

TEST_F(UsageRecordImportTest, VersionThreeOrMissingImportsAndAnyOtherDoesNot) {
    setUsageRecord(ToolRecordName, recordData(0, 7, 1, 1));
    {
        HistoryMap history;
        EXPECT_NE(nullptr, history.find(L"c:\\tools\\a.exe")) << "no version value";
    }
    setUserAssistVersion(3);
    {
        HistoryMap history;
        EXPECT_NE(nullptr, history.find(L"c:\\tools\\a.exe"));
    }
    for (DWORD version : {0u, 2u, 5u}) {
        setUserAssistVersion(version);
        HistoryMap history;
        EXPECT_EQ(nullptr, history.find(L"c:\\tools\\a.exe")) << "version " << version;
        EXPECT_EQ(1u, history.entries().size());
    }
}

TEST_F(UsageRecordImportTest, OtherRecordKindsAreIgnoredInAnyCase) {
    setUsageRecord(rotated(L"UEME_RUNCPL:desk.cpl"), recordData(0, 3, 1, 1));
    setUsageRecord(rotated(L"uEmE_RuNpIdL:%csidl2%\\Games"), recordData(0, 3, 1, 1));
    setUsageRecord(rotated(L"UEME_UISCUT"), recordData(0, 3, 1, 1));
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size());
    EXPECT_NE(nullptr, history.find(L"loaded"));
}

TEST_F(UsageRecordImportTest, ProgramPrefixIsFoundInAnyCase) {
    setUsageRecord(rotated(L"ueme_RunPath:D:\\Games\\Play.exe"), recordData(0, 1, 1, 0));
    HistoryMap history;
    EXPECT_NE(nullptr, history.find(L"d:\\games\\play.exe"));
}

TEST_F(UsageRecordImportTest, NonAsciiCharactersPassThroughUnchanged) {
    setUsageRecord(rotated(L"UEME_RUNPATH:C:\\\u00c9diteur\\\u4e2d.EXE"), recordData(0, 2, 1, 1));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\\u00c9diteur\\\u4e2d.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(L"c:\\\u00c9diteur\\\u4e2d.exe", entry->path);
}

TEST_F(UsageRecordImportTest, NameOfOnlyThePrefixGivesTheEmptyKey) {
    setUsageRecord(rotated(L"UEME_RUNPATH:"), recordData(0, 5, 1, 1));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(5u, entry->count);
    EXPECT_TRUE(entry->imported);
}

TEST_F(UsageRecordImportTest, MergeAddsCountsAndKeepsTheLaterLoadedTime) {
    writeHistory({{L"c:\\tools\\a.exe", L"3", L"5", L"0"}, {L"loaded", L"1", L"0", L"0"}});
    setUsageRecord(ToolRecordName, recordData(0, 7, 0xffffffff, 4));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(10u, entry->count);
    EXPECT_EQ(5u, entry->lasttimehigh);
    EXPECT_EQ(0u, entry->lasttimelow);
    EXPECT_TRUE(entry->imported);

    ASSERT_EQ(0, history.recordLaunch(L"loaded"));
    const HistoryEntry& loaded = *history.find(L"loaded");
    EXPECT_EQ(historyFileBytes({{L"c:\\tools\\a.exe", L"3", L"5", L"0"},
                                {L"loaded", L"2", formatHistoryNumber(loaded.lasttimehigh),
                                 formatHistoryNumber(loaded.lasttimelow)}}),
              savedHistory())
        << "the band's own count stays in the file beside the imported record";
}

TEST_F(UsageRecordImportTest, MergeKeepsTheLaterRecordTimeComparedAsSigned) {
    // The loaded time has its high half negative as a signed number, so it is the earlier.
    writeHistory({{L"c:\\tools\\a.exe", L"-1", L"-1", L"0"}});
    setUsageRecord(ToolRecordName, recordData(0, 2, 9, 1));
    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(1u, entry->count) << "4294967295 + 2 wraps at 32 bits";
    EXPECT_EQ(1u, entry->lasttimehigh);
    EXPECT_EQ(9u, entry->lasttimelow);
}

// Registry value names compare without case, so two records never share a key; the
// merge of a second record into an imported one is shown on the plain function.
TEST(UsageRecordMergeTest, SecondRecordAddsToAnImportedEntryAndKeepsTheLaterTime) {
    HistoryEntries entries;
    const BYTE first[16] = {0, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0};
    const BYTE second[16] = {0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    mergeUsageRecord(entries, usageRecordEntry(L"c:\\tools\\a.exe", first));
    mergeUsageRecord(entries, usageRecordEntry(L"c:\\tools\\a.exe", second));
    ASSERT_EQ(1u, entries.size());
    const HistoryEntry& entry = entries.at(L"c:\\tools\\a.exe");
    EXPECT_EQ(9u, entry.count);
    EXPECT_EQ(8u, entry.lasttimelow);
    EXPECT_EQ(0u, entry.lasttimehigh);
    EXPECT_TRUE(entry.imported);
    EXPECT_EQ(L"c:\\tools\\a.exe", entry.path);
}

TEST_F(UsageRecordImportTest, ImportNeverWritesTheRecordsOrTheHistoryFile) {
    setUserAssistVersion(3);
    const std::vector<BYTE> data = recordData(0, 7, 1, 1);
    setUsageRecord(ToolRecordName, data);
    const std::string fileBefore = savedHistory();
    {
        HistoryMap history;
        EXPECT_NE(nullptr, history.find(L"c:\\tools\\a.exe"));
    }
    EXPECT_EQ(fileBefore, savedHistory());
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, countKeyPath().c_str(), 0, KEY_READ, &key));
    BYTE stored[32] = {};
    DWORD size = sizeof(stored);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, ToolRecordName, nullptr, nullptr, stored, &size));
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(16u, size);
    EXPECT_EQ(0, memcmp(stored, data.data(), 16));
    EXPECT_EQ(1u, values);
}

TEST_F(UsageRecordImportTest, RecordsThatGrantOnlyReadAccessAreImported) {
    setUsageRecord(ToolRecordName, recordData(0, 7, 1, 1));
    // Everyone may read the two keys and change their permissions (so the test can remove
    // them), nothing else; Wine enforces registry permissions like Windows.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRWD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    for (const std::wstring& path : {countKeyPath(), std::wstring(UserAssistKeyPath)}) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key));
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor));
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    HKEY refused = nullptr;
    ASSERT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExW(HKEY_CURRENT_USER, UserAssistKeyPath, 0, KEY_ALL_ACCESS, &refused))
        << "full access is refused here";

    HistoryMap history;
    const HistoryEntry* entry = history.find(L"c:\\tools\\a.exe");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(7u, entry->count);
}

TEST_F(UsageRecordImportTest, MissingCountSubkeyImportsNothing) {
    setUserAssistVersion(3);
    HistoryMap history;
    EXPECT_EQ(1u, history.entries().size());
}

TEST_F(UsageRecordImportTest, LongestNameThatFitsIsReadAndLongerIsSkipped) {
    // The name buffer holds 260 units with its terminator: 259 units fit.
    const std::wstring prefix = L"UEME_RUNPATH:";
    const std::wstring fits = prefix + std::wstring(259 - prefix.size(), L'f');
    const std::wstring tooLong = prefix + std::wstring(260 - prefix.size(), L'g');
    setUsageRecord(rotated(fits), recordData(0, 1, 1, 1));
    setUsageRecord(rotated(tooLong), recordData(0, 1, 1, 1));
    HistoryMap history;
    EXPECT_NE(nullptr, history.find(fits.substr(prefix.size())));
    EXPECT_EQ(nullptr, history.find(tooLong.substr(prefix.size())));
}

// The layout of Windows 7 and later, names beginning with a known folder's id. No history
// file exists, and the import runs all the same.
class NewerUsageRecordImportTest : public HistoryTest {};

TEST_F(NewerUsageRecordImportTest, ProgramAndPackagedAppRecordsAreImportedAndOthersSkipped) {
    const std::wstring systemFolderId = L"{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}";
    setRecord(programRecordsPath(), systemFolderId + L"\\Notepad.EXE", recordData72(6, 0x89abcdef, 7));
    setRecord(programRecordsPath(), L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", recordData72(3, 1, 2));
    setRecord(programRecordsPath(), L"\\\\Server\\Share\\Tool.exe", recordData72(1, 1, 1));
    for (const wchar_t* other : {L"UEME_CTLSESSION", L"Microsoft.Windows.Explorer", L"notepad.exe", L"NoPublisher!App",
                                 L"{00000000-0000-0000-0000-0000000000AB}\\unknown.exe"})
        setRecord(programRecordsPath(), other, recordData72(9, 1, 1));
    ASSERT_FALSE(fileExists(historyFile()));
    HistoryMap history;
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const HistoryEntry* notepad = history.find(asciiLower(systemFolder) + L"\\notepad.exe");
    ASSERT_NE(nullptr, notepad);
    EXPECT_TRUE(notepad->imported);
    EXPECT_EQ(6u, notepad->count);
    EXPECT_EQ(0x89abcdefu, notepad->lasttimelow);
    EXPECT_EQ(7u, notepad->lasttimehigh);
    const HistoryEntry* calculator = history.find(L"shell:appsfolder\\microsoft.windowscalculator_8wekyb3d8bbwe!app");
    ASSERT_NE(nullptr, calculator);
    EXPECT_EQ(3u, calculator->count);
    EXPECT_NE(nullptr, history.find(L"\\\\server\\share\\tool.exe"));
    EXPECT_EQ(3u, history.entries().size()) << "the other records are skipped";
}

TEST_F(NewerUsageRecordImportTest, ShortcutRecordCountsForItsProgramOnlyOnceMatchedAgainstTheIndex) {
    setRecord(programRecordsPath(), L"C:\\Tools\\Edit.exe", recordData72(2, 5, 1));
    setRecord(shortcutRecordsPath(), L"{A77F5D77-2E2B-44C3-A6A2-ABA601054A51}\\Accessories\\Edit.lnk",
              recordData72(3, 7, 1));
    HistoryMap history;
    ASSERT_EQ(1u, history.entries().size()) << "the shortcut record waits for the index";
    wchar_t shortcutPath[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, shortcutPath);
    PathAppendW(shortcutPath, L"Accessories\\Edit.lnk");
    CharUpperW(shortcutPath);  // the index holds the shortcut under another letter case
    ShortcutIndex index;
    index[shortcutPath].executable = L"C:\\TOOLS\\EDIT.EXE";
    history.matchShortcutRecords(index);
    const HistoryEntry* edit = history.find(L"c:\\tools\\edit.exe");
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(5u, edit->count) << "the program record and the shortcut record add up";
    EXPECT_EQ(7u, edit->lasttimelow);
    EXPECT_EQ(1u, history.entries().size());
    history.matchShortcutRecords(ShortcutIndex());
    EXPECT_EQ(2u, history.find(L"c:\\tools\\edit.exe")->count) << "a new index replaces what the last one matched";
}

TEST_F(NewerUsageRecordImportTest, VersionFiveOrMissingIsReadAndAnyOtherSkipsThatKey) {
    setRecord(programRecordsPath(), L"C:\\A.exe", recordData72(1, 1, 1));
    setRecord(shortcutRecordsPath(), L"C:\\A.lnk", recordData72(1, 1, 1));
    ShortcutIndex index;
    index[L"C:\\A.lnk"].executable = L"C:\\B.exe";
    for (const DWORD version : {0u, 4u, 5u, 6u, 0xffu}) {
        for (const wchar_t* key : {ProgramRecordsKeyPath, ShortcutRecordsKeyPath})
            if (version == 0xff)
                SHDeleteValueW(HKEY_CURRENT_USER, key, L"Version");
            else
                setRecordsVersion(key, version);
        HistoryMap history;
        history.matchShortcutRecords(index);
        const bool read = version == 5 || version == 0xff;  // 0xff: no version value
        EXPECT_EQ(read, history.find(L"c:\\a.exe") != nullptr) << "version " << version;
        EXPECT_EQ(read, history.find(L"c:\\b.exe") != nullptr) << "version " << version;
    }
}

TEST_F(NewerUsageRecordImportTest, DataOfAnyLengthIsReadUpToItsEndAndLongerDataSkipped) {
    std::vector<BYTE> data(100);
    for (std::size_t offset = 0; offset < data.size(); ++offset) data[offset] = static_cast<BYTE>(offset + 1);
    for (const std::size_t length : {0u, 8u, 66u, 71u, 72u, 100u})
        setRecord(programRecordsPath(), L"C:\\" + std::to_wstring(length),
                  std::vector<BYTE>(data.begin(), data.begin() + length));
    HistoryMap history;
    EXPECT_EQ(nullptr, history.find(L"c:\\100"));
    const HistoryEntry expected[] = {{true, 0, 0, 0, L"c:\\0"},
                                     {true, 0x08070605, 0, 0, L"c:\\8"},
                                     {true, 0x08070605, 0x403f3e3d, 0x00004241, L"c:\\66"},
                                     {true, 0x08070605, 0x403f3e3d, 0x44434241, L"c:\\71"},
                                     {true, 0x08070605, 0x403f3e3d, 0x44434241, L"c:\\72"}};
    for (const HistoryEntry& record : expected) {
        ASSERT_NE(nullptr, history.find(record.path)) << utf8(record.path);
        EXPECT_EQ(record, *history.find(record.path)) << utf8(record.path);
    }
}

}  // namespace
