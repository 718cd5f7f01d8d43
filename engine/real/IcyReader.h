// Splits a Shoutcast body into audio bytes and metadata blocks.
//
// After every `metaint` audio bytes comes one length byte (blocks of 16) and that many bytes
// of metadata. Only the network thread uses a reader.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

class IcyReader {
 public:
  // Larger intervals are not what any server sends; treat them as no metadata.
  static constexpr long kMaxMetaInt = 1 << 20;

  using AudioSink = std::function<bool(const char* data, std::size_t size)>;
  using MetaSink = std::function<void(std::string text)>;

  // metaint 0 passes everything through as audio.
  explicit IcyReader(std::size_t metaint) : metaint_(metaint), left_(metaint) {}

  // Feeds body bytes. Audio goes to `audio` (false from it stops the feed and returns false);
  // each block with a non-empty text goes to `meta`, the text cut at its first NUL.
  bool Feed(const char* data, std::size_t size, const AudioSink& audio, const MetaSink& meta);

 private:
  enum class Phase { kAudio, kLength, kMeta };
  std::size_t metaint_;
  std::size_t left_;  // bytes left in the current phase
  Phase phase_ = Phase::kAudio;
  std::string block_;
};

// Parses an icy-metaint header value: nullopt (no metadata) for a missing, zero, negative,
// non-numeric or absurd value.
std::optional<std::size_t> ParseMetaInt(std::optional<std::string> value);

}  // namespace engine
