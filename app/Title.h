// The names the desktop and other starts of the player know it by.
#pragma once

namespace app {

// What the desktop shows for the running program: taskbar entry, window title, box captions.
inline constexpr char kApplicationTitle[] = "Ovanta Ziviv Odo";
// Names the hand-off channel: every running player of a user listens under this key.
inline constexpr char kInstanceKey[] = "Talvoranest";

}  // namespace app
