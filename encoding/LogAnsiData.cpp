#include "encoding/LogAnsiData.h"

#include "core/LogBase.h"
#include "encoding/XString.h"

void LogAnsiData(LogBase& log, const char* tag, const char* ansiText) {
    XString text;
    text.SetFromAnsi(ansiText);
    log.AddData(tag, text.GetUtf8());
}
