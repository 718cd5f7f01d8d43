// The start of one HLS segment: packed audio (raw ADTS AAC or MP3) begins with ID3 tags that
// carry its title and must not reach the decoder; MPEG-TS and fMP4 segments pass unchanged.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "engine/real/StreamTags.h"

namespace engine {

enum class SegmentKind { kUnknown, kTransportStream, kAdts, kMpegAudio, kMp4 };

// What the first audio bytes of a segment are.
SegmentKind SniffSegment(std::string_view start);

// The input format the decoder should use for a kind; nullptr to let it probe.
const char* ContentTypeFor(SegmentKind kind);

class SegmentHead {
 public:
  using Sink = std::function<bool(const char* data, std::size_t size)>;

  // Segment bytes in order; what follows the leading ID3 tags goes to `audio`. False when the
  // sink refused or a tag is larger than kMaxId3Bytes.
  bool Feed(const char* data, std::size_t size, const Sink& audio);
  // The segment ended: a start too short to be a tag is audio after all.
  bool Finish(const Sink& audio);

  // The title and artist of the leading tags; complete once the first audio byte went out.
  const TagEntries& Tags() const { return tags_; }

 private:
  bool inTags_ = true;
  std::string held_;  // the tag being read
  TagEntries tags_;
};

}  // namespace engine
