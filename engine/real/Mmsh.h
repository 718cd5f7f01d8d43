// Windows Media stations over HTTP (MMSH): a describe request whose reply carries the ASF
// header in $H chunks, then a play request for the chosen streams whose reply carries the
// data packets in $D chunks, with $C announcing a new header and $E the end.
//
// MMS over TCP (port 1755) is not spoken: mms:// addresses are asked over HTTP on their own
// port, which is what the servers that still answer them offer.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/real/HeaderLines.h"
#include "engine/real/Stream.h"

namespace engine {

// A Windows Media server's reply: a "Pragma: features" header or one of its content types.
bool IsWindowsMediaReply(const HeaderLines& headers);
// mms:// and mmsh:// addresses.
bool IsMmshAddress(std::string_view url);
// The http:// address an MMSH session asks for.
std::string MmshHttpAddress(std::string_view url);
// Feeds the stream's byte ring with the ASF header and the padded data packets until the
// server ends, the framing breaks or the stream dies. Network thread only.
void RunMmsh(const std::shared_ptr<Stream>& stream, const std::string& httpUrl);

}  // namespace engine
