// The status message that workers and engine callbacks send to the window.
#pragma once

#include <cstdint>

constexpr std::uint32_t WM_USER = 0x400;
constexpr std::uint32_t WM_STATUS_UPDATE = WM_USER + 101;  // 0x465

// First parameter of WM_STATUS_UPDATE. 5 and everything above 8 are never sent.
constexpr std::uint32_t STATUS_CONNECTING = 0;    // value 0
constexpr std::uint32_t STATUS_NO_SERVICE = 1;    // value 0
constexpr std::uint32_t STATUS_BUFFERING = 2;     // value: progress in percent
constexpr std::uint32_t STATUS_STATION_NAME = 3;  // text
constexpr std::uint32_t STATUS_INFO = 4;          // text
constexpr std::uint32_t STATUS_TITLE_WMA = 6;     // text
constexpr std::uint32_t STATUS_TITLE = 7;         // text
constexpr std::uint32_t STATUS_DOWNLOAD = 8;      // text

namespace stream {

// One WM_STATUS_UPDATE. The text belongs to the sender and is valid only during the send;
// the receiver copies what it keeps. A null text counts as an empty one.
struct StatusMessage {
  std::uint32_t code = STATUS_CONNECTING;
  std::int32_t value = 0;
  const char* text = nullptr;
};

}  // namespace stream
