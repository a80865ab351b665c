#pragma once
// Builds the UTF-8 JSON the window reader prints from UTF-16 window text.

#include <string>
#include <string_view>
#include <vector>

namespace tovira::bench {

// The text as a JSON string literal, quotes included. An unpaired surrogate, which
// UTF-8 cannot carry, becomes U+FFFD.
std::string JsonString(std::wstring_view text);

// Appends values, arrays and objects with the commas between them. Keys are ASCII.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::wstring_view value);
  JsonWriter& Number(long long value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // A value that is JSON already, such as another writer's text.
  JsonWriter& Raw(std::string_view json);

  const std::string& Text() const { return text_; }

 private:
  void BeforeValue();
  JsonWriter& Close(char bracket);

  std::string text_;
  std::vector<bool> container_has_items_;
  bool after_key_ = false;
};

}  // namespace tovira::bench
