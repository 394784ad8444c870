#include "SolidIconFile.h"
#include "FileBytes.h"
#include <cstdint>

namespace kesttest {

bool writeSolidIconFile(const std::wstring& path, COLORREF color) {
    constexpr int Side = 16;
    constexpr uint32_t ImageBytes = sizeof(BITMAPINFOHEADER) + Side * Side * 4 + Side * 4;  // colours, then the mask
    std::string bytes;
    const auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
    };
    put(0, 2), put(1, 2), put(1, 2);                             // icon directory: one image
    put(Side, 1), put(Side, 1), put(0, 1), put(0, 1);            // its entry
    put(1, 2), put(32, 2), put(ImageBytes, 4), put(6 + 16, 4);
    put(sizeof(BITMAPINFOHEADER), 4), put(Side, 4), put(2 * Side, 4);  // the image: height covers the mask
    put(1, 2), put(32, 2), put(BI_RGB, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    const uint32_t pixel = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < Side * Side; ++i) put(pixel, 4);
    for (int i = 0; i < Side; ++i) put(0, 4);                    // the mask: every pixel shown
    return writeFileBytes(path, bytes);
}

}  // namespace kesttest
