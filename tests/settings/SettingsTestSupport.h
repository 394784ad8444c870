#pragma once
// A clean settings key for every test, and raw access to what the store wrote.
#include "SettingsNames.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>
#include <string>
#include <vector>

class SettingsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath); }

    static bool keyExists(const wchar_t* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static DWORD valueCount(const wchar_t* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD count = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return count;
    }
    static void setRaw(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static void setDword(const wchar_t* name, DWORD value) {
        setRaw(kest::SettingsKeyPath, name, REG_DWORD, &value, sizeof(value));
    }
    struct RawValue {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    static RawValue readRaw(const wchar_t* path, const wchar_t* name) {
        RawValue value;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
            value.present = true;
            value.data.resize(size);
            RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }
    static void expectDword(const wchar_t* name, DWORD expected) {
        const RawValue value = readRaw(kest::SettingsKeyPath, name);
        ASSERT_TRUE(value.present) << "missing value";
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.type);
        ASSERT_EQ(4u, value.data.size());
        DWORD stored = 0;
        memcpy(&stored, value.data.data(), 4);
        EXPECT_EQ(expected, stored);
    }
};
