// The files of the program on Windows: the settings through the system's own
// profile calls, tick.wav, and the folders they live in. Paths are in the
// process code page, as the profile calls take them; the program's manifest makes
// it UTF-8 (activeCodePage, Windows 10 1903 and later), so they name any folder.
// The rest is done with the wide calls, which take any path whatever the code page.

#include "settings/ini_profile.h"
#include "settings/program_directory.h"
#include "settings/program_files.h"
#include "settings/user_files.h"

#include <windows.h>
// windows.h names the system's own win.ini call WriteProfileString; ours is another.
#undef WriteProfileString
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tovira {
namespace {

constexpr DWORD kProfileBufferSize = 255;

// The text in the process code page; with `exact`, nothing when a character has
// no place in it, otherwise '?' there (never a best-fit look-alike, which could
// name another folder).
std::optional<std::string> ToCodePage(const std::wstring& wide, bool exact) {
  // UTF-8 takes no best-fit flag and reports no default character.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = !utf8 ? WC_NO_BEST_FIT_CHARS : exact ? WC_ERR_INVALID_CHARS : 0;
  BOOL lossy = FALSE;
  BOOL* const usedDefault = exact && !utf8 ? &lossy : nullptr;
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, usedDefault);
  if (size <= 0 && length > 0) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), length, narrow.data(), size, nullptr, usedDefault);
  if (lossy) return std::nullopt;
  return narrow;
}

// Windows releases before 10 1903 (LTSC 2019 among them, still supported) ignore
// activeCodePage and keep the ANSI code page: a folder whose name it lacks is then
// given by its short 8.3 form, plain ASCII, where the volume keeps one.
std::optional<std::string> NarrowPath(const std::wstring& path) {
  if (std::optional<std::string> narrow = ToCodePage(path, true)) return narrow;
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring shortPath(size, L'\0');
  shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), size));
  return ToCodePage(shortPath, true);
}

std::wstring WidePath(const std::string& path) {
  const int length = static_cast<int>(path.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, path.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), length, wide.data(), size);
  return wide;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateOrFindDirectory(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

struct CloseHandleOnExit {
  HANDLE handle;
  ~CloseHandleOnExit() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

struct CoTaskMemFreeOnExit {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

}  // namespace

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              const std::string& path) {
  std::array<char, kProfileBufferSize> buffer{};
  const std::string sectionText(section), keyText(key), defaultText(defaultValue);
  const DWORD length = GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), defaultText.c_str(),
                                                buffer.data(), kProfileBufferSize, path.c_str());
  return std::string(buffer.data(), length);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path) {
  const std::string sectionText(section), keyText(key), valueText(value);
  return WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(), path.c_str()) != 0;
}

// The known folder, not %APPDATA%: the environment is the C runtime's copy in
// the ANSI code page, and may be changed or missing. Not verified, so that a
// redirected folder that does not exist yet is still named.
std::string UserConfigurationFolder() {
  wchar_t* folder = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder);
  const std::unique_ptr<wchar_t, CoTaskMemFreeOnExit> owned(folder);
  if (FAILED(result) || folder == nullptr) return {};
  return NarrowPath(folder).value_or(std::string());
}

// Permissions on Windows are access lists that only an attempt tells apart: a
// file is made in the folder and removed again.
bool MayWriteDirectory(const std::string& path) {
  const std::wstring probe = WidePath(path) + L"\\.tovira-write-test-" + std::to_wstring(GetCurrentProcessId());
  const CloseHandleOnExit file{CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
  return file.handle != INVALID_HANDLE_VALUE;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// From the deepest folder up to the first that exists, or that is a drive's or a
// share's root (which cannot be created and reports no missing parent), then
// down again creating each: no root has to be told apart by its form.
bool MakeUserDirectories(const std::string& path) {
  const std::wstring target = WidePath(path);
  std::vector<std::wstring> missing;
  for (std::wstring folder = target; !CreateOrFindDirectory(folder);) {
    const DWORD error = GetLastError();
    const std::size_t parentEnd = folder.find_last_of(L"\\/");
    if (error != ERROR_PATH_NOT_FOUND || parentEnd == std::wstring::npos || parentEnd == 0) return false;
    missing.push_back(folder);
    folder.resize(parentEnd);
  }
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
    if (!CreateOrFindDirectory(*folder)) return false;
  }
  return IsDirectory(target);
}

std::optional<std::vector<std::byte>> ReadRegularFile(const std::string& path) {
  // Named pipes and devices are not opened: only a file on disk is read.
  const CloseHandleOnExit file{CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE || GetFileType(file.handle) != FILE_TYPE_DISK) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.handle, &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
  std::vector<std::byte> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr)) {
      return std::nullopt;
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

// A folder no narrow name reaches (only where the code page is not UTF-8) is
// given with '?' in place of what it lacks: a name no folder has, so that the
// settings go to the user's own folder and start-up reports the missing files.
std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw std::runtime_error("the program's directory is unknown");
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::wstring directory = path.substr(0, path.find_last_of(L'\\'));
  if (std::optional<std::string> narrow = NarrowPath(directory)) return *narrow;
  if (std::optional<std::string> lossy = ToCodePage(directory, false)) return *lossy;
  throw std::runtime_error("the program's directory has no narrow name");
}

}  // namespace tovira
