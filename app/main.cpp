// kFeedDoc: downloads one RSS feed and writes its channel and items as Temp_RSS.xml.
//
//   kFeedDoc URL
//
// The arguments, joined by single blanks, are the feed URL (the program was made for a command
// line that is one text). The exit status is 0 after a complete export and 255 on every failure;
// the application log tells which step ended the run.

#include <string>

#include "app/Driver.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return RunFeedDoc(commandLine) & 0xFF;
}
