#include "app/HandoffMessage.h"

#include <algorithm>

namespace app {

std::optional<std::string> EncodeHandoff(std::string_view path) {
  if (path.empty() || path.size() > kMaxHandoffPath || path.find('\0') != path.npos) {
    return std::nullopt;
  }
  const auto n = static_cast<std::uint32_t>(path.size());
  std::string message(kHandoffMarker);
  for (int shift = 24; shift >= 0; shift -= 8) {
    message.push_back(static_cast<char>((n >> shift) & 0xFF));
  }
  message.append(path);
  return message;
}

HandoffReader::State HandoffReader::Feed(std::string_view bytes) {
  while (!bytes.empty() && state_ == State::kNeedMore) {
    if (header_.size() < kHandoffHeaderSize) {
      const std::size_t take = std::min(kHandoffHeaderSize - header_.size(), bytes.size());
      header_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      state_ = CheckHeader();
      continue;
    }
    const std::size_t take = std::min<std::size_t>(length_ - path_.size(), bytes.size());
    const std::string_view piece = bytes.substr(0, take);
    bytes.remove_prefix(take);
    if (piece.find('\0') != piece.npos) {
      state_ = State::kMalformed;
    } else {
      path_.append(piece);
      if (path_.size() == length_) state_ = State::kComplete;
    }
  }
  if (!bytes.empty() && state_ == State::kComplete) state_ = State::kMalformed;
  return state_;
}

HandoffReader::State HandoffReader::CheckHeader() {
  const std::size_t marker = std::min(header_.size(), kHandoffMarker.size());
  if (header_.compare(0, marker, kHandoffMarker.substr(0, marker)) != 0) {
    return State::kMalformed;
  }
  if (header_.size() < kHandoffHeaderSize) return State::kNeedMore;
  length_ = 0;
  for (std::size_t i = kHandoffMarker.size(); i < kHandoffHeaderSize; ++i) {
    length_ = (length_ << 8) | static_cast<unsigned char>(header_[i]);
  }
  if (length_ == 0) return State::kMalformed;
  if (length_ > kMaxHandoffPath) return State::kOversized;
  path_.reserve(length_);
  return State::kNeedMore;
}

}  // namespace app
