#pragma once
// LogBase: the diagnostic log as inner code sees it. Every internal operation takes the caller's
// LogBase and tells its story there: contexts for the steps it enters, data values, information
// and errors. Whether anything is kept depends on the object behind it: LogNull keeps nothing,
// Logger keeps a tree.
//
// The virtual operations below are in the order of the interface's table; their base bodies do
// nothing and report success. The further operations at the end are built on the virtual ones.
// Logging ANSI text (which needs the conversion engine) is LogAnsiData in encoding/.

#include <cstdint>

class StringBuffer;

class LogBase {
public:
    LogBase() = default;
    virtual ~LogBase();
    LogBase(const LogBase&) = delete;
    LogBase& operator=(const LogBase&) = delete;

    virtual void GetAsXml(StringBuffer& out);
    virtual void GetAsHtml(StringBuffer& out);
    virtual void GetAsText(StringBuffer& out);
    virtual bool AddError(const char* text);
    virtual bool AddInfo(const char* text);
    virtual bool AddRaw(const char* text);
    virtual bool ResetLog();
    virtual bool OpenContext(const char* name, bool flag = true);
    virtual bool CloseContext();
    virtual bool AddData(const char* tag, const char* value);
    virtual bool AddDataInt(const char* tag, int32_t value);
    virtual bool AddDataInt64(const char* tag, int64_t value);
    virtual bool AddDataHex(const char* tag, uint32_t value);
    virtual void AddTickCount(const char* tag);
    virtual bool WriteLogFile(bool flag, const char* path);

    // The bytes as upper-case hexadecimal pairs, a blank after every second byte and a line
    // feed after every 16 bytes, as one data value. Absent bytes log "No binary data to log".
    void LogDataHex(const char* tag, const void* bytes, uint32_t count);
    // "Elapsed time: %d millisec" when the tick count has not gone back and less than
    // 900000000 ms have passed since startTick; otherwise nothing.
    void LogElapsedMs(const char* tag, uint32_t startTick);
    // "WindowsError" with the message text of the thread's last error, and "WindowsErrorCode".
    void LogLastSystemError();
    // "WindowsError" with the message text of a non-zero error code.
    void LogSystemErrorCode(int code);
};

// A log that keeps nothing: for inner calls whose story nobody will read.
class LogNull : public LogBase {
public:
    ~LogNull() override;
};

// Opens a context for the life of a scope, so that every road out of a step leaves it.
class LogContext {
public:
    LogContext(LogBase& log, const char* name) : log_(log) { log_.OpenContext(name); }
    ~LogContext() { log_.CloseContext(); }
    LogContext(const LogContext&) = delete;
    LogContext& operator=(const LogContext&) = delete;

private:
    LogBase& log_;
};
