#include "json_writer.h"

#include "common/text.h"

#include <cstdio>

namespace tovira::bench {

std::string JsonString(std::wstring_view text) {
  std::string out = "\"";
  std::u16string plain;  // a run of characters that need no escape, turned into UTF-8 at once
  const auto flushPlain = [&] {
    out += Utf8(plain);
    plain.clear();
  };
  for (const wchar_t character : text) {
    const auto unit = static_cast<char16_t>(character);
    const char* escape = nullptr;
    switch (unit) {
      case u'"': escape = "\\\""; break;
      case u'\\': escape = "\\\\"; break;
      case u'\n': escape = "\\n"; break;
      case u'\r': escape = "\\r"; break;
      case u'\t': escape = "\\t"; break;
    }
    if (escape != nullptr) {
      flushPlain();
      out += escape;
    } else if (unit < 0x20) {
      flushPlain();
      char control[7];
      std::snprintf(control, sizeof control, "\\u%04x", static_cast<unsigned>(unit));
      out += control;
    } else {
      plain += unit;
    }
  }
  flushPlain();
  return out + '"';
}

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!container_has_items_.empty()) {
    if (container_has_items_.back()) text_ += ',';
    container_has_items_.back() = true;
  }
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  container_has_items_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  container_has_items_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  text_ += bracket;
  container_has_items_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::EndObject() { return Close('}'); }
JsonWriter& JsonWriter::EndArray() { return Close(']'); }

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  text_ += '"';
  text_ += key;
  text_ += "\":";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view value) { return Raw(JsonString(value)); }
JsonWriter& JsonWriter::Number(long long value) { return Raw(std::to_string(value)); }
JsonWriter& JsonWriter::Bool(bool value) { return Raw(value ? "true" : "false"); }
JsonWriter& JsonWriter::Null() { return Raw("null"); }

JsonWriter& JsonWriter::Raw(std::string_view json) {
  BeforeValue();
  text_ += json;
  return *this;
}

}  // namespace tovira::bench
