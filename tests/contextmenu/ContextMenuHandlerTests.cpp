// The handler through the module's class factory, with the shell's data objects over real
// files and folders and real menus.
#include "ContextMenuTestSupport.h"

namespace {

using namespace kesttest;
using Lines = std::vector<std::wstring>;

const std::wstring RunItem = L"Run with command line arguments... #103";
const std::wstring ConsoleItem = L"Open in DOS box... #102";
const std::wstring CopyItem = L"Copy pathname #100";
const std::wstring CopyShortItem = L"Copy short pathname #101";

using FolderMenu = ExtensionTest;

TEST_F(FolderMenu, AllFlagsOnGiveConsoleThenBothCopyItemsBetweenSeparators) {
    auto handler = handlerFor({temp_.folder(L"Some Folder")});
    HRESULT result = E_FAIL;
    EXPECT_EQ((Lines{L"-", ConsoleItem, CopyItem, CopyShortItem, L"-"}),
              menuFor(handler.get(), CMF_NORMAL, 100, 200, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4), result);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key))
        << "the settings key is created on first use";
    DWORD values = 99;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(0u, values) << "the extension writes no value";
}

TEST_F(FolderMenu, EachFlagOffLeavesItsItemOut) {
    const std::wstring folder = temp_.folder(L"Some Folder");
    setFlags(true, false, true, true);
    EXPECT_EQ((Lines{L"-", CopyItem, CopyShortItem, L"-"}), menuFor(handlerFor({folder}).get()));
    setFlags(true, true, false, true);
    EXPECT_EQ((Lines{L"-", ConsoleItem, CopyShortItem, L"-"}), menuFor(handlerFor({folder}).get()));
    setFlags(true, true, true, false);
    EXPECT_EQ((Lines{L"-", ConsoleItem, CopyItem, L"-"}), menuFor(handlerFor({folder}).get()));
    setFlags(false, true, true, true);
    EXPECT_EQ((Lines{L"-", ConsoleItem, CopyItem, CopyShortItem, L"-"}), menuFor(handlerFor({folder}).get()));
}

TEST_F(FolderMenu, OnlyTheRunFlagOnAddsNothing) {
    setFlags(true, false, false, false);
    EXPECT_EQ(Lines{}, menuFor(handlerFor({temp_.folder(L"Some Folder")}).get()));
}

TEST_F(FolderMenu, EmptyMenuGetsNoLeadingSeparator) {
    auto handler = handlerFor({temp_.folder(L"Some Folder")});
    kest::UniqueHMenu menu(CreatePopupMenu());
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4), handler->QueryContextMenu(menu.get(), 0, 10, 20, CMF_NORMAL));
    EXPECT_EQ((Lines{L"Open in DOS box... #12", L"Copy pathname #10", L"Copy short pathname #11", L"-"}),
              menuLines(menu.get()));
}

TEST_F(FolderMenu, ItemsCarryTheMenuBitmapAsBothMarks) {
    auto handler = handlerFor({temp_.folder(L"Some Folder")});
    kest::UniqueHMenu menu(CreatePopupMenu());
    handler->QueryContextMenu(menu.get(), 0, 100, 200, CMF_NORMAL);
    MENUITEMINFOW item = {sizeof(item)};
    item.fMask = MIIM_CHECKMARKS | MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoW(menu.get(), 100, FALSE, &item));
    ASSERT_NE(nullptr, item.hbmpChecked);
    EXPECT_EQ(item.hbmpChecked, item.hbmpUnchecked);
    EXPECT_EQ(0u, item.fState & (MFS_CHECKED | MFS_DISABLED | MFS_GRAYED));
    BITMAP bitmap = {};
    ASSERT_EQ(static_cast<int>(sizeof(bitmap)), GetObjectW(item.hbmpChecked, sizeof(bitmap), &bitmap));
    EXPECT_EQ(12, bitmap.bmWidth);
    EXPECT_EQ(12, bitmap.bmHeight);
}

using FileMenu = ExtensionTest;

TEST_F(FileMenu, ProgramGetsRunThenBothCopyItems) {
    EXPECT_EQ((Lines{L"-", RunItem, CopyItem, CopyShortItem, L"-"}),
              menuFor(handlerFor({temp_.file(L"setup.EXE")}).get()));
}

TEST_F(FileMenu, TextFileGetsTheCopyItemsOnly) {
    EXPECT_EQ((Lines{L"-", CopyItem, CopyShortItem, L"-"}), menuFor(handlerFor({temp_.file(L"notes.txt")}).get()));
}

