#include "app/ChannelFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/TempFolder.h"

namespace {

constexpr uid_t kNobody = 65534;

mode_t Mode(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class ChannelFolderTest : public testing::Test {
 protected:
  TempFolder runtime_;
  TempFolder tmp_;
  std::string problems_;
  const uid_t uid_ = ::geteuid();
};

TEST_F(ChannelFolderTest, LivesUnderTheRuntimeFolderWhenThatIsTheUsers) {
  const auto folder = app::ChannelFolder(runtime_.path(), tmp_.path(), uid_, problems_);
  ASSERT_TRUE(folder) << problems_;
  EXPECT_EQ(*folder, runtime_ / "talvoranest");
  EXPECT_EQ(Mode(*folder), 0700u);
}

TEST_F(ChannelFolderTest, FallsBackToAFolderNamedWithTheUidUnderTmp) {
  const std::string expected = tmp_ / ("talvoranest-" + std::to_string(uid_));
  const std::string unusable[] = {"", "relative/run", runtime_ / "missing",
                                  "/" + std::string(90, 'r')};
  for (const std::string& runtime : unusable) {
    const auto folder = app::ChannelFolder(runtime, tmp_.path(), uid_, problems_);
    ASSERT_TRUE(folder) << runtime << ": " << problems_;
    EXPECT_EQ(*folder, expected) << runtime;
    EXPECT_EQ(Mode(*folder), 0700u);
  }
}

TEST_F(ChannelFolderTest, PassesOverARuntimeFolderTooLongForASocketAddress) {
  const std::string longRuntime = runtime_ / std::string(70, 'd');
  ASSERT_EQ(::mkdir(longRuntime.c_str(), 0700), 0);
  const auto folder = app::ChannelFolder(longRuntime, tmp_.path(), uid_, problems_);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->rfind(tmp_.path(), 0), 0u);
  EXPECT_NE(problems_.find("too long"), std::string::npos);
}

TEST_F(ChannelFolderTest, TightensAFolderOfTheUsersThatOthersMayEnter) {
  const std::string folder = runtime_ / "talvoranest";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  EXPECT_EQ(app::MakePrivateFolder(folder, uid_), "");
  EXPECT_EQ(Mode(folder), 0700u);
}

TEST_F(ChannelFolderTest, RefusesALinkAFileAndAnotherUsersFolder) {
  const std::string target = runtime_ / "elsewhere";
  ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
  const std::string link = tmp_ / "link";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_NE(app::MakePrivateFolder(link, uid_), "");
  std::ofstream(tmp_ / "file") << "x";
  EXPECT_NE(app::MakePrivateFolder(tmp_ / "file", uid_), "");
  EXPECT_NE(app::MakePrivateFolder(target, uid_ + 1), "");  // as if another user's
  EXPECT_EQ(Mode(target), 0700u);
}

TEST_F(ChannelFolderTest, NoChannelWhenTheTmpFolderIsTakenByAnotherUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  const std::string taken = tmp_ / ("talvoranest-" + std::to_string(uid_));
  ASSERT_EQ(::mkdir(taken.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(taken.c_str(), 0777), 0);
  ASSERT_EQ(::chown(taken.c_str(), kNobody, kNobody), 0);
  EXPECT_FALSE(app::ChannelFolder("", tmp_.path(), uid_, problems_));
  EXPECT_NE(problems_.find("another user"), std::string::npos) << problems_;
  EXPECT_EQ(Mode(taken), 0777u);  // left alone
}

}  // namespace
