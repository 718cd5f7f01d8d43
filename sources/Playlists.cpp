#include "sources/Playlists.h"

#include <algorithm>

#include "sources/LineReader.h"
#include "sources/PlaylistFile.h"
#include "text/Text.h"

namespace sources {
namespace {

// The value of key on this line, if the text before the line's first '=' is the key,
// compared without regard to A-Z letter case.
std::optional<std::string> KeyValue(const std::string& line, const std::string& key) {
  const auto equals = line.find('=');
  if (equals == std::string::npos) return std::nullopt;
  if (text::LowerAZ(line.substr(0, equals)) != text::LowerAZ(key)) return std::nullopt;
  return line.substr(equals + 1);
}

}  // namespace

void plsurl(const std::string& path, std::string& name, std::string& url) {
  auto file = PlaylistFile::Open(path);
  if (!file) return;
  std::optional<std::string> file1, title1;
  LineReader lines(file->fd());
  std::string line;
  while ((!file1 || !title1) && lines.Next(line)) {
    if (!file1) file1 = KeyValue(line, "File1");
    if (!title1) title1 = KeyValue(line, "Title1");
  }
  url = file1.value_or("");
  name = title1.value_or("");
}

void m3uurl(const std::string& path, std::string& name, std::string& url) {
  auto file = PlaylistFile::Open(path);
  if (!file) return;
  LineReader lines(file->fd());
  std::string line;
  while (lines.Next(line)) {
    const std::string upper = text::UpperAZ(line);
    if (text::Pos("#EXTINF:-1,", upper) != 0) name = text::From(line, 12);
    if (text::Pos("HTTP://", upper) != 0) url = line;
  }
}

void asxurl(const std::string& path, std::string& name, std::string& url) {
  auto file = PlaylistFile::Open(path);
  if (!file) return;
  LineReader lines(file->fd());
  std::string line;
  while (lines.Next(line)) {
    const auto p = text::Pos("<title>", text::LowerAZ(line));
    if (p != 0) {
      const std::string rest = text::From(line, static_cast<long long>(p) + 7);
      const auto q = text::Pos("</title>", text::LowerAZ(rest));
      name = " " + text::Copy(rest, 1, static_cast<long long>(q) - 1) + " ";
    }
    // The cut position is found on the untrimmed line but applied to the trimmed one, so a
    // line indented with tabs loses as many leading characters as it has tabs.
    const auto h = text::Pos("href", ReplaceAll(text::LowerAZ(line), " ", ""));
    if (h != 0 && url.empty()) {
      std::string s = ReplaceAll(text::TrimControl(line), " ", "");
      s = text::From(s, static_cast<long long>(h) + 6);
      const auto d = text::Pos("\"/>", text::LowerAZ(s));
      url = text::Copy(s, 1, static_cast<long long>(d) - 1);
    }
    if (!name.empty() && !url.empty()) break;
  }
}

std::string ReplaceAll(std::string text, const std::string& search, const std::string& with) {
  if (search == with || search.empty()) return text;
  if (search.size() == 1 && with.empty()) {
    // Deleting a single character can never form a new occurrence: one pass is the same.
    text.erase(std::remove(text.begin(), text.end(), search[0]), text.end());
    return text;
  }
  // No occurrence can start before the last replacement minus (search length - 1), so the
  // search resumes there: the same result as searching again from the beginning.
  const bool grows = with.find(search) != std::string::npos;
  std::size_t from = 0;
  for (;;) {
    const auto at = text.find(search, from);
    if (at == std::string::npos) break;
    text.replace(at, search.size(), with);
    // A replacement that contains the searched text would never end; replace each
    // original occurrence once instead.
    from = grows ? at + with.size() : (at >= search.size() - 1 ? at - (search.size() - 1) : 0);
  }
  return text;
}

}  // namespace sources
