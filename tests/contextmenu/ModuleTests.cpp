// The module's four exports: the class object, the unload check and self-registration.
#include "ContextMenuTestSupport.h"

namespace {

using namespace kesttest;

const std::wstring ClassKey = std::wstring(L"CLSID\\") + HandlerClassIdText;
const std::wstring FileHandlerKey = std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + HandlerClassIdText;
const std::wstring FolderHandlerKey = std::wstring(L"Folder\\shellex\\ContextMenuHandlers\\") + HandlerClassIdText;
constexpr const wchar_t* ApprovedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

std::wstring stringOf(const RawValue& value) {
    if (!value.present || value.data.size() < sizeof(wchar_t)) return L"<missing>";
    const auto* text = reinterpret_cast<const wchar_t*>(value.data.data());
    const size_t units = value.data.size() / sizeof(wchar_t);
    if (text[units - 1] != L'\0') return L"<no terminator>";
    return std::wstring(text, units - 1);
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, kestshx().handle); }
    kest::ComInitialization com_;
};

using ClassObject = ModuleTest;

TEST_F(ClassObject, OtherClassIdIsNotAvailableAndLeavesNull) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, kestshx().getClassObject(CLSID_ShellLink, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST_F(ClassObject, FactoryAnswersItsInterfacesOnly) {
    kest::ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, kestshx().getClassObject(HandlerClassId, IID_IUnknown, unknown.putVoid()));
    kest::ComPtr<IClassFactory> factory = unknown.query<IClassFactory>();
    ASSERT_TRUE(factory);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, kestshx().getClassObject(HandlerClassId, IID_IContextMenu, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IContextMenu, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_NOTIMPL, factory->LockServer(TRUE));
}

TEST_F(ClassObject, FactoryRefusesAggregationAndUnknownInterfaces) {
    kest::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, kestshx().getClassObject(HandlerClassId, IID_IClassFactory, factory.putVoid()));
    kest::ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, kestshx().getClassObject(HandlerClassId, IID_IUnknown, outer.putVoid()));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    kest::ComPtr<IShellExtInit> init;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, init.putVoid()));
    EXPECT_TRUE(init);
}

TEST_F(ClassObject, ModuleStaysWhileAFactoryOrAHandlerLives) {
    EXPECT_EQ(S_OK, kestshx().canUnloadNow());
    kest::ComPtr<IContextMenu> handler;
    {
        kest::ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, kestshx().getClassObject(HandlerClassId, IID_IClassFactory, factory.putVoid()));
        EXPECT_EQ(S_FALSE, kestshx().canUnloadNow());
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, handler.putVoid()));
    }
    EXPECT_EQ(S_FALSE, kestshx().canUnloadNow());
    handler.reset();
    EXPECT_EQ(S_OK, kestshx().canUnloadNow());
}

TEST_F(ClassObject, RefusedInterfaceLeavesNoObjectAlive) {
    kest::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, kestshx().getClassObject(HandlerClassId, IID_IClassFactory, factory.putVoid()));
    void* out = nullptr;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IPersist, &out));
    factory.reset();
    EXPECT_EQ(S_OK, kestshx().canUnloadNow());
}

class Registration : public ModuleTest {
protected:
    void TearDown() override { kestshx().unregisterServer(); }

    void expectRegistered() {
        EXPECT_EQ(L"KESTSHX", stringOf(readRaw(HKEY_CLASSES_ROOT, ClassKey.c_str(), nullptr)));
        const std::wstring server = ClassKey + L"\\InprocServer32";
        EXPECT_EQ(kestshx().path, stringOf(readRaw(HKEY_CLASSES_ROOT, server.c_str(), nullptr)));
        EXPECT_EQ(L"Apartment", stringOf(readRaw(HKEY_CLASSES_ROOT, server.c_str(), L"ThreadingModel")));
        const std::wstring icon = ClassKey + L"\\DefaultIcon";
        EXPECT_EQ(kestshx().path + L",0", stringOf(readRaw(HKEY_CLASSES_ROOT, icon.c_str(), nullptr)));
        EXPECT_EQ(L"KESTSHX", stringOf(readRaw(HKEY_CLASSES_ROOT, FileHandlerKey.c_str(), nullptr)));
        EXPECT_EQ(L"KESTSHX", stringOf(readRaw(HKEY_CLASSES_ROOT, FolderHandlerKey.c_str(), nullptr)));
        // Wine reports the NT family, so the shell's approval list is written.
        const RawValue approved = readRaw(HKEY_LOCAL_MACHINE, ApprovedKey, HandlerClassIdText);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), approved.type);
        EXPECT_EQ(L"KESTSHX", stringOf(approved));
    }
    void expectUnregistered() {
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ClassKey.c_str()));
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, FileHandlerKey.c_str()));
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, FolderHandlerKey.c_str()));
        EXPECT_FALSE(readRaw(HKEY_LOCAL_MACHINE, ApprovedKey, HandlerClassIdText).present);
    }
};

TEST_F(Registration, RegisteringTwiceWritesEveryKeyOnce) {
    EXPECT_EQ(S_OK, kestshx().registerServer());
    expectRegistered();
    EXPECT_EQ(S_OK, kestshx().registerServer());
    expectRegistered();
}

TEST_F(Registration, RegisteredClassIsCreatedThroughCom) {
    ASSERT_EQ(S_OK, kestshx().registerServer());
    kest::ComPtr<IContextMenu> handler;
    EXPECT_EQ(S_OK, CoCreateInstance(HandlerClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                     handler.putVoid()));
    EXPECT_TRUE(handler);
}

TEST_F(Registration, UnregisteringTwiceRemovesEverythingAndKeepsTheSettings) {
    setDword(SettingsKey, L"Show Run MenuItem", 0);
    setString(HistoryKey, L"C:\\x.exe", L"-v");
    ASSERT_EQ(S_OK, kestshx().registerServer());
    EXPECT_EQ(S_OK, kestshx().unregisterServer());
    expectUnregistered();
    EXPECT_EQ(S_OK, kestshx().unregisterServer());
    expectUnregistered();
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, ApprovedKey)) << "only our value is removed";
    EXPECT_TRUE(readRaw(HKEY_CURRENT_USER, SettingsKey, L"Show Run MenuItem").present);
    EXPECT_TRUE(readRaw(HKEY_CURRENT_USER, HistoryKey, L"C:\\x.exe").present);
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKey);
}

TEST(ModuleResources, VersionInformationNamesTheExtension) {
    const std::wstring path = kestshx().path;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(3, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 8), fixed->dwFileVersionLS);
    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT units = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &units) || !value)
            return std::wstring(L"<missing>");
        return std::wstring(value);
    };
    EXPECT_EQ(L"1.38", text(L"FileVersion"));
    EXPECT_EQ(L"KESTSHX", text(L"InternalName"));
    EXPECT_EQ(L"KESTSHX.DLL", text(L"OriginalFilename"));
}

TEST(ModuleResources, ManifestAsksForCommonControlsSix) {
    HMODULE module = kestshx().handle;
    ASSERT_NE(nullptr, module);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, data);
    const std::string manifest(data, SizeofResource(module, found));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Brindlewood.Kestrune.kestshx\""));
    EXPECT_NE(std::string::npos, manifest.find("<description>Context Menu for Kestrune.</description>"));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("publicKeyToken=\"6595b64144ccf1df\""));
}

}  // namespace
