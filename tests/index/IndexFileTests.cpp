#include "DocumentReplaceSave.h"
#include "Bstr.h"
#include "IndexTestSupport.h"
#include "UniqueHandle.h"
#include "XmlConventions.h"
#include "kestentry/IndexFile.h"
#include <gtest/gtest.h>
#include <shlobj.h>

using namespace kest;
using namespace kest::test;

namespace {

ShortcutEntry makeEntry(const std::wstring& path, const std::wstring& executable) {
    ShortcutEntry entry;
    entry.path = path;
    entry.name = path.substr(path.rfind(L'\\') + 1);
    entry.executable = executable;
    return entry;
}

// The layout of a saved index as Wine's MSXML writes it: the declaration as it was
// created, one line feed after each top-level node, UTF-8 without a byte-order mark.
// (MSXML on Windows renders the declaration as <?xml version="1.0"?>.)
std::string savedFile(const std::string& entries) {
    return "<?xml version='1.0'?>\n<!--Kestrune Mapdata XML file.-->\n<root created=\"using DOM from MSXML 2.6\">" +
           entries + "\n</root>\n";
}

std::string entryLines(const std::string& name, const std::string& path, const std::string& workingdir,
                       const std::string& iconlocation, const std::string& executable, const std::string& arguments,
                       int showcmd, int iconindex) {
    auto element = [](const std::string& tag, const std::string& text) {
        return text.empty() ? "<" + tag + "/>" : "<" + tag + ">" + text + "</" + tag + ">";
    };
    return "\n\t<KESTRUNEENTRY>\n\t\t" + element("name", name) + element("path", path) +
           element("workingdir", workingdir) + element("iconlocation", iconlocation) +
           element("executable", executable) + element("arguments", arguments) +
           element("showcmd", std::to_string(showcmd)) + element("iconindex", std::to_string(iconindex)) +
           "\n\t</KESTRUNEENTRY>";
}

class IndexFileTest : public ::testing::Test {
protected:
    ComInitialization com;
    TemporaryFolder folder;
    std::wstring file = folder / L"mapdata.xml";
    std::atomic<bool> abortRequested{false};

    ComPtr<IXMLDOMDocument> load(const std::wstring& path) {
        ComPtr<IXMLDOMDocument> document = createXmlDocument();
        if (!document) return nullptr;
        const Variant source(path.c_str());
        VARIANT_BOOL success = VARIANT_FALSE;
        if (FAILED(document->load(source.get(), &success)) || success != VARIANT_TRUE) return nullptr;
        return document;
    }
    IndexReadResult readText(const std::string& xml, ShortcutIndex& index) {
        if (!writeBytes(file, xml)) return IndexReadResult::Failed;
        ComPtr<IXMLDOMDocument> document = load(file);
        if (!document) return IndexReadResult::Failed;
        return readIndex(document.get(), index, abortRequested);
    }
    std::string fileWithRoot(const std::string& children) {
        return "<?xml version=\"1.0\"?>\n<!--Kestrune Mapdata XML file.-->\n<root created=\"x\">" + children +
               "</root>\n";
    }
};

const char* const FullEntry =
    "<KESTRUNEENTRY><name>n.lnk</name><path>C:\\n.lnk</path><workingdir>w</workingdir>"
    "<iconlocation>i</iconlocation><executable>e</executable><arguments>a</arguments>"
    "<showcmd>3</showcmd><iconindex>-2</iconindex></KESTRUNEENTRY>";

TEST_F(IndexFileTest, PathIsInTheApplicationDataFolder) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
    std::wstring expected = appData;
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_EQ(expected + L"Brindlewood\\Kestrune\\mapdata.xml", indexFilePath());
}