TEST_F(FileMenu, EachFlagOffLeavesItsItemOut) {
    const std::wstring file = temp_.file(L"setup.EXE");
    setFlags(false, true, true, true);
    EXPECT_EQ((Lines{L"-", CopyItem, CopyShortItem, L"-"}), menuFor(handlerFor({file}).get()));
    setFlags(true, true, false, true);
    EXPECT_EQ((Lines{L"-", RunItem, CopyShortItem, L"-"}), menuFor(handlerFor({file}).get()));
    setFlags(true, true, true, false);
    EXPECT_EQ((Lines{L"-", RunItem, CopyItem, L"-"}), menuFor(handlerFor({file}).get()));
    setFlags(true, false, true, true);
    EXPECT_EQ((Lines{L"-", RunItem, CopyItem, CopyShortItem, L"-"}), menuFor(handlerFor({file}).get()));
}

TEST_F(FileMenu, OnlyTheConsoleFlagOnGivesALoneSeparator) {
    setFlags(false, true, false, false);
    EXPECT_EQ((Lines{L"-"}), menuFor(handlerFor({temp_.file(L"setup.EXE")}).get()));
}

TEST_F(FileMenu, AllFlagsOffAddNothing) {
    setFlags(false, false, false, false);
    HRESULT result = E_FAIL;
    EXPECT_EQ(Lines{}, menuFor(handlerFor({temp_.file(L"setup.EXE")}).get(), CMF_NORMAL, 100, 200, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4), result);
}

TEST_F(FileMenu, ThreeSelectedFilesOfferTheCommandsForTheFirst) {
    const std::wstring notes = temp_.file(L"notes.txt");
    const std::wstring setup = temp_.file(L"setup.EXE");
    const std::wstring other = temp_.file(L"other.bat");
    auto handler = handlerFor({notes, setup, other});
    EXPECT_EQ((Lines{L"-", CopyItem, CopyShortItem, L"-"}), menuFor(handler.get()));
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 0));
    EXPECT_EQ(notes, readClipboardText());
}

TEST_F(FileMenu, TypeListRuleDecidesTheRunItem) {
    auto hasRun = [&](const std::wstring& name) {
        const Lines lines = menuFor(handlerFor({temp_.file(name)}).get());
        return std::find(lines.begin(), lines.end(), RunItem) != lines.end();
    };
    EXPECT_TRUE(hasRun(L"a.EXE"));
    EXPECT_TRUE(hasRun(L"b.com"));
    EXPECT_TRUE(hasRun(L"c.bat"));
    EXPECT_FALSE(hasRun(L"d.ex"));
    EXPECT_FALSE(hasRun(L"e.at"));
    EXPECT_FALSE(hasRun(L"f"));
    setString(SettingsKey, L"Add Run MenuItem To", L"exe ,com");
    EXPECT_FALSE(hasRun(L"a.EXE")) << "exe is followed by a space, not a comma";
    EXPECT_TRUE(hasRun(L"b.com"));
    setString(SettingsKey, L"Add Run MenuItem To", L"EXE, Cmd");
    EXPECT_TRUE(hasRun(L"g.cmd"));
}

using MenuRefusal = ExtensionTest;

TEST_F(MenuRefusal, DefaultOnlyAddsNothingAndReportsZero) {
    HRESULT result = E_FAIL;
    EXPECT_EQ(Lines{}, menuFor(handlerFor({temp_.file(L"setup.EXE")}).get(), CMF_DEFAULTONLY, 100, 200, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), result);
}

TEST_F(MenuRefusal, VerbsOnlyAddsNothingAndReportsZero) {
    HRESULT result = E_FAIL;
    EXPECT_EQ(Lines{}, menuFor(handlerFor({temp_.file(L"setup.EXE")}).get(), CMF_VERBSONLY, 100, 200, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), result);
}

TEST_F(MenuRefusal, TooSmallIdRangeAddsNothing) {
    auto handler = handlerFor({temp_.file(L"setup.EXE")});
    HRESULT result = E_FAIL;
    EXPECT_EQ(Lines{}, menuFor(handler.get(), CMF_NORMAL, 100, 102, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), result);
    EXPECT_EQ(Lines{}, menuFor(handler.get(), CMF_NORMAL, 100, 50, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), result);
    EXPECT_EQ(4u, menuFor(handler.get(), CMF_NORMAL, 100, 103, &result).size() - 1) << "ids 100 to 103 suffice";
}

TEST_F(MenuRefusal, UninitialisedHandlerAddsNothingButReportsFour) {
    auto handler = createHandler();
    ASSERT_TRUE(handler);
    HRESULT result = E_FAIL;
    EXPECT_EQ(Lines{}, menuFor(handler.get(), CMF_NORMAL, 100, 200, &result));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4), result);
}

