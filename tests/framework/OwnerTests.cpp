#include "Bstr.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* ScratchKeyPath = L"Software\\Brindlewood\\KestruneFrameworkTest";

bool keyHandleIsOpen(HKEY key) {
    DWORD values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(OwnerTest, KeyOwnerClosesOnPutOnResetAndWhenItGoesAway) {
    HKEY raw = nullptr;
    {
        kest::UniqueHKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, ScratchKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, key.put(), nullptr));
        raw = key.get();
        EXPECT_TRUE(keyHandleIsOpen(raw));
        HKEY* address = key.put();
        EXPECT_EQ(nullptr, *address);
        EXPECT_FALSE(keyHandleIsOpen(raw)) << "put() closes the key it held";

        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, ScratchKeyPath, 0, KEY_READ, address));
        raw = key.get();
        kest::UniqueHKey moved(std::move(key));
        EXPECT_FALSE(key);
        EXPECT_EQ(raw, moved.get());
        EXPECT_TRUE(keyHandleIsOpen(raw));
    }
    EXPECT_FALSE(keyHandleIsOpen(raw)) << "the owner closes the key when it goes away";
    RegDeleteKeyW(HKEY_CURRENT_USER, ScratchKeyPath);
}

TEST(OwnerTest, KernelHandleOwnerReleasesWithoutClosing) {
    kest::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.release();
    EXPECT_FALSE(event);
    EXPECT_TRUE(SetEvent(raw));
    kest::UniqueKernelHandle again(raw);
    again.reset();
    EXPECT_FALSE(SetEvent(raw));
}

TEST(OwnerTest, BstrHoldsEmbeddedNullsAndNullMeansEmpty) {
    const std::wstring text(L"a\0b", 3);
    kest::Bstr value(text);
    EXPECT_EQ(3u, SysStringLen(value.get()));
    EXPECT_EQ(text, value.str());
    kest::Bstr empty;
    EXPECT_EQ(std::wstring(), empty.str());
    kest::Variant variant(L"text");
    EXPECT_EQ(VT_BSTR, variant.get().vt);
    EXPECT_EQ(L"text", variant.str());
    kest::Variant number(7L);
    EXPECT_EQ(std::wstring(), number.str());
}

}  // namespace
