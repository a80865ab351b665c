#include "json_writer.h"

#include <gtest/gtest.h>

namespace tovira::bench {
namespace {

TEST(JsonString, EscapesWhatJsonReserves) {
  EXPECT_EQ(JsonString(L"a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString(L"1\n2\r3\t4"), R"("1\n2\r3\t4")");
  EXPECT_EQ(JsonString(std::wstring_view(L"\x01\x1f\0", 3)), R"("\u0001\u001f\u0000")");
  EXPECT_EQ(JsonString(L"/\x7f"), "\"/\x7f\"");
}

TEST(JsonString, WritesUtf8) {
  EXPECT_EQ(JsonString(L"\u00e9"), "\"\xc3\xa9\"");
  EXPECT_EQ(JsonString(L"スタート"), "\"スタート\"");
  EXPECT_EQ(JsonString(L"ﾌﾚｰﾑ"), "\"ﾌﾚｰﾑ\"");
  EXPECT_EQ(JsonString(L"\U0001F600"), "\"\xf0\x9f\x98\x80\"");  // a surrogate pair in UTF-16
  EXPECT_EQ(JsonString(L"\uffff"), "\"\xef\xbf\xbf\"");
}

TEST(JsonString, ReplacesUnpairedSurrogates) {
  const char* replacement = "\xef\xbf\xbd";
  EXPECT_EQ(JsonString(std::wstring{wchar_t(0xD83D)}), std::string("\"") + replacement + "\"");
  EXPECT_EQ(JsonString(std::wstring{wchar_t(0xDE00), L'x'}), std::string("\"") + replacement + "x\"");
  EXPECT_EQ(JsonString(std::wstring{wchar_t(0xD83D), wchar_t(0xD83D), wchar_t(0xDE00)}),
            std::string("\"") + replacement + "\xf0\x9f\x98\x80\"");
}

TEST(JsonWriter, SeparatesMembersAndElementsAtEveryDepth) {
  JsonWriter json;
  json.BeginObject()
      .Key("a").Number(-1)
      .Key("b").BeginArray().Bool(true).Null().BeginObject().EndObject().BeginArray().EndArray().String(L"x").EndArray()
      .Key("c").BeginObject().Key("d").Bool(false).Key("e").Raw("[1,2]").EndObject()
      .EndObject();
  EXPECT_EQ(json.Text(), R"({"a":-1,"b":[true,null,{},[],"x"],"c":{"d":false,"e":[1,2]}})");
}

}  // namespace
}  // namespace tovira::bench
