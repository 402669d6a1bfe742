#pragma once
// Logs text given in the process's ANSI code page as a data value of the diagnostic log, which
// holds UTF-8: the text is converted first (through XString).

class LogBase;

void LogAnsiData(LogBase& log, const char* tag, const char* ansiText);