TEST_F(MenuRefusal, PathOf260CharactersOrMoreIsNotOfferedRatherThanCut) {
    const std::wstring longPath = temp_.path() + L"\\" + std::wstring(300 - temp_.path().size(), L'n') + L".txt";
    auto handler = createHandler();
    ASSERT_TRUE(handler);
    auto init = handler.query<IShellExtInit>();
    ASSERT_EQ(S_OK, init->Initialize(nullptr, dropDataObject({longPath}).get(), nullptr));
    EXPECT_EQ(Lines{}, menuFor(handler.get()));
    setClipboardText(L"before");
    EXPECT_EQ(E_INVALIDARG, invokeVerb(handler.get(), "copypathname"));
    EXPECT_EQ(L"before", readClipboardText());

    // 259 characters still fit.
    const std::wstring fits = temp_.path() + L"\\" + std::wstring(259 - temp_.path().size() - 5, L'f') + L".txt";
    ASSERT_EQ(259u, fits.size());
    ASSERT_EQ(S_OK, init->Initialize(nullptr, dropDataObject({fits}).get(), nullptr));
    EXPECT_EQ((Lines{L"-", CopyItem, CopyShortItem, L"-"}), menuFor(handler.get()));
    EXPECT_EQ(S_OK, invokeVerb(handler.get(), "copypathname"));
    EXPECT_EQ(fits, readClipboardText());
}

TEST_F(MenuRefusal, SecondInitializeReplacesTheSelection) {
    auto handler = handlerFor({temp_.file(L"notes.txt")});
    auto init = handler.query<IShellExtInit>();
    ASSERT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
    EXPECT_EQ(Lines{}, menuFor(handler.get()));
    const std::wstring setup = temp_.file(L"setup.EXE");
    ASSERT_EQ(S_OK, init->Initialize(nullptr, shellDataObject({setup}).get(), nullptr));
    EXPECT_EQ((Lines{L"-", RunItem, CopyItem, CopyShortItem, L"-"}), menuFor(handler.get()));
}

using CommandStrings = ExtensionTest;

TEST_F(CommandStrings, VerbsOfTheFourOffsets) {
    auto handler = createHandler();
    ASSERT_TRUE(handler);
    const wchar_t* verbs[] = {L"copypathname", L"copyshortpathname", L"openincmdwnd", L"runwithparams"};
    for (UINT offset = 0; offset < 4; ++offset) {
        wchar_t buffer[64] = {};
        EXPECT_EQ(S_OK, handler->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<CHAR*>(buffer), 64));
        EXPECT_STREQ(verbs[offset], buffer);
    }
}

TEST_F(CommandStrings, HelpTextsOfTheFourOffsets) {
    auto handler = createHandler();
    ASSERT_TRUE(handler);
    const wchar_t* texts[] = {L"Copy the selected item's pathname to the clipboard.",
                              L"Copy the selected item's short pathname to the clipboard.",
                              L"Opens the selected item in a command window.",
                              L"Run the selected item with command line arguments."};
    for (UINT offset = 0; offset < 4; ++offset) {
        wchar_t buffer[128] = {};
        EXPECT_EQ(S_OK,
                  handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(buffer), 128));
        EXPECT_STREQ(texts[offset], buffer);
    }
}

TEST_F(CommandStrings, TextIsCutToTheBufferLength) {
    auto handler = createHandler();
    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_EQ(S_OK, handler->GetCommandString(2, GCS_VERBW, nullptr, reinterpret_cast<CHAR*>(buffer), 5));
    EXPECT_STREQ(L"open", buffer);
    EXPECT_EQ(L'#', buffer[5]) << "nothing written past the buffer";
}

TEST_F(CommandStrings, NarrowKindsUnknownOffsetsAndValidation) {
    auto handler = createHandler();
    char narrow[64] = {};
    EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(2, GCS_VERBA, nullptr, narrow, 64));
    EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(2, GCS_HELPTEXTA, nullptr, narrow, 64));
    EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(2, GCS_VALIDATEA, nullptr, narrow, 64));
    wchar_t wide[64] = {};
    EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(4, GCS_VERBW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
    EXPECT_EQ(E_INVALIDARG, handler->GetCommandString(4, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(wide), 64));
    EXPECT_EQ(S_OK, handler->GetCommandString(4, GCS_VALIDATEW, nullptr, nullptr, 0));
    EXPECT_EQ(S_OK, handler->GetCommandString(0, GCS_VALIDATEW, nullptr, nullptr, 0));
}

using CopyCommands = ExtensionTest;

TEST_F(CopyCommands, VerbInMixedCaseCopiesTheFullPath) {
    const std::wstring file = temp_.file(L"notes.txt");
    auto handler = handlerFor({file});
    setClipboardText(L"before");
    EXPECT_EQ(S_OK, invokeVerb(handler.get(), "CopyPathNAME"));
    EXPECT_EQ(file, readClipboardText());
}

