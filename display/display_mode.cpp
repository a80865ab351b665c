#include "display/display_mode.h"

#include <array>

namespace tovira {
namespace {

// The HMS and SEC KEY lines use no separators; they take the symbols only to share one signature.
std::u16string HmsLapLine(std::int32_t x, const NumberSymbols&) { return HmsLine(x); }
std::u16string SskLapLine(std::int32_t x, const NumberSymbols&) { return SskLine(x); }

constexpr std::array<DisplayModeInfo, 4> kModes = {{
    {DisplayMode::Sec, u"mnuShowSec", u"SC", u"[秒]", ErrorCode::ShowSec, &SecondsLine},
    {DisplayMode::HMS, u"mnuShowHMS", u"HMS   ", u"[時分秒]", ErrorCode::ShowHMS, &HmsLapLine},
    {DisplayMode::Frame24, u"mnuShowFrame24", u"24F ", u"[コマ数]", ErrorCode::ShowFrame24, &Frame24Line},
    {DisplayMode::SSK, u"mnuShowSSK", u"SEC KEY  ", u"[ﾌﾚｰﾑ:秒:ｺﾏ]", ErrorCode::ShowSSK, &SskLapLine},
}};

}  // namespace

std::span<const DisplayModeInfo, 4> DisplayModes() { return kModes; }

std::optional<DisplayMode> DisplayModeFromNumber(std::int32_t lapType) {
  for (const DisplayModeInfo& info : kModes) {
    if (static_cast<std::int32_t>(info.mode) == lapType) return info.mode;
  }
  return std::nullopt;
}

const DisplayModeInfo& InfoOf(DisplayMode mode) {
  for (const DisplayModeInfo& info : kModes) {
    if (info.mode == mode) return info;
  }
  RaiseFault("not a display mode");
}

std::u16string WindowCaption(DisplayMode mode) {
  return std::u16string(kBaseWindowCaption).append(InfoOf(mode).captionSuffix);
}

std::u16string LapLine(DisplayMode mode, std::int32_t x, const NumberSymbols& symbols) {
  return InfoOf(mode).lapLine(x, symbols);
}

}  // namespace tovira
