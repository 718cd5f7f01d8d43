#include <gtest/gtest.h>

#include "widgets/GeneralNumber.h"

namespace widgets {
namespace {

TEST(GeneralNumber, FifteenSignificantDigitsWithoutTrailingZeros) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {3276800.0 / 65535, "50.0007629510948"},
      {100, "100"},
      {12.5, "12.5"},
      {0.1 + 0.2, "0.3"},
      {0, "0"},
      {-2.5, "-2.5"},
      {0.00001, "0.00001"},
      {100.0 / 21474836, "4.6566129771608E-6"},
      {123456789012345, "123456789012345"},
      {1e15, "1E15"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GeneralNumber(c.value, '.').toStdString(), c.text) << c.value;
  }
}

TEST(GeneralNumber, UsesTheGivenSeparator) {
  EXPECT_EQ(GeneralNumber(12.5, ',').toStdString(), "12,5");
  EXPECT_EQ(GeneralNumber(0.00002, ',').toStdString(), "0,00002");
}

}  // namespace
}  // namespace widgets
