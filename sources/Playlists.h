// Playlist readers: each looks for a few fixed markers line by line. A path that is not an
// existing regular file changes nothing; a file that cannot be opened raises InputError
// ("Cannot open file \"<path>\". <reason>").
#pragma once

#include <string>

namespace sources {

void plsurl(const std::string& path, std::string& name, std::string& url);
void m3uurl(const std::string& path, std::string& name, std::string& url);
void asxurl(const std::string& path, std::string& name, std::string& url);
// Every occurrence of search replaced, searching again from the start after each replacement.
std::string ReplaceAll(std::string text, const std::string& search, const std::string& with);

}  // namespace sources
