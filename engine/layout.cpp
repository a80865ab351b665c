#include "engine/layout.h"

#include "common/checked_math.h"

#include <array>

namespace tovira {
namespace {

struct StackingRow {
  std::int32_t showbutton, showDigital, showAnalog;
  StackingTops tops;
};

constexpr std::array<StackingRow, 8> kStacking{{
    {0, 0, 0, {0, 0, 0, 60}},
    {0, 0, 1, {60, 0, 0, 3900}},
    {0, 1, 0, {0, 60, 0, 600}},
    {0, 1, 1, {60, 3900, 0, 4440}},
    {1, 0, 0, {0, 0, 60, 600}},
    {1, 0, 1, {60, 0, 3900, 4440}},
    {1, 1, 0, {0, 60, 600, 1140}},
    {1, 1, 1, {60, 3900, 4450, 4980}},
}};

constexpr float kBottomMargin = 60;
constexpr double kFallbackHeight = 1000;

}  // namespace

std::optional<StackingTops> StackingFor(std::int32_t showbutton, std::int32_t showDigital, std::int32_t showAnalog) {
  for (const auto& row : kStacking) {
    if (row.showbutton == showbutton && row.showDigital == showDigital && row.showAnalog == showAnalog) {
      return row.tops;
    }
  }
  return std::nullopt;
}

double LapListHeight(double clientHeight, double listTop) {
  const float room = static_cast<float>(clientHeight) - static_cast<float>(listTop);
  if (RoundHalfEven(room) < 1) return kFallbackHeight;
  const float height = room - kBottomMargin;
  return height < 0 ? 0.0 : height;
}

}  // namespace tovira
