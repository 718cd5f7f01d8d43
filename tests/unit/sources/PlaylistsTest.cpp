#include "sources/Playlists.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "sources/StationSelection.h"
#include "tests/support/TempFolder.h"

namespace {

using sources::asxurl;
using sources::m3uurl;
using sources::plsurl;
using sources::ReplaceAll;

using Reader = void (*)(const std::string&, std::string&, std::string&);

struct Case {
  const char* what;
  std::string content;
  std::string name;
  std::string url;
};

void RunCases(Reader reader, const char* extension, const std::vector<Case>& cases) {
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.Write(std::string("list") + extension, c.content);
    std::string name, url;
    reader(path, name, url);
    EXPECT_EQ(name, c.name) << c.what;
    EXPECT_EQ(url, c.url) << c.what;
  }
}

TEST(Playlists, Pls) {
  RunCases(
      plsurl, ".pls",
      {
          {"usual", "[playlist]\r\nFile1=http://a/b\r\nTitle1=Radio\r\n", "Radio", "http://a/b"},
          {"keys in small letters", "file1=http://x\ntitle1=X\n", "X", "http://x"},
          {"blank before =", "File1 =http://x\nTitle1=Y\n", "Y", ""},
          {"trailing blanks kept", "File1=http://x  \n", "", "http://x  "},
          {"first File1 wins", "File1=http://1\nFile1=http://2\n", "", "http://1"},
          {"value with =", "File1=http://x/?a=b\n", "", "http://x/?a=b"},
          {"CR line ends", "File1=http://cr\rTitle1=CR\r", "CR", "http://cr"},
          {"NUL ends the text", std::string("Title1=A\n\0File1=http://hidden\n", 30), "A", ""},
      });
}

TEST(Playlists, M3u) {
  RunCases(
      m3uurl, ".m3u",
      {
          {"usual", "#EXTM3U\n#EXTINF:-1,Radio One\nhttp://one/\n", "Radio One", "http://one/"},
          {"other duration ignored", "#EXTINF:120,Song\nhttp://x\n", "", "http://x"},
          {"lower-case marker", "#extinf:-1,Low\n", "Low", ""},
          {"https is no address line", "https://secure/\n", "", ""},
          {"indented marker keeps two characters", "  #EXTINF:-1,Name\n", "1,Name", ""},
          {"last wins across entries",
           "#EXTINF:-1,A\nhttp://a\n#EXTINF:-1,B\nhttp://b\n#EXTINF:-1,C\n", "C", "http://b"},
          {"one line sets both", "#EXTINF:-1,http://both\n", "http://both",
           "#EXTINF:-1,http://both"},
      });
}

TEST(Playlists, Asx) {
  RunCases(
      asxurl, ".asx",
      {
          {"usual",
           "<asx version=\"3.0\">\r\n<title>Radio</title>\r\n<entry><ref "
           "href=\"http://s/x\"/></entry>",
           " Radio ", "http://s/x"},
          {"title without end tag counts as a name", "<TITLE>Radio\n<ref href=\"http://s\"/>\n",
           "  ", "http://s"},
          {"blanks removed inside the address",
           "<title>T</title>\n<ref href = \"http://a b/c\" />\n", " T ", "http://ab/c"},
          {"first href line wins, even an info link",
           "<moreinfo href=\"http://info\"/>\n<ref href=\"http://stream\"/>\n<title>T</title>\n",
           " T ", "http://info"},
          {"separate end tag gives no address; a later line may",
           "<ref href=\"http://a\"></ref>\n<ref href=\"http://b\"/>\n<title>T</title>\n", " T ",
           "http://b"},
          {"tabs shift the cut", "<title>T</title>\n\t\t<ref href=\"http://abc/\"/>\n", " T ",
           "tp://abc/"},
          {"stops once both are found",
           "<title>A</title>\n<ref href=\"http://a\"/>\n<title>B</title>\n", " A ", "http://a"},
      });
}

TEST(Playlists, MissingFileAndOtherKindsChangeNothing) {
  TempFolder folder;
  std::string name = "keep", url = "keep";
  plsurl(folder / "absent.pls", name, url);
  m3uurl(folder / "", name, url);  // a folder
  const std::string fifo = folder / "fifo.asx";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  asxurl(fifo, name, url);  // must neither read nor wait for a writer
  EXPECT_EQ(name, "keep");
  EXPECT_EQ(url, "keep");
}

TEST(Playlists, UnopenableFileRaisesWithPathAndReason) {
  TempFolder folder;
  const std::string path = folder.Write("locked.pls", "File1=http://x\n");
  ::chmod(path.c_str(), 0);
  EXPECT_TRUE(RunUnprivileged([&] {
    std::string name = "keep", url = "keep";
    try {
      plsurl(path, name, url);
    } catch (const sources::InputError& error) {
      return error.what() == "Cannot open file \"" + path + "\". Permission denied" &&
             url == "keep";
    }
    return false;
  }));
}

TEST(Playlists, ReplaceAll) {
  EXPECT_EQ(ReplaceAll(" a b  c ", " ", ""), "abc");
  EXPECT_EQ(ReplaceAll("aabb", "ab", ""), "");  // rescans from the start
  EXPECT_EQ(ReplaceAll("xyx", "x", "x"), "xyx");
  EXPECT_EQ(ReplaceAll("a-b", "-", "+-+"), "a+-+b");  // never loops
}

}  // namespace
