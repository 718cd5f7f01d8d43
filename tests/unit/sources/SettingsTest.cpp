#include "sources/Settings.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "sources/Station.h"
#include "sources/StationSelection.h"
#include "tests/support/TempFolder.h"

namespace {

// A 153-byte record; each field a length byte and its characters.
std::string Record(const std::string& name, const std::string& site, const std::string& url) {
  std::string record(153, '\x7F');  // filler after the counted characters means nothing
  auto put = [&](std::size_t offset, const std::string& text) {
    record[offset] = static_cast<char>(text.size());
    record.replace(offset + 1, text.size(), text);
  };
  put(0, name);
  put(41, site);
  put(92, url);
  return record;
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    StationName = "old name";
    SiteAddress = "old site";
    StreamUrl = "old url";
  }
  void ExpectUnchanged() {
    EXPECT_EQ(StationName, "old name");
    EXPECT_EQ(SiteAddress, "old site");
    EXPECT_EQ(StreamUrl, "old url");
  }
  TempFolder folder_;
};

TEST_F(Settings, NoFileOrNoWholeRecordChangesNothing) {
  sources::ReadiniFrom(folder_ / "absent.dta");
  sources::ReadiniFrom(folder_ / "");  // a folder does not count
  for (std::size_t size : {0, 1, 152}) {
    sources::ReadiniFrom(folder_.Write("short.dta", Record("n", "s", "u").substr(0, size)));
    ExpectUnchanged();
  }
}

TEST_F(Settings, FirstRecordFillsAllThreeTexts) {
  const std::string two = Record("Radio", "http://site", "http://stream") + Record("X", "Y", "Z");
  sources::ReadiniFrom(folder_.Write("two.dta", two));
  EXPECT_EQ(StationName, "Radio");
  EXPECT_EQ(SiteAddress, "http://site");
  EXPECT_EQ(StreamUrl, "http://stream");

  sources::ReadiniFrom(folder_.Write("empty.dta", Record("", "", "")));
  EXPECT_EQ(StationName, "");
  EXPECT_EQ(SiteAddress, "");
  EXPECT_EQ(StreamUrl, "");
}

TEST_F(Settings, OverlongLengthByteIsCutAtTheFieldsCapacity) {
  std::string record = Record(std::string(40, 'n'), std::string(50, 's'), std::string(60, 'u'));
  record[0] = '\xFF';
  record[41] = '\xFF';
  record[92] = '\xFF';
  sources::ReadiniFrom(folder_.Write("long.dta", record));
  EXPECT_EQ(StationName, std::string(40, 'n'));
  EXPECT_EQ(SiteAddress, std::string(50, 's'));
  EXPECT_EQ(StreamUrl, std::string(60, 'u'));
}

TEST_F(Settings, ReadOnlyFileIsRefused) {
  const std::string path = folder_.Write("ro.dta", Record("n", "s", "u"));
  ::chmod(path.c_str(), 0444);
  EXPECT_TRUE(RunUnprivileged([&] {
    try {
      sources::ReadiniFrom(path);
    } catch (const sources::InputError& error) {
      return std::string(error.what()) == "File access denied" && StationName == "old name";
    }
    return false;
  }));
}

TEST_F(Settings, FifoHoldsNoRecordAndDoesNotHang) {
  const std::string fifo = folder_ / "fifo.dta";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  sources::ReadiniFrom(fifo);
  ExpectUnchanged();
}

TEST(SettingsPath, IsTheExecutablesPathWithDta) {
  const std::string path = sources::SettingsPath();
  EXPECT_EQ(path.substr(path.size() - 17), "sources_tests.dta") << path;
  EXPECT_EQ(path.front(), '/');
}

}  // namespace
