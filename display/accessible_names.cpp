#include "display/accessible_names.h"

namespace tovira {

std::u16string DialAccessibleName(std::int32_t handTime, const NumberSymbols& symbols) {
  return u"Dial at " + FormatSeconds(handTime, symbols) + u" seconds";
}

}  // namespace tovira
