#include "DefaultScanLocations.h"
#include "ComPtr.h"
#include "SettingsNames.h"
#include <shlobj.h>

namespace kest {

bool buildDefaultScanLocations(StringList& locations) {
    ComPtr<IMalloc> shellAllocator;
    if (FAILED(SHGetMalloc(shellAllocator.put())) || !shellAllocator) return false;
    const int folders[] = {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY};
    for (const int folder : folders) {
        LPITEMIDLIST itemList = nullptr;
        const HRESULT located = SHGetSpecialFolderLocation(nullptr, folder, &itemList);
        wchar_t path[MAX_PATH] = {};
        if (located == S_OK && itemList && SHGetPathFromIDListW(itemList, path) && path[0])
            locations.emplace_back(path);
        if (itemList) shellAllocator->Free(itemList);
    }
    return true;
}

ScanLocationsResult readScanLocationsInstallingDefaults(StringList& locations) {
    ReadStringListKey(ScanPathsKeyPath, locations);
    if (!locations.empty()) return ScanLocationsResult::Read;
    if (!buildDefaultScanLocations(locations)) return ScanLocationsResult::NoShellAllocator;
    WriteStringListKey(ScanPathsKeyPath, locations);
    return ScanLocationsResult::DefaultsInstalled;
}

}  // namespace kest
