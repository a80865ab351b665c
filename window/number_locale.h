#pragma once
// The user's number settings as Qt knows them.

#include "display/time_formats.h"

#include <QLocale>

namespace tovira {

// The system's locale, with the grouping separator always in use.
QLocale SystemNumberLocale();

// The locale's grouping sign and decimal point.
NumberSymbols NumberSymbolsOf(const QLocale& locale);

}  // namespace tovira
