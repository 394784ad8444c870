// The list draws each program's icon left of its text: the shortcut's own icon location,
// else the target's icon, and the generic program icon where neither can be had.
#include "BarTestSupport.h"
#include "SolidIconFile.h"
#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include <vector>

namespace kesttest {
namespace {

constexpr int IconSide = 16;  // at 96 dots per inch

using Pixels = std::vector<COLORREF>;

struct Canvas {
    explicit Canvas(const RECT& bounds) : width(bounds.right), height(bounds.bottom) {
        screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    Pixels block(int left, int top) const {
        Pixels pixels;
        for (int y = top; y < top + IconSide; ++y)
            for (int x = left; x < left + IconSide; ++x) pixels.push_back(GetPixel(dc, x, y));
        return pixels;
    }

    int width, height;
    HDC screen, dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

// The icon as it looks drawn over the list's background.
Pixels iconPixels(HICON icon) {
    Canvas canvas(RECT{0, 0, IconSide, IconSide});
    RECT all{0, 0, IconSide, IconSide};
    FillRect(canvas.dc, &all, GetSysColorBrush(COLOR_WINDOW));
    DrawIconEx(canvas.dc, 0, 0, icon, IconSide, IconSide, 0, nullptr, DI_NORMAL);
    return canvas.block(0, 0);
}

Pixels extractedPixels(const std::wstring& file, int index) {
    HICON icon = nullptr;
    EXPECT_EQ(S_OK, SHDefExtractIconW(file.c_str(), index, 0, &icon, nullptr, MAKELONG(IconSide, IconSide)));
    Pixels pixels = iconPixels(icon);
    DestroyIcon(icon);
    return pixels;
}

class BarIconTest : public BarFixture {
protected:
    // Whether the item, drawn by the box as its list would have it drawn, shows icon
    // somewhere left of its text.
    bool itemShows(int itemIndex, const Pixels& icon) {
        HWND list = bar->searchBox().listWindow();
        const int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        Canvas canvas(RECT{0, 0, 200, itemHeight});
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
        item.itemID = static_cast<UINT>(itemIndex);
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = list;
        item.hDC = canvas.dc;
        item.rcItem = RECT{0, 0, 200, itemHeight};
        item.itemData = static_cast<ULONG_PTR>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(itemIndex), 0));
        SendMessageW(box(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        for (int top = 0; top + IconSide <= itemHeight; ++top)
            for (int left = 0; left <= 8; ++left)
                if (canvas.block(left, top) == icon) return true;
        return false;
    }

    // Pumps until the item shows icon: extraction runs on a thread of its own.
    bool eventuallyShows(const std::wstring& text, const Pixels& icon) {
        const int index = static_cast<int>(SendMessageW(box(), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                        reinterpret_cast<LPARAM>(text.c_str())));
        if (index < 0) return false;
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (itemShows(index, icon)) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
            pumpMessages();
        }
        return false;
    }
};

TEST_F(BarIconTest, ItemsShowTheShortcutsIconTheTargetsOrTheGenericOne) {
    const std::wstring icons = tempFolder(L"KestBarIcons");
    const std::wstring red = icons + L"\\red.ico", blue = icons + L"\\blue.ico";
    ASSERT_TRUE(writeSolidIconFile(red, RGB(220, 20, 30)));
    ASSERT_TRUE(writeSolidIconFile(blue, RGB(20, 40, 210)));
    const std::wstring notepad = systemFile(L"notepad.exe");
    writeShortcut(startMenu + L"\\Iconic Red.lnk", notepad, L"", L"", red, 0);
    writeShortcut(startMenu + L"\\Iconic Blue.lnk", systemFile(L"winver.exe"), L"", L"", blue, 0);
    writeShortcut(startMenu + L"\\Iconic Plain.lnk", notepad);
    writeShortcut(startMenu + L"\\Iconic Lost.lnk", notepad, L"", L"", icons + L"\\missing.ico", 0);
    startBar();
    SetFocus(editWindow());
    type(L"iconic");
    ASSERT_EQ(4, SendMessageW(box(), CB_GETCOUNT, 0, 0));
    // Owner-drawn, the list still keeps its texts, sorted.
    EXPECT_EQ((std::vector<std::wstring>{L"Iconic Blue (KestBarStartMenu)", L"Iconic Lost (KestBarStartMenu)",
                                         L"Iconic Plain (KestBarStartMenu)", L"Iconic Red (KestBarStartMenu)"}),
              items());

    EXPECT_TRUE(eventuallyShows(L"Iconic Red", extractedPixels(red, 0)));
    EXPECT_TRUE(eventuallyShows(L"Iconic Blue", extractedPixels(blue, 0)));
    EXPECT_TRUE(eventuallyShows(L"Iconic Plain", extractedPixels(notepad, 0))) << "the target's own icon";
    SHSTOCKICONINFO generic{sizeof(generic)};
    ASSERT_EQ(S_OK, SHGetStockIconInfo(SIID_APPLICATION, SHGSI_ICONLOCATION, &generic));
    const Pixels genericPixels = extractedPixels(generic.szPath, generic.iIcon);
    EXPECT_TRUE(eventuallyShows(L"Iconic Lost", genericPixels)) << "the generic program icon";
    EXPECT_NE(genericPixels, extractedPixels(notepad, 0)) << "the generic icon can be told apart";
    removeTree(icons);
}

void waitForIcons(kest::ProgramIconCache& icons) {
    for (int wait = 0; wait < 400 && icons.pendingCount() > 0; ++wait) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        pumpMessages();
    }
}

// 2,000 typed folder-item paths, each a program file of its own (links to one file): the cache
// fills up to its bound and stays within it.
TEST_F(BarIconTest, IconsOfTwoThousandTypedPathsStayWithinTheBound) {
    const std::wstring root = tempFolder(L"KestBarIconPaths") + L"\\", names = L"0123456789abcdefghijklmnopqrstuvwxyz";
    for (size_t i = 0; i < 2000; ++i) {
        const std::wstring folder = root + std::to_wstring(10 + i / names.size()) + L"\\";
        if (i % names.size() == 0) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(CreateHardLinkW((folder + names[i % names.size()] + L".exe").c_str(),
                                    systemFile(L"notepad.exe").c_str(), nullptr));
    }
    startBar();
    kest::ProgramIconCache& icons = *bar->searchBox().programIcons();
    size_t most = 0;
    type(root);
    for (size_t i = 0; i < 2000; ++i) {
        if (i % names.size() == 0) type((i ? L"\b\b\b" : L"") + std::to_wstring(10 + i / names.size()) + L"\\");
        type(std::wstring(1, names[i % names.size()]));
        ASSERT_EQ(1u, items().size());
        ASSERT_TRUE(listOpen());
        waitForIcons(icons);
        UpdateWindow(bar->searchBox().listWindow());
        most = std::max(most, icons.liveIconCount());
        ASSERT_LE(icons.liveIconCount(), kest::ProgramIconCache::MaxIcons) << i + 1 << " paths typed";
        type(L"\b");
    }
    EXPECT_GE(most, kest::ProgramIconCache::MaxIcons - 2) << "the icons were kept up to the bound";
    bar.reset();
    removeTree(root);
}

}  // namespace
}  // namespace kesttest
