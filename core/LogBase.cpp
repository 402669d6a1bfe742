#include "core/LogBase.h"

#include <cstdio>

#include "core/StringBuffer.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

LogBase::~LogBase() = default;
LogNull::~LogNull() = default;

void LogBase::GetAsXml(StringBuffer&) {}
void LogBase::GetAsHtml(StringBuffer&) {}
void LogBase::GetAsText(StringBuffer&) {}
bool LogBase::AddError(const char*) { return true; }
bool LogBase::AddInfo(const char*) { return true; }
bool LogBase::AddRaw(const char*) { return true; }
bool LogBase::ResetLog() { return true; }
bool LogBase::OpenContext(const char*, bool) { return true; }
bool LogBase::CloseContext() { return true; }
bool LogBase::AddData(const char*, const char*) { return true; }
bool LogBase::AddDataInt(const char*, int32_t) { return true; }
bool LogBase::AddDataInt64(const char*, int64_t) { return true; }
bool LogBase::AddDataHex(const char*, uint32_t) { return true; }
void LogBase::AddTickCount(const char*) {}
bool LogBase::WriteLogFile(bool, const char*) { return true; }

void LogBase::LogDataHex(const char* tag, const void* bytes, uint32_t count) {
    if (!bytes) {
        AddError("No binary data to log");
        return;
    }
    StringBuffer hex;
    hex.AppendHex(bytes, count, true);
    AddData(tag, hex.GetString());
}

void LogBase::LogElapsedMs(const char* tag, uint32_t startTick) {
    const uint32_t now = platform::TickCount();
    if (now < startTick || now - startTick >= 900000000u) {
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Elapsed time: %d millisec", static_cast<int>(now - startTick));
    AddData(tag, text);
}

void LogBase::LogLastSystemError() {
    const int code = platform::LastErrorCode();
    StringBuffer message;
    message.AppendSystemErrorText(code);
    AddData("WindowsError", message.GetString());
    AddDataHex("WindowsErrorCode", static_cast<uint32_t>(code));
}

void LogBase::LogSystemErrorCode(int code) {
    if (code == 0) {
        return;
    }
    StringBuffer message;
    message.AppendSystemErrorText(code);
    AddData("WindowsError", message.GetString());
}
