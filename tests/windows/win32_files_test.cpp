// The Windows file adapters under the program's own manifest, so that narrow
// paths are UTF-8 as in the program: folders made with every missing parent
// whatever their names and length, and files found and read by any name.

#include "settings/program_files.h"
#include "settings/user_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tovira {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  return text;
}

struct FindCloseOnExit {
  void operator()(HANDLE search) const { FindClose(search); }
};

// Paths beyond 260 characters, which the standard library's removal does not take
// here, with the prefix that lifts the limit.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const std::unique_ptr<void, FindCloseOnExit> search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  for (bool more = search.get() != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search.get(), &entry)) {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(folder + L"\\" + name);
    } else {
      DeleteFileW((folder + L"\\" + name).c_str());
    }
  }
  RemoveDirectoryW(folder.c_str());
}

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp))) /
            (L"tovira-files-" + std::to_wstring(GetCurrentProcessId()) + L"-" + fs::path(test->name()).wstring());
    fs::create_directory(root_);
  }
  void TearDown() override { RemoveTree(L"\\\\?\\" + root_.wstring()); }

  // The narrow path the adapters take, of a path inside the scratch folder.
  std::string path(const std::string& inside) const { return Utf8(root_.wstring()) + "\\" + inside; }

  fs::path root_;
};

TEST_F(Win32Files, TheProcessCodePageIsUtf8) { EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)); }

TEST_F(Win32Files, FoldersAreMadeWithEveryMissingParent) {
  std::string deep;
  for (int i = 0; i < 14; ++i) deep += "\\twenty-characters-xx";
  std::ofstream(root_ / "a file") << "in the way";
  struct Case {
    const char* what;
    std::string inside;
    bool made;
  };
  const Case cases[] = {
      {"names no ANSI code page holds", "Użytkownik Ωmega\\ユーザー\\AppData\\Roaming\\ToviraWatch", true},
      {"one that exists", "Użytkownik Ωmega", true},
      {"a separator at the end", "Łódź\\タイマー\\", true},
      {"beyond 260 characters", "long" + deep, true},
      {"a file where a folder should be", "a file\\ToviraWatch", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MakeUserDirectories(path(c.inside)), c.made);
    EXPECT_EQ(PathExists(path(c.inside)), c.made);
    EXPECT_EQ(MayWriteDirectory(path(c.inside)), c.made);
  }
}

TEST_F(Win32Files, AFileIsReadByAnyName) {
  fs::create_directory(root_ / L"タイマー");
  std::ofstream(root_ / L"タイマー" / L"tick.wav", std::ios::binary) << "RIFF";
  const std::optional<std::vector<std::byte>> bytes = ReadRegularFile(path("タイマー\\tick.wav"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 4u);
  EXPECT_FALSE(ReadRegularFile(path("タイマー")).has_value()) << "a folder is no file";
}

}  // namespace
}  // namespace tovira
