// The plain rules behind the menu: the type list, the verb table and the error codes.
#include "MenuCommands.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

using kest::isRunFileType;

TEST(RunFileType, ListedExtensionsInAnyCaseMatch) {
    const std::wstring types = L"exe, com, bat";
    EXPECT_TRUE(isRunFileType(types, L"C:\\a.EXE"));
    EXPECT_TRUE(isRunFileType(types, L"C:\\b.com"));
    EXPECT_TRUE(isRunFileType(types, L"C:\\c.bat"));
}

TEST(RunFileType, PartsOfAnEntryDoNotMatch) {
    const std::wstring types = L"exe, com, bat";
    EXPECT_FALSE(isRunFileType(types, L"C:\\d.ex"));
    EXPECT_FALSE(isRunFileType(types, L"C:\\e.at"));
    EXPECT_FALSE(isRunFileType(types, L"C:\\f"));
    EXPECT_FALSE(isRunFileType(types, L"C:\\g.e"));
}

TEST(RunFileType, EntryFollowedBySpaceNeverMatches) {
    EXPECT_FALSE(isRunFileType(L"exe ,com", L"C:\\a.exe"));
    EXPECT_TRUE(isRunFileType(L"exe ,com", L"C:\\a.com"));
}

TEST(RunFileType, OnlyTheFirstOccurrenceIsExamined) {
    EXPECT_FALSE(isRunFileType(L"xexe, exe", L"C:\\a.exe"));
}

TEST(RunFileType, DotInAFolderNameOrATrailingDotIsNoExtension) {
    EXPECT_FALSE(isRunFileType(L"exe, d\\file", L"C:\\dir.d\\file"));
    EXPECT_FALSE(isRunFileType(L"", L"C:\\name."));
    EXPECT_FALSE(isRunFileType(L"exe,", L"C:\\name."));
}

TEST(VerbTable, VerbsMatchInAnyAsciiCase) {
    ASSERT_NE(nullptr, kest::findMenuCommandByVerb(L"CopyPathName"));
    EXPECT_EQ(0u, kest::findMenuCommandByVerb(L"CopyPathName")->offset);
    EXPECT_EQ(3u, kest::findMenuCommandByVerb(L"RUNWITHPARAMS")->offset);
    EXPECT_EQ(nullptr, kest::findMenuCommandByVerb(L"copypathnam"));
    EXPECT_EQ(nullptr, kest::findMenuCommand(4));
    EXPECT_STREQ(L"openincmdwnd", kest::findMenuCommand(2)->verb);
}

TEST(ErrorCode, PositiveErrorsBecomeWin32Results) {
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), kest::hresultFromError(ERROR_ACCESS_DENIED));
    EXPECT_EQ(static_cast<HRESULT>(0x80071234), kest::hresultFromError(0x00051234));
    EXPECT_EQ(0, kest::hresultFromError(0));
    EXPECT_EQ(static_cast<HRESULT>(-5), kest::hresultFromError(-5));
}

}  // namespace
