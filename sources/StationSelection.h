// Which station to play: the texts step of station selection. The restart of the stream is
// the window's (it owns the worker and the engine's output).
#pragma once

#include <stdexcept>
#include <string>

namespace sources {

// Raised by the readers for a file that exists but cannot be opened or read; its text is
// what the user sees in the error box.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The extension of path with A-Z lower-cased: from the last '.' standing after every '\\',
// ':' and '/', to the end; "" when the last of these characters is not a '.'.
std::string LowerExtension(const std::string& path);

// Fills StationName, StreamUrl and SiteAddress as station selection does:
//  - a non-empty path: both texts emptied, then the playlist reader chosen by extension;
//  - an empty path: the settings file, then the built-in station for what is still empty.
// Returns true when the labels must show StationName and the slogan (the empty-path case).
// Throws InputError when a file exists but cannot be read; the texts then keep what they
// held at that moment.
bool SelectStationTexts(const std::string& path);

}  // namespace sources
