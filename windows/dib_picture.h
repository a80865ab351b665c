#pragma once
// Pictures in memory that GDI draws on and the program reads pixel by pixel: 32-bit
// top-down DIB sections, each selected into a memory device context of its own.
// The artwork the program carries is loaded into them from its bitmap resources.

#include "windows/win32_handle.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

namespace tovira::win32 {

class DibPicture {
 public:
  // Black until drawn on.
  DibPicture(int width, int height);
  DibPicture(DibPicture&&) = default;
  // Members assigned one by one would delete the context while it holds the bitmap.
  DibPicture& operator=(DibPicture&&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // 0x00RRGGBB per pixel, rows top first. GDI may still be drawing: GdiFlush() first.
  std::span<std::uint32_t> pixels() const { return {bits_, static_cast<std::size_t>(width_) * height_}; }

 private:
  int width_;
  int height_;
  UniqueDeviceContext dc_;
  UniqueBitmap bitmap_;
  std::uint32_t* bits_ = nullptr;
  // Declared last: the bitmap leaves the context before either is deleted.
  std::unique_ptr<SelectedObject> selection_;
};

// A bitmap resource of the module (any depth, RLE-compressed or not) as a picture.
// Raises a Fault when the module lacks it or GDI cannot decode it.
DibPicture LoadBitmapResource(HMODULE module, int id);

// The dial's pictures for one pixel density: the face and the digit strip at the
// same ratio of device pixels to the desktop's device-independent pixels.
struct DialPictures {
  int ratio;
  DibPicture face;
  DibPicture digits;
};

// The artwork drawn for the density nearest above a monitor's: the doubled pictures
// from one and a half times the usual 96 dots per inch upwards.
int ArtworkRatioForDpi(unsigned dpi);
DialPictures LoadDialPictures(HMODULE module, int ratio);

}  // namespace tovira::win32
