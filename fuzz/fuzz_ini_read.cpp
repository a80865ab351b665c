// Reading one key from arbitrary file bytes, under arbitrary section and key
// names: no crash, and exactly the value the plain line-by-line reading gives.

#include "ini_input.h"
#include "ini_model.h"
#include "scratch_file.h"

#include "settings/ini_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovira::fuzz;
  const IniInput input = DecodeIniInput(data, size, false);
  const std::string path = (ScratchDirectory() / "ToviraWatch.ini").string();
  WriteWholeFile(path, input.file);

  constexpr std::string_view kDefault = "ERROR";
  const std::string value = tovira::ReadProfileString(input.section, input.key, kDefault, path);
  Require(value.size() <= tovira::kMaxProfileValueLength, "a value holds at most 254 bytes");
  Require(value.find('\0') == std::string::npos, "a value holds no NUL");
  Require(value == ModelRead(input.file, input.section, input.key, kDefault), "the value is the layout's");
  Require(ReadWholeFile(path) == input.file, "reading leaves the file alone");
  return 0;
}
