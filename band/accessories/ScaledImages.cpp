#include "ScaledImages.h"
#include "Dpi.h"
#include <cstdlib>

namespace kest {

namespace {

HBITMAP loadBitmap(HINSTANCE module, const wchar_t* resource, UINT flags) noexcept {
    return static_cast<HBITMAP>(LoadImageW(module, resource, IMAGE_BITMAP, 0, 0, flags));
}

// resourceOf(scale) names the image made for scale.
template <typename ResourceOf>
ImageScale fittingScale(HINSTANCE module, ResourceOf resourceOf, UINT dpi, int limit) {
    const ImageScale largest = imageScaleForDpi(dpi);
    for (ImageScale scale : {ImageScale::Percent200, ImageScale::Percent150}) {
        if (static_cast<int>(scale) > static_cast<int>(largest)) continue;
        const UniqueHBitmap image(loadBitmap(module, resourceOf(scale), 0));
        if (image && bitmapSize(image.get()).cy <= limit) return scale;
    }
    return ImageScale::Percent100;
}

}  // namespace

ImageScale imageScaleForDpi(UINT dpi) noexcept {
    const int percent = MulDiv(static_cast<int>(dpi), 100, DefaultDpi);
    ImageScale best = ImageScale::Percent100;
    for (ImageScale scale : {ImageScale::Percent150, ImageScale::Percent200}) {
        if (std::abs(percent - static_cast<int>(scale)) <= std::abs(percent - static_cast<int>(best))) best = scale;
    }
    return best;
}

int scaledImageId(int id, ImageScale scale) noexcept {
    switch (scale) {
    case ImageScale::Percent150:
        return id + 100;
    case ImageScale::Percent200:
        return id + 200;
    default:
        return id;
    }
}

std::wstring scaledImageName(const std::wstring& name, ImageScale scale) {
    if (scale == ImageScale::Percent100) return name;
    return name + std::to_wstring(static_cast<int>(scale));
}

ImageScale fittingImageScale(HINSTANCE module, int id, UINT dpi, int limit) {
    return fittingScale(
        module, [id](ImageScale scale) { return MAKEINTRESOURCEW(scaledImageId(id, scale)); }, dpi, limit);
}

ImageScale fittingImageScale(HINSTANCE module, const std::wstring& name, UINT dpi, int limit) {
    std::wstring scaled;
    return fittingScale(
        module,
        [&](ImageScale scale) {
            scaled = scaledImageName(name, scale);
            return scaled.c_str();
        },
        dpi, limit);
}

UniqueHBitmap loadScaledBitmap(HINSTANCE module, int id, ImageScale scale, UINT flags) {
    UniqueHBitmap bitmap(loadBitmap(module, MAKEINTRESOURCEW(scaledImageId(id, scale)), flags));
    if (!bitmap) bitmap.reset(loadBitmap(module, MAKEINTRESOURCEW(id), flags));
    return bitmap;
}

UniqueHBitmap loadScaledBitmap(HINSTANCE module, const std::wstring& name, ImageScale scale, UINT flags) {
    const std::wstring scaled = scaledImageName(name, scale);
    UniqueHBitmap bitmap(loadBitmap(module, scaled.c_str(), flags));
    if (!bitmap) bitmap.reset(loadBitmap(module, name.c_str(), flags));
    return bitmap;
}

SIZE bitmapSize(HBITMAP bitmap) noexcept {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace kest
