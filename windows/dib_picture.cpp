#include "windows/dib_picture.h"

#include "common/failure.h"
#include "windows/resource_ids.h"

namespace tovira::win32 {

DibPicture::DibPicture(int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc_ || !bitmap_) RaiseFault("no memory for a picture");
  bits_ = static_cast<std::uint32_t*>(bits);
  selection_ = std::make_unique<SelectedObject>(dc_.get(), bitmap_.get());
}

DibPicture LoadBitmapResource(HMODULE module, int id) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_BITMAP));
  const auto* info = resource ? static_cast<const BITMAPINFO*>(LockResource(LoadResource(module, resource))) : nullptr;
  if (!info) RaiseFault("a bitmap resource is missing");
  // A resource bitmap is a packed DIB: the header, its colour table, then the pixels.
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
  const auto* pixels = reinterpret_cast<const BYTE*>(info) + header.biSize + colours * sizeof(RGBQUAD);
  const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  DibPicture picture(header.biWidth, height);
  if (SetDIBitsToDevice(picture.dc(), 0, 0, header.biWidth, height, 0, 0, 0, height, pixels, info,
                        DIB_RGB_COLORS) != height) {
    RaiseFault("a bitmap resource cannot be decoded");
  }
  return picture;
}

int ArtworkRatioForDpi(unsigned dpi) { return dpi * 2 >= USER_DEFAULT_SCREEN_DPI * 3 ? 2 : 1; }

DialPictures LoadDialPictures(HMODULE module, int ratio) {
  const bool doubled = ratio == 2;
  return DialPictures{ratio, LoadBitmapResource(module, doubled ? TOVIRA_DIAL_FACE_2X_BITMAP : TOVIRA_DIAL_FACE_BITMAP),
                      LoadBitmapResource(module, doubled ? TOVIRA_DIGITS_2X_BITMAP : TOVIRA_DIGITS_BITMAP)};
}

}  // namespace tovira::win32
