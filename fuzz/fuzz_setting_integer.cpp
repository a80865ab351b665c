// The settings' integer conversion on arbitrary text. Accepted exactly: blanks,
// an optional sign, decimal digits with an optional fraction (at least one digit),
// blanks; the result is that number rounded to the nearest integer, halves to
// even, and anything outside the signed 32-bit range is refused.

#include "scratch_file.h"

#include "settings/settings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using tovira::fuzz::Require;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number's text without blanks when `text` has the accepted form.
std::optional<std::string> AcceptedNumber(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) ++digits;
    else if (text[i] == '.' && !point) point = true;
    else return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return std::string(text);
}

// Whether the fraction is exactly one half: ".5" followed by zeros only.
bool IsHalf(std::string_view number) {
  const std::size_t point = number.find('.');
  return point != std::string_view::npos && number.substr(point + 1).starts_with('5') &&
         number.find_first_not_of('0', point + 2) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> parsed = tovira::ParseSettingInteger(text);
  const std::optional<std::string> number = AcceptedNumber(text);
  if (!number) {
    Require(!parsed, "only the accepted form converts");
    return 0;
  }
  // A long double holds every 32-bit integer and its halves exactly; only far
  // longer fractions round, which the margins below allow for.
  const long double value = std::strtold(number->c_str(), nullptr);
  constexpr long double kMin = -2147483648.0L;
  constexpr long double kMax = 2147483647.0L;
  if (value < kMin - 1 || value > kMax + 1) {
    Require(!parsed, "numbers far outside the 32-bit range are refused");
    return 0;
  }
  if (value > kMin + 1 && value < kMax - 1) Require(parsed.has_value(), "numbers inside the range convert");
  if (!parsed) return 0;
  const long double error = std::fabs(value - static_cast<long double>(*parsed));
  Require(error <= 0.5L + 1e-9L, "the result is the nearest integer");
  if (IsHalf(*number)) Require(*parsed % 2 == 0, "halves round to even");
  Require(tovira::ParseSettingInteger(tovira::SettingIntegerText(*parsed)) == parsed,
          "the written text reads back as the same value");
  return 0;
}
