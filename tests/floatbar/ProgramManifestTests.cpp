// The manifests of the two programs, as Windows reads them from the built files: both declare
// per-monitor DPI awareness (version 2, with the older per-monitor fallback) and Windows 10
// among the systems they support; without these Windows stretches their windows as bitmaps.
#include "FloatBarProcess.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

namespace {

using kest::test::outputFile;

// The manifest resource (type 24, id 1) of a program, read as data; empty when missing.
std::string manifestOf(const wchar_t* program) {
    HMODULE module = LoadLibraryExW(outputFile(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::string();
    std::string text;
    if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const DWORD size = SizeofResource(module, resource);
        HGLOBAL loaded = LoadResource(module, resource);
        if (const void* data = loaded ? LockResource(loaded) : nullptr) text.assign(static_cast<const char*>(data), size);
    }
    FreeLibrary(module);
    return text;
}

// The element with the given namespace, whole: name, namespace attribute and content.
bool hasElement(const std::string& manifest, const std::string& name, const std::string& space,
                const std::string& content) {
    return manifest.find("<" + name + " xmlns=\"" + space + "\">" + content + "</" + name + ">") != std::string::npos;
}

class ProgramManifest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ProgramManifest, DeclaresPerMonitorV2DpiAwarenessWithTheOlderFallback) {
    const std::string manifest = manifestOf(GetParam());
    ASSERT_FALSE(manifest.empty());
    const size_t settings = manifest.find("<windowsSettings>");
    const size_t settingsEnd = manifest.find("</windowsSettings>");
    ASSERT_NE(std::string::npos, settings);
    ASSERT_NE(std::string::npos, settingsEnd);
    const std::string windowsSettings = manifest.substr(settings, settingsEnd - settings);
    EXPECT_TRUE(hasElement(windowsSettings, "dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                           "true/pm"));
    EXPECT_TRUE(hasElement(windowsSettings, "dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                           "PerMonitorV2, PerMonitor"));
    EXPECT_NE(std::string::npos, manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"));
}

TEST_P(ProgramManifest, ListsWindows10AmongTheSupportedSystems) {
    const std::string manifest = manifestOf(GetParam());
    const size_t compatibility = manifest.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
    ASSERT_NE(std::string::npos, compatibility);
    const size_t end = manifest.find("</compatibility>", compatibility);
    ASSERT_NE(std::string::npos, end);
    EXPECT_NE(std::string::npos, manifest.substr(compatibility, end - compatibility)
                                     .find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramManifest, ::testing::Values(L"kestconf.exe", L"kestfloat.exe"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return std::wstring(info.param) == L"kestconf.exe" ? std::string("kestconf")
                                                                               : std::string("kestfloat");
                         });

}  // namespace
