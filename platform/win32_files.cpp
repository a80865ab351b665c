// The files of the program on Windows: the settings through the system's own
// profile calls, tick.wav, and the folders they live in. Paths are in the ANSI
// code page, as the profile calls take them.

#include "settings/ini_profile.h"
#include "settings/program_directory.h"
#include "settings/program_files.h"
#include "settings/user_files.h"

#include <windows.h>
// windows.h names the system's own win.ini call WriteProfileString; ours is another.
#undef WriteProfileString
#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <memory>
#include <stdexcept>

namespace tovira {
namespace {

constexpr DWORD kProfileBufferSize = 255;

// A path with a character the ANSI code page lacks is given by its short (8.3)
// form, whose names are plain ASCII, so the narrow calls still find the file.
std::string NarrowPath(const std::wstring& path) {
  BOOL lossy = FALSE;
  const auto convert = [&](const std::wstring& wide) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), size, nullptr, &lossy);
    narrow.resize(narrow.size() - 1);
    return narrow;
  };
  std::string narrow = convert(path);
  if (!lossy) return narrow;
  std::array<wchar_t, MAX_PATH> shortPath{};
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
  if (length == 0 || length >= shortPath.size()) return narrow;
  return convert(std::wstring(shortPath.data(), length));
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
  return NarrowPath(folder);
}

// Permissions on Windows are access lists that only an attempt tells apart: a
// file is made in the folder and removed again.
bool MayWriteDirectory(const std::string& path) {
  const std::string probe = path + "\\.tovira-write-test-" + std::to_string(GetCurrentProcessId());
  const CloseHandleOnExit file{CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
  return file.handle != INVALID_HANDLE_VALUE;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeUserDirectories(const std::string& path) {
  for (std::size_t end = path.find('\\', 3);; end = path.find('\\', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (end == std::string::npos) break;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<std::byte>> ReadRegularFile(const std::string& path) {
  // Named pipes and devices are not opened: only a file on disk is read.
  const CloseHandleOnExit file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr)};
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
  return NarrowPath(path.substr(0, path.find_last_of(L'\\')));
}

}  // namespace tovira
