#include "IndexTestSupport.h"
#include "UniqueHandle.h"
#include "kestentry/IndexLoader.h"
#include <gtest/gtest.h>

using namespace kest;
using namespace kest::test;

namespace {

class IndexLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         shellLink.putVoid()));
        context.shellLink = shellLink.get();
        LinkFields fields;
        fields.target = systemFolder() + L"\\notepad.exe";
        ASSERT_TRUE(writeLink(menu / L"on disk.lnk", fields));
    }
    IndexLoadResult load(bool rescanRequested) {
        index.clear();
        return loadOrScanIndex(context, {menu.path()}, rescanRequested, index, indexFile);
    }
    ShortcutIndex fileIndex() const {
        ShortcutEntry entry;
        entry.name = L"from file.lnk";
        entry.path = L"C:\\from file.lnk";
        entry.executable = L"C:\\x.exe";
        return {{entry.path, entry}};
    }
    void writeRoot(const std::string& children) {
        ASSERT_TRUE(writeBytes(indexFile, "<?xml version=\"1.0\"?><!--Kestrune Mapdata XML file.--><root>" +
                                              children + "</root>"));
    }

    ComInitialization com;
    TemporaryFolder menu;
    TemporaryFolder data;
    std::wstring indexFile = data / L"mapdata.xml";
    std::atomic<bool> abortRequested{false};
    ComPtr<IShellLinkW> shellLink;
    ScanContext context{abortRequested};
    ShortcutIndex index;
};

TEST_F(IndexLoaderTest, UsableFileIsReadWithoutScanning) {
    ASSERT_TRUE(saveIndex(fileIndex(), indexFile));
    const std::string before = readBytes(indexFile);
    EXPECT_EQ(IndexLoadResult::ReadFromFile, load(false));
    EXPECT_EQ(fileIndex(), index);
    EXPECT_EQ(before, readBytes(indexFile));
}

TEST_F(IndexLoaderTest, RequestedRescanIgnoresTheFileAndSavesTheScan) {
    ASSERT_TRUE(saveIndex(fileIndex(), indexFile));
    EXPECT_EQ(IndexLoadResult::Scanned, load(true));
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(menu / L"on disk.lnk", index.begin()->first);
    EXPECT_EQ(IndexLoadResult::ReadFromFile, load(false));
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(menu / L"on disk.lnk", index.begin()->first);
}

TEST_F(IndexLoaderTest, MissingOrMalformedFileIsRebuiltByScanning) {
    EXPECT_EQ(IndexLoadResult::Scanned, load(false));
    EXPECT_EQ(1u, index.size());
    EXPECT_TRUE(fileExists(indexFile));
    ASSERT_TRUE(writeBytes(indexFile, "<root><unclosed></root>"));
    EXPECT_EQ(IndexLoadResult::Scanned, load(false));
    EXPECT_EQ(1u, index.size());
}

TEST_F(IndexLoaderTest, FileWithoutEntriesIsRebuiltByScanning) {
    writeRoot("<OTHER/>");
    EXPECT_EQ(IndexLoadResult::Scanned, load(false));
    EXPECT_EQ(1u, index.count(menu / L"on disk.lnk"));
}

TEST_F(IndexLoaderTest, EmptyRootOrForeignHeaderLeavesTheIndexEmptyWithoutScanning) {
    writeRoot("");
    EXPECT_EQ(IndexLoadResult::Unusable, load(false));
    EXPECT_TRUE(index.empty());
    ASSERT_TRUE(writeBytes(indexFile, "<?xml version=\"1.0\"?><!--another file--><root><KESTRUNEENTRY/></root>"));
    EXPECT_EQ(IndexLoadResult::Unusable, load(false));
    EXPECT_TRUE(index.empty());
    EXPECT_EQ("<?xml version=\"1.0\"?><!--another file--><root><KESTRUNEENTRY/></root>", readBytes(indexFile));
}

TEST_F(IndexLoaderTest, AbortDuringTheReadNeitherScansNorWrites) {
    ASSERT_TRUE(saveIndex(fileIndex(), indexFile));
    const std::string before = readBytes(indexFile);
    abortRequested = true;
    EXPECT_EQ(IndexLoadResult::Aborted, load(false));
    EXPECT_TRUE(index.empty());
    EXPECT_EQ(before, readBytes(indexFile));
    EXPECT_EQ(IndexLoadResult::Aborted, load(true));
    EXPECT_EQ(before, readBytes(indexFile));
}

struct BackgroundLoad {
    ScanContext* context;
    std::wstring location;
    std::wstring indexFile;
    ShortcutIndex index;
    IndexLoadResult result = IndexLoadResult::Failed;
    UniqueKernelHandle started{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    static DWORD WINAPI run(void* parameter) {
        auto* load = static_cast<BackgroundLoad*>(parameter);
        ComInitialization com(COINIT_APARTMENTTHREADED);
        SetEvent(load->started.get());
        load->result = loadOrScanIndex(*load->context, {load->location}, false, load->index, load->indexFile);
        return 0;
    }
};

TEST_F(IndexLoaderTest, AbortWhileALargeFileIsBeingReadStopsWithoutScanningOrWriting) {
    ShortcutIndex large;
    for (int i = 0; i < 20000; ++i) {
        ShortcutEntry entry;
        entry.name = L"Program " + std::to_wstring(i) + L".lnk";
        entry.path = L"C:\\Menu\\" + entry.name;
        entry.executable = L"C:\\Programs\\p" + std::to_wstring(i) + L".exe";
        large[entry.path] = entry;
    }
    ASSERT_TRUE(saveIndex(large, indexFile));
    const std::string before = readBytes(indexFile);

    BackgroundLoad load{&context, menu.path(), indexFile};
    UniqueKernelHandle thread(CreateThread(nullptr, 0, BackgroundLoad::run, &load, 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(load.started.get(), INFINITE);
    // Well inside the load of 20,000 entries, whether in the parse or in the walk.
    Sleep(50);
    abortRequested = true;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), 60000));
    EXPECT_EQ(IndexLoadResult::Aborted, load.result);
    EXPECT_LT(load.index.size(), large.size());
    EXPECT_EQ(0u, load.index.count(menu / L"on disk.lnk")) << "nothing was scanned";
    EXPECT_EQ(before, readBytes(indexFile));
}

TEST_F(IndexLoaderTest, ScanWhoseSaveFailsKeepsItsIndex) {
    // A file where the folder should be: the folder cannot be made and the save fails.
    ASSERT_TRUE(writeBytes(data / L"not a folder", "x"));
    const std::wstring unwritable = data / L"not a folder\\mapdata.xml";
    EXPECT_EQ(IndexLoadResult::ScannedNotSaved, loadOrScanIndex(context, {menu.path()}, false, index, unwritable));
    EXPECT_EQ(1u, index.size());
}

}  // namespace