TEST_F(IndexFileTest, SavedFileHasTheExactLayoutInOrdinalOrder) {
    ShortcutIndex index;
    ShortcutEntry lower = makeEntry(L"C:\\m\\notes.lnk", L"C:\\n.exe");
    lower.workingdir = L"C:\\w";
    lower.arguments = L"/a \"b\" & <c>";
    lower.iconlocation = L"C:\\i.ico";
    lower.showcmd = 3;
    lower.iconindex = -2;
    ShortcutEntry upper = makeEntry(L"C:\\m\\Notes.lnk", L"");
    index[lower.path] = lower;
    index[upper.path] = upper;
    ASSERT_EQ(2u, index.size());
    ASSERT_TRUE(saveIndex(index, file));

    EXPECT_EQ(savedFile(entryLines("Notes.lnk", "C:\\m\\Notes.lnk", "", "", "", "", 1, -1) +
                        entryLines("notes.lnk", "C:\\m\\notes.lnk", "C:\\w", "C:\\i.ico", "C:\\n.exe",
                                   "/a \"b\" &amp; &lt;c&gt;", 3, -2)),
              readBytes(file));
    EXPECT_FALSE(fileExists(replaceSaveTemporaryPath(file)));
}

TEST_F(IndexFileTest, SavedFileReadsBackIntoAnEqualIndex) {
    ShortcutIndex index;
    for (const wchar_t* name : {L"b.lnk", L"A.url", L"a.url", L"\u00e9t\u00e9.lnk"}) {
        ShortcutEntry entry = makeEntry(std::wstring(L"C:\\Start Menu\\") + name, L"C:\\prog\\x.exe");
        entry.arguments = L"--flag <&>";
        entry.showcmd = 7;
        entry.iconindex = 4;
        index[entry.path] = entry;
    }
    ASSERT_TRUE(saveIndex(index, file));
    ComPtr<IXMLDOMDocument> document = load(file);
    ASSERT_TRUE(document);
    ShortcutIndex read;
    EXPECT_EQ(IndexReadResult::Read, readIndex(document.get(), read, abortRequested));
    EXPECT_EQ(index, read);
}

TEST_F(IndexFileTest, EmptyIndexSavesRootWithOnlyALineFeedAndReadsAsUnusable) {
    ASSERT_TRUE(saveIndex(ShortcutIndex(), file));
    EXPECT_EQ(savedFile(""), readBytes(file));
    ComPtr<IXMLDOMDocument> document = load(file);
    ASSERT_TRUE(document);
    ShortcutIndex read;
    EXPECT_EQ(IndexReadResult::Unusable, readIndex(document.get(), read, abortRequested));
    EXPECT_TRUE(read.empty());
}

TEST_F(IndexFileTest, SaveReplacesAnExistingFileWhole) {
    ASSERT_TRUE(writeBytes(file, std::string(5000, 'x')));
    ASSERT_TRUE(saveIndex(ShortcutIndex(), file));
    EXPECT_EQ(savedFile(""), readBytes(file));
}

TEST_F(IndexFileTest, FailedSaveLeavesTheFileUnchanged) {
    ASSERT_TRUE(writeBytes(file, "previous"));
    // The save writes beside the file first; a folder in that place makes it fail.
    ASSERT_TRUE(CreateDirectoryW((replaceSaveTemporaryPath(file)).c_str(), nullptr));
    EXPECT_FALSE(saveIndex(ShortcutIndex{{L"C:\\a.lnk", makeEntry(L"C:\\a.lnk", L"")}}, file));
    EXPECT_EQ("previous", readBytes(file));
    RemoveDirectoryW((replaceSaveTemporaryPath(file)).c_str());
}

// "index-fulldisk" beside the test program is a small file system that the test fixture
// mounts where the machine allows it.
TEST_F(IndexFileTest, SaveThatRunsOutOfSpaceLeavesTheOldFileWhole) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring disk = std::wstring(current) + L"\\index-fulldisk\\";
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(disk.c_str(), &available, &total, &free) || total.QuadPart == 0 ||
        total.QuadPart > (4u << 20))
        GTEST_SKIP() << "no small file system mounted at index-fulldisk";
    const std::wstring target = disk + L"mapdata.xml";
    ShortcutIndex small{{L"C:\\a.lnk", makeEntry(L"C:\\a.lnk", L"C:\\a.exe")}};
    ASSERT_TRUE(saveIndex(small, target));
    const std::string old = readBytes(target);

    // Fill the disk but for a little, then save an index that needs more.
    const std::wstring filler = disk + L"filler.bin";
    {
        UniqueFile file(CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        const std::string block(4096, 'f');
        DWORD written = 0;
        while (WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written > 0) {}
        LARGE_INTEGER back;
        back.QuadPart = -2000;
        SetFilePointerEx(file.get(), back, nullptr, FILE_END);
        SetEndOfFile(file.get());
    }
    ShortcutIndex large;
    for (int i = 0; i < 200; ++i) {
        const std::wstring path = L"C:\\Start Menu\\Programs\\Program " + std::to_wstring(i) + L".lnk";
        large[path] = makeEntry(path, L"C:\\Programs\\program.exe");
    }
    EXPECT_FALSE(saveIndex(large, target));
    DeleteFileW(filler.c_str());
    EXPECT_EQ(old, readBytes(target));
    EXPECT_FALSE(fileExists(replaceSaveTemporaryPath(target)));
    DeleteFileW(target.c_str());
}

