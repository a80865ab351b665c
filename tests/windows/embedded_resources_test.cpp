// What ToviraWatch.exe carries, loaded through the calls the program uses, against
// the committed files: the bitmaps, as the program decodes them, against raw RGB dumps of the PNGs, each
// icon size's pixels and alpha against RGBA dumps, the tick sound and the manifest
// byte for byte. Paths are Wine's view of the build tree (drive Z: is /).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "windows/dib_picture.h"
#include "windows/resource_ids.h"
#include "windows/win32_handle.h"

namespace tovira::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return {std::istreambuf_iterator<char>(file), {}};
}

HMODULE Program() {
  static const UniqueModule program(
      LoadLibraryExW(TOVIRA_PROGRAM, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  return program.get();
}

Bytes ResourceBytes(int id, const wchar_t* type) {
  HRSRC resource = FindResourceW(Program(), MAKEINTRESOURCEW(id), type);
  if (!resource) return {};
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(Program(), resource)));
  return {data, data + SizeofResource(Program(), resource)};
}

// A bitmap's pixels, top row first, 8-bit blue, green, red and alpha each.
Bytes Pixels(HBITMAP bitmap, int width, int height) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  Bytes pixels(std::size_t(width) * height * 4);
  const UniqueDeviceContext context(CreateCompatibleDC(nullptr));
  EXPECT_EQ(GetDIBits(context.get(), bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS), height);
  return pixels;
}

BITMAP Dimensions(HBITMAP bitmap) {
  BITMAP dimensions{};
  GetObjectW(bitmap, sizeof dimensions, &dimensions);
  return dimensions;
}

// The first pixel that differs, or -1; pixels of `reference` are `channels` bytes, RGB(A).
long FirstDifferentPixel(const Bytes& bgra, const Bytes& reference, int channels) {
  for (std::size_t pixel = 0; pixel * channels < reference.size(); ++pixel) {
    const std::uint8_t* wanted = &reference[pixel * channels];
    const std::uint8_t* got = &bgra[pixel * 4];
    const bool transparent = channels == 4 && wanted[3] == 0;  // no colour to compare
    if ((channels == 4 && got[3] != wanted[3]) ||
        (!transparent && (got[2] != wanted[0] || got[1] != wanted[1] || got[0] != wanted[2]))) {
      return static_cast<long>(pixel);
    }
  }
  return -1;
}

struct Artwork {
  int id;
  const char* name;
  int width;
  int height;
};

void PrintTo(const Artwork& artwork, std::ostream* out) { *out << artwork.name; }

class EmbeddedBitmap : public testing::TestWithParam<Artwork> {};

// Stored in 8 bits, run-length encoded, and decoded to every pixel as drawn.
TEST_P(EmbeddedBitmap, HasThePicturesPixels) {
  const Artwork& artwork = GetParam();
  const Bytes stored = ResourceBytes(artwork.id, RT_BITMAP);
  ASSERT_GE(stored.size(), sizeof(BITMAPINFOHEADER)) << artwork.name;
  BITMAPINFOHEADER header;
  std::memcpy(&header, stored.data(), sizeof header);
  EXPECT_EQ(header.biBitCount, 8);
  EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RLE8));

  const DibPicture picture = LoadBitmapResource(Program(), artwork.id);
  ASSERT_EQ(picture.width(), artwork.width);
  ASSERT_EQ(picture.height(), artwork.height);
  const Bytes reference = ReadFile(std::string(TOVIRA_REFERENCE_DIR "/") + artwork.name + ".rgb");
  ASSERT_EQ(reference.size(), std::size_t(artwork.width) * artwork.height * 3);
  GdiFlush();
  const auto* pixels = reinterpret_cast<const std::uint8_t*>(picture.pixels().data());
  const long different = FirstDifferentPixel(Bytes(pixels, pixels + picture.pixels().size_bytes()), reference, 3);
  EXPECT_EQ(different, -1) << "first at x " << different % artwork.width << ", y " << different / artwork.width;
}

// The 2x pictures are the 1x ones at twice the size, so a screen of twice the
// density shows the same layout.
INSTANTIATE_TEST_SUITE_P(Artwork, EmbeddedBitmap,
                         testing::Values(Artwork{TOVIRA_DIAL_FACE_BITMAP, "dial_face", 250, 250},
                                         Artwork{TOVIRA_DIAL_FACE_2X_BITMAP, "dial_face@2x", 500, 500},
                                         Artwork{TOVIRA_DIGITS_BITMAP, "digits", 150, 30},
                                         Artwork{TOVIRA_DIGITS_2X_BITMAP, "digits@2x", 300, 60}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           if (const auto at = name.find('@'); at != std::string::npos) name[at] = '_';
                           return name;
                         });

class EmbeddedIcon : public testing::TestWithParam<int> {};

// Windows picks the image of the exact size when there is one, and draws the
// edges with the picture's own alpha.
TEST_P(EmbeddedIcon, HasEachSizeWithItsAlpha) {
  const int size = GetParam();
  const auto icon = static_cast<HICON>(LoadImageW(Program(), MAKEINTRESOURCEW(TOVIRA_ICON), IMAGE_ICON, size, size, 0));
  ASSERT_TRUE(icon);
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  const UniqueBitmap color(parts.hbmColor);
  const UniqueBitmap mask(parts.hbmMask);
  DestroyIcon(icon);
  ASSERT_TRUE(color);
  EXPECT_EQ(Dimensions(color.get()).bmWidth, size);

  const Bytes reference = ReadFile(std::string(TOVIRA_REFERENCE_DIR "/icon_") + std::to_string(size) + ".rgba");
  ASSERT_EQ(reference.size(), std::size_t(size) * size * 4);
  const long different = FirstDifferentPixel(Pixels(color.get(), size, size), reference, 4);
  EXPECT_EQ(different, -1) << "first at x " << different % size << ", y " << different / size;
}

INSTANTIATE_TEST_SUITE_P(Sizes, EmbeddedIcon, testing::Values(16, 32, 48, 256));

TEST(EmbeddedFiles, TickSoundAndManifestAreTheFilesAsWritten) {
  EXPECT_EQ(ResourceBytes(TOVIRA_TICK_SOUND, RT_RCDATA), ReadFile(TOVIRA_TICK_SOUND_FILE));
  // Windows reads the program's manifest from resource 1 when it starts the program.
  EXPECT_EQ(ResourceBytes(1, RT_MANIFEST), ReadFile(TOVIRA_MANIFEST_FILE));
}

}  // namespace
}  // namespace tovira::win32
