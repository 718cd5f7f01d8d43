// Where the window finds its pictures among the embedded resources.
#pragma once

namespace artwork {

extern const char* const kSkin;            // 543 x 194, 24-bit, top-left pixel magenta
extern const char* const kCloseButton;     // 21 x 21, 24-bit on magenta
extern const char* const kMinimizeButton;  // 21 x 21
extern const char* const kPlayButton;      // 16 x 16
extern const char* const kStopButton;      // 16 x 16
extern const char* const kSoundOnButton;   // 16 x 16
extern const char* const kSoundOffButton;  // 16 x 16
extern const char* const kLogo;            // 213 x 135, RGBA

}  // namespace artwork
