#pragma once
// A deliberately plain reading of the INI layout (whole file in memory, line by
// line) to hold the streaming reader and writer against. It follows the layout
// documented in platform/ini_profile.h and shares no code with it.

#include "platform/ini_profile.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovira::fuzz {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

inline bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names the layout can hold at all, after their blanks are dropped.
inline bool CanNameSection(std::string_view section) {
  section = TrimBlanks(section);
  return !HasLineBreakOrNul(section) && section.find(']') == std::string_view::npos;
}
inline bool CanNameKey(std::string_view key) {
  key = TrimBlanks(key);
  return !key.empty() && key.front() != ';' && key.front() != '[' && !HasLineBreakOrNul(key) &&
         key.find('=') == std::string_view::npos;
}

// What a reader makes of a value's raw text: blanks dropped, cut to the limit, cut at a NUL.
inline std::string ReadableValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw).substr(0, kMaxProfileValueLength);
  return std::string(value.substr(0, value.find('\0')));
}

struct ModelLine {
  enum class Kind { Other, Header, Key } kind = Kind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // the raw text after "=" (key lines)
};

// The file's lines: a leading byte order mark skipped, lines split at LF, a CR
// right before the LF dropped with it.
inline std::vector<ModelLine> ParseModel(std::string_view file) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (file.starts_with(kBom)) file.remove_prefix(kBom.size());
  std::vector<ModelLine> lines;
  while (!file.empty()) {
    const std::size_t lineFeed = file.find('\n');
    std::string_view text = file.substr(0, lineFeed);
    if (lineFeed != std::string_view::npos && text.ends_with('\r')) text.remove_suffix(1);
    file.remove_prefix(lineFeed == std::string_view::npos ? file.size() : lineFeed + 1);

    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    ModelLine line;
    if (text.starts_with('[')) {
      const std::size_t close = text.find(']');
      if (close != std::string_view::npos) line = {ModelLine::Kind::Header, TrimBlanks(text.substr(1, close - 1)), {}};
    } else if (!text.starts_with(';')) {
      const std::size_t equals = text.find('=');
      if (equals != std::string_view::npos) {
        line = {ModelLine::Kind::Key, TrimBlanks(text.substr(0, equals)), text.substr(equals + 1)};
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// The key's value in the first section of that name; nothing when absent.
inline std::optional<std::string> ModelLookup(const std::vector<ModelLine>& lines, std::string_view section,
                                              std::string_view key) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  bool seen = false;
  bool inside = false;
  for (const ModelLine& line : lines) {
    if (line.kind == ModelLine::Kind::Header) {
      inside = !seen && SameName(line.name, section);
      seen = seen || inside;
    } else if (line.kind == ModelLine::Kind::Key && inside && SameName(line.name, key)) {
      return ReadableValue(line.value);
    }
  }
  return std::nullopt;
}

// What ReadProfileString must return.
inline std::string ModelRead(std::string_view file, std::string_view section, std::string_view key,
                             std::string_view defaultValue) {
  if (!CanNameSection(section) || !CanNameKey(key)) return std::string(defaultValue);
  return ModelLookup(ParseModel(file), section, key).value_or(std::string(defaultValue));
}

}  // namespace tovira::fuzz
