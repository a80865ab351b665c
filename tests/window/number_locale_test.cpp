// The user's number settings as the Qt front end reads them.

#include "window/number_locale.h"

#include <gtest/gtest.h>

namespace tovira {
namespace {

TEST(FormatSeconds, GroupsEvenWhereTheLocaleOmitsGroupSeparators) {
  // The C locale turns grouping off by default; the pattern always groups.
  const QLocale c = QLocale::c();
  ASSERT_TRUE(c.numberOptions().testFlag(QLocale::OmitGroupSeparator));
  EXPECT_EQ(FormatSeconds(3723456, NumberSymbolsOf(c)), u"3,723.456");

  QLocale grouping = c;
  grouping.setNumberOptions(c.numberOptions() & ~QLocale::OmitGroupSeparator);
  EXPECT_EQ(FormatSeconds(3723456, NumberSymbolsOf(grouping)), u"3,723.456");
}

TEST(NumberLocale, HasGroupSeparatorsSwitchedOn) {
  const QLocale locale = SystemNumberLocale();
  EXPECT_FALSE(locale.numberOptions().testFlag(QLocale::OmitGroupSeparator));
  EXPECT_TRUE(locale.toString(1234567).contains(locale.groupSeparator()));
}

}  // namespace
}  // namespace tovira
