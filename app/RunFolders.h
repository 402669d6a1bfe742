#pragma once
// The texts the program works out at start: where it is installed, where its file lives, and its
// data folder with the export paths below it. Set once, then only read.

#include <string>

struct RunFolders {
    std::u16string installationPath;  // registry value, else a Program Files fallback, else empty
    std::u16string moduleFolder;      // the program file's path, cut before its last "/"
    std::u16string dataFolder;        // the common application data folder + "/TALVEX"

    std::u16string DuCorFolder() const { return dataFolder + u"/vQTS/DuCor"; }
    std::u16string RssLinksFolder() const { return dataFolder + u"/vQTS" + u"/DuCor/RssLinks/"; }
    std::u16string ExportPath() const { return RssLinksFolder() + u"Temp_RSS.xml"; }
};

// Reads the system drive, the module path, the data folder and the installation path.
// Nothing here fails: a missing registry value or folder leaves the text as the rules say.
RunFolders DetermineRunFolders();

// The installation path when the registry has none: the fixed text of the first Program Files
// folder that exists on the system drive ("C:\Program Files\TALVEX\" or
// "C:\Program Files(x86)\TALVEX\", always drive C), else empty.
std::u16string ProgramFilesFallback(char16_t systemDriveLetter);
