#include "core/Logger.h"

#include <cinttypes>
#include <cstdio>

#include "core/StringBuffer.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

Logger::~Logger() = default;

void Logger::GetAsXml(StringBuffer& out) {
    CritSecExitor hold(*this);
    log_.GetAsXml(out);
}

void Logger::GetAsHtml(StringBuffer& out) {
    CritSecExitor hold(*this);
    log_.GetAsHtml(out);
}

void Logger::GetAsText(StringBuffer& out) {
    CritSecExitor hold(*this);
    log_.GetAsText(out);
}

bool Logger::AddError(const char* text) {
    CritSecExitor hold(*this);
    log_.AddMessage('E', text);
    return true;
}

bool Logger::AddInfo(const char* text) {
    CritSecExitor hold(*this);
    log_.AddMessage('I', text);
    return true;
}

bool Logger::AddRaw(const char* text) {
    CritSecExitor hold(*this);
    log_.AddMessage('X', text);
    return true;
}

bool Logger::ResetLog() {
    CritSecExitor hold(*this);
    log_.ResetLog();
    return true;
}

bool Logger::OpenContext(const char* name, bool) {
    CritSecExitor hold(*this);
    log_.OpenContext(name);
    return true;
}

bool Logger::CloseContext() {
    CritSecExitor hold(*this);
    log_.CloseContext();
    return true;
}

bool Logger::AddData(const char* tag, const char* value) {
    CritSecExitor hold(*this);
    return log_.AddData(tag, value);
}

bool Logger::AddDataInt(const char* tag, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return AddData(tag, text);
}

bool Logger::AddDataInt64(const char* tag, int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    return AddData(tag, text);
}

bool Logger::AddDataHex(const char* tag, uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return AddData(tag, text);
}

void Logger::AddTickCount(const char* tag) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", platform::TickCount());
    AddData(tag, text);
}

bool Logger::WriteLogFile(bool, const char* path) {
    StringBuffer xml;
    GetAsXml(xml);
    platform::BinaryFile file;
    return path && file.Open(path, platform::BinaryFile::Mode::WriteTruncate) &&
           file.Write(xml.GetString(), xml.GetSize());
}
