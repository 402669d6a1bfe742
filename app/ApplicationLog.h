#pragma once
// The application log: a day-by-day, tab-separated UTF-16LE text file that records every step of
// a run. Each call writes exactly one entry line and opens and closes the file itself.
//
// File: <log base folder>/ApplicationLog/<software>_DDMMYYYY.Log. A new file starts with FF FE,
// "#Software: <software>", "#Version: <version>", "#Date: DD/MM/YYYY hh:mm:ss tt" and
// "#Fields:\tdtime\tmodule\ttype\tval1\tval2\tval3"; every entry is
// "DD/MM/YYYY hh:mm:ss tt\t<module>\t<type>\t<val1>\t<val2>\t<val3>". Line ends are CR LF.
// The type "Information" is written "INFO"; any other type is upper-cased (a to z only).
//
// Nothing here reports a failure: when the folder cannot be made or the file cannot be opened
// (for example because the data folder does not exist), the call writes nothing.

#include <string>
#include <string_view>

#include "platform/Clock.h"

// The folder under which "ApplicationLog" lives; set once by the driver at start.
void SetLogBaseFolder(std::u16string_view folder);
const std::u16string& LogBaseFolder();

void WriteApplicationLog(std::u16string_view software, std::u16string_view version,
                         std::u16string_view module, std::u16string_view type,
                         std::u16string_view val1, std::u16string_view val2,
                         std::u16string_view val3);

// The same, with the folder and the local time given (the time is read once per call).
void WriteApplicationLogAt(std::u16string_view logBaseFolder, const platform::LocalDateTime& when,
                           std::u16string_view software, std::u16string_view version,
                           std::u16string_view module, std::u16string_view type,
                           std::u16string_view val1, std::u16string_view val2,
                           std::u16string_view val3);

// The type rule of the type column.
std::u16string ApplicationLogType(std::u16string_view type);
