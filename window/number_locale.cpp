#include "window/number_locale.h"

namespace tovira {

QLocale SystemNumberLocale() {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  return locale;
}

NumberSymbols NumberSymbolsOf(const QLocale& locale) {
  return NumberSymbols{locale.groupSeparator().toStdU16String(), locale.decimalPoint().toStdU16String()};
}

}  // namespace tovira
