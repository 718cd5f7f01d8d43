#include "text/Text.h"

#include <algorithm>

#include "text/Cp1254Table.h"

namespace text {

std::string Copy(std::string_view s, long long start, long long length) {
  if (start < 1) start = 1;
  const auto size = static_cast<long long>(s.size());
  if (start > size || length <= 0) return {};
  const long long available = size - start + 1;
  return std::string(s.substr(static_cast<std::size_t>(start - 1),
                              static_cast<std::size_t>(std::min(length, available))));
}

std::string From(std::string_view s, long long start) {
  return Copy(s, start, static_cast<long long>(s.size()));
}

std::size_t Pos(std::string_view needle, std::string_view s) {
  if (needle.empty()) return 0;
  const auto at = s.find(needle);
  return at == std::string_view::npos ? 0 : at + 1;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string UpperAZ(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string LowerAZ(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

void TrimTrailingSpaces(std::string& s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
}

std::string TrimControl(std::string_view s) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && isBlank(s[first])) ++first;
  while (last > first && isBlank(s[last - 1])) --last;
  return std::string(s.substr(first, last - first));
}

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when it is not one. A sequence that
// is cut short by the end of s gives -1.
int Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  int length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  for (int k = 1; k < length; ++k) {
    if (i + k >= s.size()) return -1;
    const auto b = static_cast<unsigned char>(s[i + k]);
    if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
  }
  return length;
}

}  // namespace

std::string Cp1254ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char c : s) AppendUtf8(out, kCp1254ToUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::string DisplayUtf8(std::string_view s) {
  bool multiByte = false;
  std::size_t i = 0;
  while (i < s.size()) {
    const int length = Utf8SequenceLength(s, i);
    if (length == -1 && multiByte) return std::string(s.substr(0, i));  // cut by a limit
    if (length <= 0) return Cp1254ToUtf8(s);
    multiByte |= length > 1;
    i += static_cast<std::size_t>(length);
  }
  return multiByte ? std::string(s) : Cp1254ToUtf8(s);
}

}  // namespace text
