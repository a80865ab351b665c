#pragma once
// A deliberately plain reading of the INI layout (whole file in memory, line by
// line) to hold the streaming reader and writer against. It follows the layout
// documented in settings/ini_profile.h and shares no code with it.

#include "settings/ini_profile.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovira::fuzz {

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

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
  return !section.empty() && !HasLineBreakOrNul(section);
}
inline bool CanNameKey(std::string_view key) {
  key = TrimBlanks(key);
  return !key.empty() && key.front() != ';' && key.front() != '[' && !HasLineBreakOrNul(key) &&
         key.find('=') == std::string_view::npos;
}

// A name or value: blanks dropped, then cut at a NUL.
inline std::string_view CText(std::string_view raw) {
  raw = TrimBlanks(raw);
  return raw.substr(0, raw.find('\0'));
}

// What a reader makes of a value's raw text: the classic call with its buffer of
// 255 bytes drops one pair of matching quotes, the closing one only while the rest
// fits the buffer, and keeps at most 254 bytes.
inline std::string ReadableValue(std::string_view raw) {
  std::string_view value = CText(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value.remove_prefix(1);
    std::string kept(value.substr(0, kMaxProfileValueLength));
    if (value.size() <= kMaxProfileValueLength + 1) kept.pop_back();
    return kept;
  }
  return std::string(value.substr(0, kMaxProfileValueLength));
}

struct ModelLine {
  enum class Kind { Other, Header, Key, Bare } kind = Kind::Other;
  std::string_view name;   // section or key name, a C text
  std::string_view value;  // the raw text after "=" (key lines)
};

// The file's lines: a leading byte order mark skipped, lines split at every CR
// and LF (the empty line between the two of a CRLF holds nothing).
inline std::vector<ModelLine> ParseModel(std::string_view file) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (file.starts_with(kBom)) file.remove_prefix(kBom.size());
  std::vector<ModelLine> lines;
  while (!file.empty()) {
    const std::size_t lineBreak = file.find_first_of("\r\n");
    std::string_view text = file.substr(0, lineBreak);
    file.remove_prefix(lineBreak == std::string_view::npos ? file.size() : lineBreak + 1);

    text = TrimBlanks(text);
    ModelLine line;
    if (text.starts_with('[')) {
      const std::size_t close = text.rfind(']');
      if (close != std::string_view::npos) line = {ModelLine::Kind::Header, CText(text.substr(1, close - 1)), {}};
    } else if (!text.empty() && !text.starts_with(';')) {
      const std::size_t equals = text.find('=');
      if (equals != std::string_view::npos) {
        line = {ModelLine::Kind::Key, CText(text.substr(0, equals)), text.substr(equals + 1)};
      } else {
        line = {ModelLine::Kind::Bare, CText(text), {}};
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
    } else if (line.kind != ModelLine::Kind::Other && inside && SameName(line.name, key)) {
      if (line.kind == ModelLine::Kind::Bare) return std::nullopt;  // the key without a value
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

// The bytes of `before` that differ from `after`, between their common head and tail.
inline std::string_view ChangedBytes(std::string_view before, std::string_view after) {
  const std::size_t limit = std::min(before.size(), after.size());
  std::size_t head = 0;
  while (head < limit && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < limit - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  return before.substr(head, before.size() - head - tail);
}

}  // namespace tovira::fuzz