// The setup program makes the folder for the account that runs it only.
TEST_F(IndexFileTest, SaveIntoAMissingFolderCreatesBothLevels) {
    ASSERT_TRUE(saveIndex(ShortcutIndex{{L"C:\\a.lnk", makeEntry(L"C:\\a.lnk", L"")}}, file));
    const std::wstring missing = folder / L"Brindlewood\\Kestrune\\mapdata.xml";
    EXPECT_TRUE(saveIndex(ShortcutIndex{{L"C:\\a.lnk", makeEntry(L"C:\\a.lnk", L"")}}, missing));
    EXPECT_EQ(readBytes(file), readBytes(missing));
    DeleteFileW(missing.c_str());
    RemoveDirectoryW((folder / L"Brindlewood\\Kestrune").c_str());
    RemoveDirectoryW((folder / L"Brindlewood").c_str());
}

TEST_F(IndexFileTest, LoadDropsWhitespaceOnlyText) {
    ASSERT_TRUE(saveIndex(ShortcutIndex{{L"C:\\a.lnk", makeEntry(L"C:\\a.lnk", L"")}}, file));
    ComPtr<IXMLDOMDocument> document = load(file);
    ASSERT_TRUE(document);
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, document->get_documentElement(root.put()));
    ComPtr<IXMLDOMNodeList> children;
    ASSERT_EQ(S_OK, root->get_childNodes(children.put()));
    long length = 0;
    ASSERT_EQ(S_OK, children->get_length(&length));
    EXPECT_EQ(1, length);
}

TEST_F(IndexFileTest, EntryChildrenInAnotherOrderAreReadCompletely) {
    ShortcutIndex index;
    ASSERT_EQ(IndexReadResult::Read,
              readText(fileWithRoot("<KESTRUNEENTRY><iconindex>-2</iconindex><showcmd>3</showcmd>"
                                    "<arguments>a</arguments><executable>e</executable><iconlocation>i</iconlocation>"
                                    "<workingdir>w</workingdir><path>C:\\n.lnk</path><name>n.lnk</name>"
                                    "</KESTRUNEENTRY>"),
                       index));
    ShortcutEntry expected;
    expected.name = L"n.lnk";
    expected.path = L"C:\\n.lnk";
    expected.workingdir = L"w";
    expected.iconlocation = L"i";
    expected.executable = L"e";
    expected.arguments = L"a";
    expected.showcmd = 3;
    expected.iconindex = -2;
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(expected, index.begin()->second);
}

TEST_F(IndexFileTest, EntriesWithoutExactlyEightChildrenAreSkipped) {
    ShortcutIndex index;
    const std::string nine =
        "<KESTRUNEENTRY><name>9</name><path>C:\\9.lnk</path><workingdir/><iconlocation/><executable/>"
        "<arguments/><showcmd>1</showcmd><iconindex>1</iconindex><extra/></KESTRUNEENTRY>";
    const std::string seven =
        "<KESTRUNEENTRY><name>7</name><path>C:\\7.lnk</path><workingdir/><iconlocation/><executable/>"
        "<arguments/><showcmd>1</showcmd></KESTRUNEENTRY>";
    ASSERT_EQ(IndexReadResult::Read, readText(fileWithRoot(nine + FullEntry + seven + "<KESTRUNEENTRY/>"), index));
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(L"C:\\n.lnk", index.begin()->first);
    EXPECT_EQ(0u, index.count(L""));
}

