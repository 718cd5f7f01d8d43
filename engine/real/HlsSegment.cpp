#include "engine/real/HlsSegment.h"

#include "engine/real/Id3Tag.h"

namespace engine {

SegmentKind SniffSegment(std::string_view start) {
  if (start.empty()) return SegmentKind::kUnknown;
  const auto b0 = static_cast<unsigned char>(start[0]);
  if (b0 == 0x47) return SegmentKind::kTransportStream;
  if (start.size() >= 8) {
    const auto box = start.substr(4, 4);
    if (box == "ftyp" || box == "styp" || box == "moof" || box == "moov") return SegmentKind::kMp4;
  }
  if (start.size() >= 2 && b0 == 0xFF && (static_cast<unsigned char>(start[1]) & 0xE0) == 0xE0) {
    // Layer bits 00 mark ADTS; anything else is an MPEG audio frame.
    return (static_cast<unsigned char>(start[1]) & 0x06) == 0 ? SegmentKind::kAdts
                                                              : SegmentKind::kMpegAudio;
  }
  return SegmentKind::kUnknown;
}

const char* ContentTypeFor(SegmentKind kind) {
  switch (kind) {
    case SegmentKind::kAdts:
      return "audio/aac";
    case SegmentKind::kMpegAudio:
      return "audio/mpeg";
    case SegmentKind::kTransportStream:
      return "video/mp2t";
    case SegmentKind::kMp4:
      return "audio/mp4";
    case SegmentKind::kUnknown:
      break;
  }
  return nullptr;
}

bool SegmentHead::Feed(const char* data, std::size_t size, const Sink& audio) {
  while (inTags_) {
    const auto tag = Id3TagSize(held_);
    if (tag && *tag == 0) break;  // no (more) tags: the held bytes are audio
    if (tag && *tag > kMaxId3Bytes) return false;
    if (tag && held_.size() == *tag) {
      for (auto& entry : Id3TextEntries(held_)) tags_.push_back(std::move(entry));
      held_.clear();
      continue;
    }
    if (size == 0) return true;  // the rest comes with the next bytes
    const std::size_t take = std::min((tag ? *tag : 10) - held_.size(), size);
    held_.append(data, take);
    data += take;
    size -= take;
  }
  if (inTags_) {
    inTags_ = false;
    if (!held_.empty() && !audio(held_.data(), held_.size())) return false;
    held_.clear();
  }
  return size == 0 || audio(data, size);
}

bool SegmentHead::Finish(const Sink& audio) {
  if (!inTags_) return true;
  inTags_ = false;
  const bool ok = held_.empty() || audio(held_.data(), held_.size());
  held_.clear();
  return ok;
}

}  // namespace engine
