#include "sources/StationSelection.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "sources/Settings.h"
#include "sources/Station.h"
#include "tests/support/TempFolder.h"

namespace {

// The settings file of this test executable, written for a test and removed after it.
class SettingsFileBesideUs {
 public:
  explicit SettingsFileBesideUs(const std::string& record) : path_(sources::SettingsPath()) {
    std::ofstream(path_, std::ios::binary) << record;
  }
  ~SettingsFileBesideUs() { std::filesystem::remove(path_); }

 private:
  std::string path_;
};

std::string Record(const std::string& name, const std::string& site, const std::string& url) {
  std::string record(153, '\0');
  record[0] = static_cast<char>(name.size());
  record.replace(1, name.size(), name);
  record[41] = static_cast<char>(site.size());
  record.replace(42, site.size(), site);
  record[92] = static_cast<char>(url.size());
  record.replace(93, url.size(), url);
  return record;
}

class Selection : public ::testing::Test {
 protected:
  void SetUp() override {
    StationName.clear();
    StreamUrl.clear();
    SiteAddress.clear();
  }
  TempFolder folder_;
};

TEST(LowerExtension, FollowsTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Muzik\\LIST.PLS", ".pls"},
      {"/home/a/list.m3u", ".m3u"},
      {"list.AsX", ".asx"},
      {"/home/a.b/list", ""},
      {"C:list", ""},
      {"noext", ""},
      {"dir.d\\file", ""},
      {"a.tar.GZ", ".gz"},
      {"trailing.", "."},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(sources::LowerExtension(path), expected) << path;
}

TEST_F(Selection, NoArgumentAndNoSettingsFileGivesTheBuiltInStation) {
  EXPECT_TRUE(sources::SelectStationTexts(""));
  EXPECT_EQ(StationName, "KELVO FM");
  EXPECT_EQ(StreamUrl, sources::DefaultStreamUrl());
  EXPECT_EQ(SiteAddress, sources::StationSiteUrl());
  EXPECT_EQ(sources::StationSiteUrl(), "http://" + sources::StationHost());
  EXPECT_EQ(sources::DefaultStreamUrl(), sources::StationSiteUrl() + "/yayin.txt");
  EXPECT_EQ(sources::StationHost().rfind("www.", 0), 0u);
}

TEST_F(Selection, SettingsFileFillsWhatItHasAndDefaultsTheRest) {
  SettingsFileBesideUs settings(Record("", "", "http://file/stream"));
  EXPECT_TRUE(sources::SelectStationTexts(""));
  EXPECT_EQ(StationName, "KELVO FM");
  EXPECT_EQ(StreamUrl, "http://file/stream");
  EXPECT_EQ(SiteAddress, sources::StationSiteUrl());
}

TEST_F(Selection, PlaylistPathIgnoresSettingsAndKeepsSiteAddress) {
  SettingsFileBesideUs settings(Record("File", "http://filesite", "http://file"));
  SiteAddress = "http://earlier";
  StationName = "Earlier";
  const std::string path = folder_.Write("LIST.PLS", "File1=http://pls\nTitle1=Pls Radio\n");
  EXPECT_FALSE(sources::SelectStationTexts(path));
  EXPECT_EQ(StationName, "Pls Radio");
  EXPECT_EQ(StreamUrl, "http://pls");
  EXPECT_EQ(SiteAddress, "http://earlier");
}

TEST_F(Selection, UnknownExtensionOrMissingFileEmptiesBothTexts) {
  for (const std::string& path : {folder_.Write("station.txt", "File1=http://x\n"),
                                  folder_ / "absent.m3u", folder_ / "noext"}) {
    StationName = "old";
    StreamUrl = "old";
    EXPECT_FALSE(sources::SelectStationTexts(path));
    EXPECT_EQ(StationName, "") << path;
    EXPECT_EQ(StreamUrl, "") << path;
  }
}

TEST_F(Selection, UnreadableSettingsFileRaisesAndKeepsTheTexts) {
  // The check runs as a program of its own, copied with its settings file into a folder every
  // user can reach, so that only the file's own permission refuses the reader.
  const std::string check = folder_.CopyProgram(SETTINGS_REFUSAL_CHECK, "check");
  const std::string settings = folder_.Write("check.dta", Record("n", "s", "u"));
  std::filesystem::permissions(
      settings, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  EXPECT_TRUE(RunProgramUnprivileged(check));
}

}  // namespace
