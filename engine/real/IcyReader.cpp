#include "engine/real/IcyReader.h"

#include <algorithm>
#include <charconv>

namespace engine {

bool IcyReader::Feed(const char* data, std::size_t size, const AudioSink& audio,
                     const MetaSink& meta) {
  if (metaint_ == 0) return audio(data, size);
  while (size > 0) {
    switch (phase_) {
      case Phase::kAudio: {
        const std::size_t n = std::min(left_, size);
        if (!audio(data, n)) return false;
        data += n;
        size -= n;
        left_ -= n;
        if (left_ == 0) phase_ = Phase::kLength;
        break;
      }
      case Phase::kLength:
        left_ = static_cast<unsigned char>(*data) * std::size_t{16};
        ++data;
        --size;
        block_.clear();
        phase_ = left_ ? Phase::kMeta : Phase::kAudio;
        if (!left_) left_ = metaint_;
        break;
      case Phase::kMeta: {
        const std::size_t n = std::min(left_, size);
        block_.append(data, n);
        data += n;
        size -= n;
        left_ -= n;
        if (left_ == 0) {
          std::string text = block_.substr(0, block_.find('\0'));
          if (!text.empty()) meta(std::move(text));
          phase_ = Phase::kAudio;
          left_ = metaint_;
        }
        break;
      }
    }
  }
  return true;
}

std::optional<std::size_t> ParseMetaInt(std::optional<std::string> value) {
  if (!value) return std::nullopt;
  long n = 0;
  const auto* end = value->data() + value->size();
  const auto [ptr, ec] = std::from_chars(value->data(), end, n);
  if (ec != std::errc() || ptr != end || n <= 0 || n > IcyReader::kMaxMetaInt) return std::nullopt;
  return static_cast<std::size_t>(n);
}

}  // namespace engine
