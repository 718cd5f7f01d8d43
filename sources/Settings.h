// The optional station settings file beside the executable: the executable's path with its
// extension replaced by ".dta"; 153-byte records, only the first one used.
#pragma once

#include <string>

namespace sources {

// The settings file's path for the running executable (its real path).
std::string SettingsPath();
// Reads the first record of the file at path into the station texts; no file or a file
// shorter than one record changes nothing. Raises InputError with the I/O error's text.
void ReadiniFrom(const std::string& path);
// ReadiniFrom(SettingsPath()).
void Readini();

}  // namespace sources
