// Writing one key into arbitrary file bytes, then reading it back. A write the
// layout can hold succeeds; afterwards the key reads back as written, every other
// key of the file reads as before, the bytes changed lie within one line, added
// lines follow the file's line endings, and no temporary file is left. A refused
// write leaves the file byte for byte as it was.

#include "ini_input.h"
#include "ini_model.h"
#include "scratch_file.h"

#include "settings/ini_profile.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

using namespace tovira::fuzz;

constexpr std::size_t kMaxComparedKeys = 64;

std::string_view FirstLineBreak(std::string_view file) {
  const std::size_t at = file.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\n";
  return file.substr(at, file.substr(at).starts_with("\r\n") ? 2 : 1);
}

// Added lines end in the file's first line break: counted in bytes, an LF file
// gains no CR, a CR file no LF, a CRLF file as many of each.
bool LineEndsFollowTheFile(std::string_view before, std::string_view after) {
  const auto added = [&](char c) { return std::ranges::count(after, c) - std::ranges::count(before, c); };
  const std::string_view lineBreak = FirstLineBreak(before);
  if (lineBreak == "\n") return added('\r') == 0;
  if (lineBreak == "\r") return added('\n') == 0;
  return added('\r') == added('\n');
}

// The (section, key) names found in the file that a caller can ask for, for comparing
// before and after. A name cut at a NUL may end in blanks; every lookup drops those,
// so such a name cannot be asked for.
std::set<std::pair<std::string, std::string>> NamedKeys(const std::vector<ModelLine>& lines) {
  std::set<std::pair<std::string, std::string>> names;
  std::string_view section;
  for (const ModelLine& line : lines) {
    if (names.size() == kMaxComparedKeys) break;
    if (line.kind == ModelLine::Kind::Header) section = line.name;
    if (line.kind != ModelLine::Kind::Other && line.kind != ModelLine::Kind::Header && CanNameKey(line.name) &&
        TrimBlanks(line.name) == line.name && TrimBlanks(section) == section) {
      names.emplace(std::string(section), std::string(line.name));
    }
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const IniInput input = DecodeIniInput(data, size, true);
  ClearScratchDirectory();
  const std::string path = (ScratchDirectory() / "ToviraWatch.ini").string();
  WriteWholeFile(path, input.file);

  const bool written = tovira::WriteProfileString(input.section, input.key, input.value, path);
  const std::string after = ReadWholeFile(path);
  Require(ScratchEntries().size() == 1, "no temporary file is left behind");
  const bool representable =
      CanNameSection(input.section) && CanNameKey(input.key) && !HasLineBreakOrNul(input.value);
  Require(written == representable, "a write fails only for names or values the layout cannot hold");
  if (!written) {
    Require(after == input.file, "a refused write leaves the file as it was");
    return 0;
  }

  const std::string expected = ReadableValue(input.value);
  Require(tovira::ReadProfileString(input.section, input.key, "\x01", path) == expected,
          "the key reads back as written");

  const auto beforeLines = ParseModel(input.file);
  const auto afterLines = ParseModel(after);
  Require(ModelLookup(afterLines, input.section, input.key) == expected, "the written line has the layout");
  for (const auto& [section, key] : NamedKeys(beforeLines)) {
    if (SameName(section, TrimBlanks(input.section)) && SameName(key, TrimBlanks(input.key))) continue;
    Require(ModelLookup(beforeLines, section, key) == ModelLookup(afterLines, section, key),
            "every other key keeps its value");
  }

  Require(ChangedBytes(input.file, after).find_first_of("\r\n") == std::string_view::npos,
          "every other line is kept byte for byte");
  Require(LineEndsFollowTheFile(input.file, after), "added lines end as the file's first line does");
  return 0;
}
