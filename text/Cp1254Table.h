#pragma once

namespace text {

// Unicode code point of every code page 1254 byte.
extern const char16_t kCp1254ToUnicode[256];

}  // namespace text
