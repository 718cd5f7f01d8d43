// The text of the message loop's error box.
#pragma once

#include <string>
#include <string_view>

namespace app {

// The error's text with a full stop appended when its last character sorts after the full
// stop (letters, digits and every 8-bit character do). Bytes compare unsigned.
std::string ErrorBoxText(std::string_view what);

}  // namespace app
