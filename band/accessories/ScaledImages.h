#pragma once
// The band's bitmaps are made for 100, 150 and 200 percent display scale. A window shows the
// largest set that fits where it goes, up to the one made for the scale nearest its DPI (a tie
// takes the larger), never a stretched copy.
#include "UniqueHandle.h"
#include <string>

namespace kest {

// The display scales the images are made for, in percent.
enum class ImageScale { Percent100 = 100, Percent150 = 150, Percent200 = 200 };

ImageScale imageScaleForDpi(UINT dpi) noexcept;
// The resource of the image made for scale: a numbered image adds 100 (150 percent) or 200
// (200 percent) to its id, a named one appends "150" or "200" to its name.
int scaledImageId(int id, ImageScale scale) noexcept;
std::wstring scaledImageName(const std::wstring& name, ImageScale scale);

// The largest scale, up to imageScaleForDpi(dpi), whose image of the resource is made and
// at most limit pixels high; 100 percent when none is.
ImageScale fittingImageScale(HINSTANCE module, int id, UINT dpi, int limit);
ImageScale fittingImageScale(HINSTANCE module, const std::wstring& name, UINT dpi, int limit);

// The bitmap made for scale, or the 100 percent one when no other is made; null when neither is.
UniqueHBitmap loadScaledBitmap(HINSTANCE module, int id, ImageScale scale, UINT flags = 0);
UniqueHBitmap loadScaledBitmap(HINSTANCE module, const std::wstring& name, ImageScale scale, UINT flags = 0);
// 0 x 0 for null.
SIZE bitmapSize(HBITMAP bitmap) noexcept;

}  // namespace kest
