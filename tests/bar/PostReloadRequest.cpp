// A second process that asks a running band to reload, as the settings program does.
#include <windows.h>

int main() {
    HWND band = FindWindowW(L"BB676CE4-D76C-409b-9F4F-1ADC302DB669", nullptr);
    if (!band) return 1;
    return PostMessageW(band, WM_COMMAND, 3008, 0) ? 0 : 2;
}
