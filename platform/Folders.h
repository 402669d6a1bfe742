#pragma once
// Well-known folders and the program's own location.

#include <string>

namespace platform {

// The common application data folder: $PROGRAMDATA when set and not empty, else "/var/lib".
std::string CommonAppDataFolder();

// The program file's full path ("/proc/self/exe" resolved); empty when unknown.
std::string ModuleFileName();

// The system directory in its Windows form, "<drive>\Windows\system32", where the drive is
// $SystemDrive (default "C:"). Its first character is the system drive letter.
std::string SystemDirectory();

}  // namespace platform
