#include "accessories/AccessoryRules.h"
#include "resource.h"
#include "search/ModuleFolder.h"
#include <gtest/gtest.h>

namespace {

using kest::RollOverImage;

TEST(RollOverRulesTest, ImageNamesAreTheButtonTextWithTheStateLetter) {
    EXPECT_EQ(L"MYIMAGEU", kest::rollOverImageName(L"MYIMAGE", RollOverImage::Up));
    EXPECT_EQ(L"MYIMAGED", kest::rollOverImageName(L"MYIMAGE", RollOverImage::Down));
    EXPECT_EQ(L"MYIMAGEF", kest::rollOverImageName(L"MYIMAGE", RollOverImage::Focused));
    EXPECT_EQ(L"MYIMAGEX", kest::rollOverImageName(L"MYIMAGE", RollOverImage::Disabled));
}

TEST(RollOverRulesTest, PressedBeatsFocusedBeatsDisabled) {
    EXPECT_EQ(RollOverImage::Down, kest::pickRollOverImage(ODS_SELECTED | ODS_FOCUS | ODS_DISABLED, true, true, true));
    EXPECT_EQ(RollOverImage::Focused, kest::pickRollOverImage(ODS_FOCUS | ODS_DISABLED, true, true, true));
    EXPECT_EQ(RollOverImage::Disabled, kest::pickRollOverImage(ODS_DISABLED, true, true, true));
    EXPECT_EQ(RollOverImage::Up, kest::pickRollOverImage(0, true, true, true));
}

TEST(RollOverRulesTest, MissingOptionalImageFallsBackToNextRuleOrUp) {
    EXPECT_EQ(RollOverImage::Focused, kest::pickRollOverImage(ODS_SELECTED | ODS_FOCUS, false, true, true));
    EXPECT_EQ(RollOverImage::Up, kest::pickRollOverImage(ODS_FOCUS, true, false, true));
    EXPECT_EQ(RollOverImage::Up, kest::pickRollOverImage(ODS_DISABLED, true, true, false));
}

TEST(HyperLinkRulesTest, BlueNormallyRedWhileHovering) {
    EXPECT_EQ(0xFF0000u, kest::hyperLinkTextColor(false));
    EXPECT_EQ(0x0000FFu, kest::hyperLinkTextColor(true));
}

TEST(HyperLinkRulesTest, ShellExecuteSucceedsOnlyAbove32) {
    EXPECT_FALSE(kest::shellExecuteSucceeded(reinterpret_cast<HINSTANCE>(2)));
    // 32 is SE_ERR_DLLNOTFOUND, an error.
    EXPECT_FALSE(kest::shellExecuteSucceeded(reinterpret_cast<HINSTANCE>(32)));
    EXPECT_TRUE(kest::shellExecuteSucceeded(reinterpret_cast<HINSTANCE>(33)));
}

TEST(AboutRulesTest, CentredOriginSplitsTheSpareRoomEvenly) {
    const POINT origin = kest::centredOrigin(RECT{500, 500, 700, 600}, RECT{0, 0, 1280, 1024});
    EXPECT_EQ(540, origin.x);
    EXPECT_EQ(462, origin.y);
}

TEST(AboutRulesTest, ContributorsFileIsBesideTheModule) {
    EXPECT_EQ(L"C:\\Kestrune\\contributors.txt", kest::contributorsFilePath(L"C:\\Kestrune\\"));
    EXPECT_EQ(L"", kest::contributorsFilePath(L""));
}

TEST(HyperLinkRulesTest, HelpViewerPathHasOneBackslash) {
    EXPECT_EQ(L"C:\\windows\\Winhlp32.exe", kest::helpViewerPath(L"C:\\windows"));
    EXPECT_EQ(L"C:\\Winhlp32.exe", kest::helpViewerPath(L"C:\\"));
}

// The resources as the compiler stored them: sizes and depths of the images.
struct BitmapCase {
    const wchar_t* name;
    int width;
    int height;
};

void expectBitmap(const BitmapCase& bitmap) {
    HRSRC found = FindResourceW(kest::bandModule(), bitmap.name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    ASSERT_TRUE(found) << "missing bitmap";
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(kest::bandModule(), found)));
    ASSERT_TRUE(header);
    EXPECT_EQ(bitmap.width, header->biWidth);
    EXPECT_EQ(bitmap.height, header->biHeight);
    EXPECT_EQ(24, header->biBitCount);
}

TEST(BandResourcesTest, MenuButtonImagesAre21By21At24Bits) {
    for (const wchar_t* name : {L"MYIMAGEU", L"MYIMAGED", L"MYIMAGEF", L"MYIMAGEX"}) expectBitmap({name, 21, 21});
}

TEST(BandResourcesTest, SearchIconIs16By16AndMenuMarks13By13At24Bits) {
    expectBitmap({MAKEINTRESOURCEW(IDB_EDITFIELD_ICON), 16, 16});
    for (int id = IDB_MENU_MARK_FIRST; id <= IDB_MENU_MARK_LAST; ++id) expectBitmap({MAKEINTRESOURCEW(id), 13, 13});
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

TEST(BandResourcesTest, ProductIconHolds32And21And16At8Bits) {
    HRSRC found = FindResourceW(kest::bandModule(), MAKEINTRESOURCEW(IDI_PRODUCT), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_TRUE(found);
    const auto* group = static_cast<const GroupIconHeader*>(LockResource(LoadResource(kest::bandModule(), found)));
    ASSERT_TRUE(group);
    ASSERT_EQ(3, group->count);
    std::vector<int> sizes;
    for (int i = 0; i < group->count; ++i) {
        EXPECT_EQ(group->entries[i].width, group->entries[i].height);
        EXPECT_EQ(8, group->entries[i].bitCount);
        sizes.push_back(group->entries[i].width);
    }
    EXPECT_EQ((std::vector<int>{32, 21, 16}), sizes);
}

}  // namespace
