// 8-bit text rules shared by the whole player. Texts are std::string holding code page 1254
// bytes, used byte for byte; positions count from 1.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Part of s from the 1-based start, length characters long. A start below 1 counts as 1; a
// start beyond the end or a length of 0 or less gives ""; a length past the end stops there.
std::string Copy(std::string_view s, long long start, long long length);
// The rest of s from the 1-based start on ("" when the start lies beyond the end).
std::string From(std::string_view s, long long start);
// 1-based position of the first needle in s, 0 when absent (an empty needle is absent).
std::size_t Pos(std::string_view needle, std::string_view s);
// Whether s begins with prefix, compared exactly.
bool StartsWith(std::string_view s, std::string_view prefix);

// Case folding that touches only A-Z and a-z.
std::string UpperAZ(std::string_view s);
std::string LowerAZ(std::string_view s);

// Removes trailing spaces (code 32 only) in place.
void TrimTrailingSpaces(std::string& s);
// Removes characters of code 32 and below from both ends.
std::string TrimControl(std::string_view s);

// Code page 1254 bytes as UTF-8, by a fixed table (no locale involved).
std::string Cp1254ToUtf8(std::string_view s);
// For display: a text that is valid UTF-8 and holds a multi-byte sequence is taken as UTF-8
// (a sequence cut short at the very end is dropped); anything else is code page 1254.
std::string DisplayUtf8(std::string_view s);

}  // namespace text