TEST_F(IndexFileTest, OtherNamesCountTowardTheEightAndAreIgnored) {
    ShortcutIndex index;
    ASSERT_EQ(IndexReadResult::Read,
              readText(fileWithRoot("<KESTRUNEENTRY><name>n</name><path>C:\\p</path><Workingdir>w</Workingdir>"
                                    "<iconlocation/><executable>e</executable><arguments/><showcmd>2</showcmd>"
                                    "<other>9</other></KESTRUNEENTRY>"),
                       index));
    ASSERT_EQ(1u, index.size());
    const ShortcutEntry& entry = index.begin()->second;
    EXPECT_EQ(L"", entry.workingdir);
    EXPECT_EQ(L"e", entry.executable);
    EXPECT_EQ(2, entry.showcmd);
    EXPECT_EQ(-1, entry.iconindex);
}

TEST_F(IndexFileTest, NumbersReadAsDecimalIntegers) {
    ShortcutIndex index;
    auto entryWith = [](const std::string& path, const std::string& showcmd, const std::string& iconindex) {
        return "<KESTRUNEENTRY><name/><path>" + path + "</path><workingdir/><iconlocation/><executable/>"
               "<arguments/><showcmd>" + showcmd + "</showcmd><iconindex>" + iconindex + "</iconindex></KESTRUNEENTRY>";
    };
    ASSERT_EQ(IndexReadResult::Read,
              readText(fileWithRoot(entryWith("a", "3", "-2") + entryWith("b", "  +7x", "abc") +
                                    entryWith("c", "99999999999", "-12abc")),
                       index));
    ASSERT_EQ(3u, index.size());
    EXPECT_EQ(3, index[L"a"].showcmd);
    EXPECT_EQ(-2, index[L"a"].iconindex);
    EXPECT_EQ(7, index[L"b"].showcmd);
    EXPECT_EQ(0, index[L"b"].iconindex);
    EXPECT_EQ(2147483647, index[L"c"].showcmd);
    EXPECT_EQ(-12, index[L"c"].iconindex);
}

TEST_F(IndexFileTest, LaterEntryWithTheSamePathWins) {
    ShortcutIndex index;
    std::string second = FullEntry;
    second.replace(second.find("<executable>e"), 13, "<executable>f");
    ASSERT_EQ(IndexReadResult::Read, readText(fileWithRoot(std::string(FullEntry) + second), index));
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(L"f", index.begin()->second.executable);
}

TEST_F(IndexFileTest, RootWithOnlyOtherElementsAsksForARescan) {
    ShortcutIndex index;
    EXPECT_EQ(IndexReadResult::NoEntries, readText(fileWithRoot("<OTHER/><entry>x</entry>"), index));
    EXPECT_TRUE(index.empty());
}

TEST_F(IndexFileTest, EmptyRootElementIsUnusable) {
    ShortcutIndex index;
    EXPECT_EQ(IndexReadResult::Unusable,
              readText("<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file.--><root/>", index));
}

TEST_F(IndexFileTest, HeaderDifferencesMakeTheFileUnusable) {
    const std::string entries = FullEntry;
    const std::string variants[] = {
        "<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file--><root>" + entries + "</root>",
        "<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file.--><!--x--><root>" + entries + "</root>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--Kestrune Mapdata XML file.--><root>" + entries + "</root>",
        "<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file.--><Root>" + entries + "</Root>",
        "<!--Kestrune Mapdata XML file.--><root>" + entries + "</root>",
    };
    for (const std::string& xml : variants) {
        ShortcutIndex index;
        EXPECT_EQ(IndexReadResult::Unusable, readText(xml, index)) << xml;
        EXPECT_TRUE(index.empty()) << xml;
    }
}

TEST_F(IndexFileTest, AbortStopsTheReadBeforeTheNextElement) {
    ShortcutIndex index;
    abortRequested = true;
    EXPECT_EQ(IndexReadResult::Aborted, readText(fileWithRoot(FullEntry), index));
    EXPECT_TRUE(index.empty());
}

}  // namespace
