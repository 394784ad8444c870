// The band module's exports, class factory and self-registration, through LoadLibrary.
#include "BandModuleSupport.h"
#include <olectl.h>
#include <shlobj.h>
#include <vector>

namespace kest::test {
namespace {

class BandExports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.loaded()); }
    ComInitialization com;
    BandModule module;
};

TEST_F(BandExports, OtherClassIdIsNotAvailableAndLeavesOutNull) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.getClassObject(CLSID_ShellLink, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(BandExports, FactoryAnswersIUnknownAndIClassFactoryOnly) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(module.getClassObject(BandClassId, IID_IUnknown, unknown.putVoid()), S_OK);
    EXPECT_TRUE(unknown);
    ComPtr<IClassFactory> factory = unknown.query<IClassFactory>();
    EXPECT_TRUE(factory);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.getClassObject(BandClassId, IID_IDeskBand, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(IID_IClassFactory2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(BandExports, CreateInstanceRefusesAggregation) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.getClassObject(BandClassId, IID_IClassFactory, factory.putVoid()), S_OK);
    ComPtr<IUnknown> outer = module.createBand();
    ASSERT_TRUE(outer);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
}

TEST_F(BandExports, LockServerIsNotImplemented) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.getClassObject(BandClassId, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
    factory.reset();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
}

TEST_F(BandExports, CanUnloadOnlyWhenNoFactoryLives) {
    EXPECT_EQ(module.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.getClassObject(BandClassId, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    factory.reset();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
}

TEST_F(BandExports, CanUnloadOnlyWhenNoBandLives) {
    ComPtr<IUnknown> band = module.createBand();
    ASSERT_TRUE(band);
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    ComPtr<IDeskBand> second = band.query<IDeskBand>();
    band.reset();
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    second.reset();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
}

TEST_F(BandExports, RefusedInterfaceDestroysTheNewBand) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module.getClassObject(BandClassId, IID_IClassFactory, factory.putVoid()), S_OK);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    factory.reset();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
}

// Reads a REG_SZ value; nullopt-like empty with found false when missing.
bool readString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& value) {
    wchar_t buffer[512] = L"";
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ) return false;
    value = buffer;
    return true;
}

bool keyExists(HKEY root, const std::wstring& path) {
    UniqueHKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

const std::wstring ClassKey = std::wstring(L"CLSID\\") + BandClassIdText;
const wchar_t ApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::wstring CategoryKey = ClassKey + L"\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}";

std::wstring modulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

class BandRegistration : public BandExports {
protected:
    void expectRegistered() {
        std::wstring value;
        ASSERT_TRUE(readString(HKEY_CLASSES_ROOT, ClassKey, nullptr, value));
        EXPECT_EQ(value, L"Kestrune");
        ASSERT_TRUE(readString(HKEY_CLASSES_ROOT, ClassKey + L"\\InProcServer32", nullptr, value));
        EXPECT_EQ(_wcsicmp(value.c_str(), modulePath(module.handle()).c_str()), 0) << value;
        ASSERT_TRUE(readString(HKEY_CLASSES_ROOT, ClassKey + L"\\InProcServer32", L"ThreadingModel", value));
        EXPECT_EQ(value, L"Apartment");
        ASSERT_TRUE(readString(HKEY_LOCAL_MACHINE, ApprovedKey, BandClassIdText, value));
        EXPECT_EQ(value, L"Kestrune");
        EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, CategoryKey));
    }
    void expectUnregistered() {
        std::wstring value;
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ClassKey));
        EXPECT_FALSE(readString(HKEY_LOCAL_MACHINE, ApprovedKey, BandClassIdText, value));
    }
};

TEST_F(BandRegistration, RegisteringTwiceWritesTheSameKeys) {
    ASSERT_EQ(module.registerServer(), S_OK);
    expectRegistered();
    ASSERT_EQ(module.registerServer(), S_OK);
    expectRegistered();
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, (ClassKey + L"\\InProcServer32").c_str(), 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, 2u);
}

TEST_F(BandRegistration, UnregisteringTwiceSucceeds) {
    ASSERT_EQ(module.registerServer(), S_OK);
    EXPECT_EQ(module.unregisterServer(), S_OK);
    expectUnregistered();
    EXPECT_EQ(module.unregisterServer(), S_OK);
    expectUnregistered();
}

TEST_F(BandRegistration, RegisteredClassIsCreatedByCoCreateInstance) {
    ASSERT_EQ(module.registerServer(), S_OK);
    ComPtr<IDeskBand> band;
    EXPECT_EQ(CoCreateInstance(BandClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IDeskBand, band.putVoid()), S_OK);
    EXPECT_TRUE(band);
}

// Runs a program of the system folder or the output folder and returns its exit code.
DWORD runProgram(const std::wstring& commandLine, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueKernelHandle readEnd, writeEnd;
    if (output && !CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) return 0xFFFFFFFF;
    if (output) SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{sizeof(startup)};
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd.get();
        startup.hStdError = writeEnd.get();
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup,
                        &process))
        return 0xFFFFFFFF;
    UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writeEnd.reset();
    if (output) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) output->append(buffer, read);
    }
    if (WaitForSingleObject(processHandle.get(), 120000) != WAIT_OBJECT_0) {
        TerminateProcess(processHandle.get(), 99);
        return 0xFFFFFFFE;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    return code;
}

std::wstring systemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(L"\"") + folder + L"\\" + name + L"\"";
}

TEST_F(BandRegistration, Regsvr32RegistersAndUnregisters) {
    module.unregisterServer();
    const std::wstring dll = L"\"" + outputFile(L"kestbar.dll") + L"\"";
    ASSERT_EQ(runProgram(systemProgram(L"regsvr32.exe") + L" /s " + dll), 0u);
    expectRegistered();
    ASSERT_EQ(runProgram(systemProgram(L"regsvr32.exe") + L" /s /u " + dll), 0u);
    expectUnregistered();
}

class BandHostRun : public BandRegistration {};

TEST_F(BandHostRun, HostRunsTheBandAndLeavesTheModuleUnloadable) {
    ASSERT_EQ(module.registerServer(), S_OK);
    std::string output;
    const DWORD code = runProgram(L"\"" + outputFile(L"kesthost.exe") + L"\" --seconds 2", &output);
    EXPECT_EQ(code, 0u) << output;
    EXPECT_NE(output.find("band created"), std::string::npos) << output;
    EXPECT_NE(output.find("SetSite: 0x00000000"), std::string::npos) << output;
    EXPECT_NE(output.find("GetBandInfo: 0x00000000, minimum " +
                              std::to_string(GetSystemMetrics(SM_CXSCREEN) / 20) + " x 22"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("band window shown"), std::string::npos) << output;
    EXPECT_NE(output.find("DllCanUnloadNow after the last Release: S_OK"), std::string::npos) << output;
}

}  // namespace
}  // namespace kest::test