TEST_F(CopyCommands, WideVerbOfTheExtendedStructureIsUsed) {
    const std::wstring folder = temp_.folder(L"Some Folder");
    auto handler = handlerFor({folder});
    CMINVOKECOMMANDINFOEX info = {sizeof(info)};
    info.fMask = CMIC_MASK_UNICODE;
    info.lpVerb = "no such verb";
    info.lpVerbW = L"COPYPATHNAME";
    setClipboardText(L"before");
    EXPECT_EQ(S_OK, handler->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
    EXPECT_EQ(folder, readClipboardText());
}

TEST_F(CopyCommands, OffsetOneCopiesTheShortPath) {
    const std::wstring file = temp_.file(L"A rather long file name.text");
    wchar_t expected[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(file.c_str(), expected, MAX_PATH));
    ASSERT_NE(file, std::wstring(expected)) << "the file needs a distinct short name";
    auto handler = handlerFor({file});
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 1));
    EXPECT_EQ(std::wstring(expected), readClipboardText());
    EXPECT_EQ(S_OK, invokeVerb(handler.get(), "copypathname"));
    EXPECT_EQ(file, readClipboardText());
}

TEST_F(CopyCommands, ClipboardHeldElsewhereIsReportedAndLeftUsable) {
    const std::wstring file = temp_.file(L"notes.txt");
    auto handler = handlerFor({file});
    kest::UniqueKernelHandle opened(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    kest::UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        // A window of its own: Wine lets a second opener through when both give no window.
        kest::UniqueHWnd window(CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                                nullptr, nullptr));
        const BOOL ok = OpenClipboard(window.get());
        SetEvent(opened.get());
        WaitForSingleObject(done.get(), 30000);
        if (ok) CloseClipboard();
    });
    WaitForSingleObject(opened.get(), 30000);
    {
        MessageBoxAnswerer box;
        EXPECT_EQ(S_OK, invokeOffset(handler.get(), 0));
        EXPECT_TRUE(box.shown());
        const std::wstring text = box.text();
        EXPECT_EQ(0u, text.find(L"Failed to open the clipoard!\n\nError:" + systemErrorText(ERROR_ACCESS_DENIED)))
            << std::string(text.begin(), text.end());
        EXPECT_NE(std::wstring::npos, text.find(L"e-mail"));
    }
    SetEvent(done.get());
    holder.join();
    EXPECT_EQ(S_OK, invokeOffset(handler.get(), 0));
    EXPECT_EQ(file, readClipboardText()) << "nothing was left open or locked";
}

using InvokeRefusal = ExtensionTest;

TEST_F(InvokeRefusal, OffsetFourUnknownVerbAndShortStructureAreInvalid) {
    auto handler = handlerFor({temp_.file(L"notes.txt")});
    setClipboardText(L"before");
    EXPECT_EQ(E_INVALIDARG, invokeOffset(handler.get(), 4));
    EXPECT_EQ(E_INVALIDARG, invokeVerb(handler.get(), "copypath"));
    EXPECT_EQ(E_INVALIDARG, invokeVerb(handler.get(), "open"));
    CMINVOKECOMMANDINFO info = {sizeof(info) - 1};
    info.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(&info));
    EXPECT_EQ(E_INVALIDARG, handler->InvokeCommand(nullptr));
    EXPECT_EQ(L"before", readClipboardText());
}

using Objects = ExtensionTest;

TEST_F(Objects, BothFacesAnswerEachOtherAndUnknownInterfacesAreRefused) {
    auto handler = createHandler();
    ASSERT_TRUE(handler);
    auto init = handler.query<IShellExtInit>();
    ASSERT_TRUE(init);
    kest::ComPtr<IUnknown> fromMenu = handler.query<IUnknown>();
    kest::ComPtr<IUnknown> fromInit = init.query<IUnknown>();
    EXPECT_EQ(fromMenu.get(), fromInit.get());
    EXPECT_EQ(static_cast<IUnknown*>(handler.get()), fromMenu.get()) << "IUnknown is the IContextMenu face";
    EXPECT_EQ(handler.get(), init.query<IContextMenu>().get());
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, handler->QueryInterface(IID_IClassFactory, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(E_NOINTERFACE, init->QueryInterface(IID_IContextMenu2, &other));
    EXPECT_EQ(nullptr, other);
}

TEST_F(Objects, HandlerKeepsItsDataObjectUntilReleased) {
    auto data = shellDataObject({temp_.file(L"notes.txt")});
    ASSERT_TRUE(data);
    data->AddRef();
    const ULONG before = data->Release();
    {
        auto handler = createHandler();
        auto init = handler.query<IShellExtInit>();
        ASSERT_EQ(S_OK, init->Initialize(nullptr, data.get(), nullptr));
        data->AddRef();
        EXPECT_EQ(before + 1, data->Release()) << "one reference held";
        ASSERT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
        data->AddRef();
        EXPECT_EQ(before, data->Release()) << "released by the next Initialize";
    }
}

}  // namespace
