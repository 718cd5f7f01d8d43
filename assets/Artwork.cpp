#include "assets/Artwork.h"

namespace artwork {

const char* const kSkin = ":/skin/skin.bmp";
const char* const kCloseButton = ":/skin/kapat.bmp";
const char* const kMinimizeButton = ":/skin/minimize.bmp";
const char* const kPlayButton = ":/skin/play.bmp";
const char* const kStopButton = ":/skin/dur.bmp";
const char* const kSoundOnButton = ":/skin/sesacik.bmp";
const char* const kSoundOffButton = ":/skin/seskapali.bmp";
const char* const kLogo = ":/skin/logo.png";

}  // namespace artwork
