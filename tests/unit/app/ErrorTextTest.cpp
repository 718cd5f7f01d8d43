#include "app/ErrorText.h"

#include <gtest/gtest.h>

TEST(ErrorBoxText, AppendsAFullStopWhenTheLastCharacterSortsAfterIt) {
  const struct {
    const char* what;
    const char* shown;
  } cases[] = {
      {"File access denied", "File access denied."},
      {"I/O error 13", "I/O error 13."},
      {"Ends with a slash/", "Ends with a slash/."},
      {"Cannot open file \"/a b.pls\"", "Cannot open file \"/a b.pls\""},  // '"' < '.'
      {"Already ends.", "Already ends."},
      {"Ends with a dash -", "Ends with a dash -"},
      {"Ends with a comma,", "Ends with a comma,"},
      {"Ends with a blank ", "Ends with a blank "},
      {"Sonu \xFD", "Sonu \xFD."},  // an 8-bit letter sorts after '.'
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ErrorBoxText(c.what), c.shown) << c.what;
}
