#pragma once
// Logger: the diagnostic log that keeps its tree. Every operation holds the logger's own lock,
// so several threads may write to one logger (their entries interleave in one tree).

#include "core/ErrorLog.h"
#include "core/LogBase.h"
#include "core/QuorvelCritSec.h"

class Logger : public LogBase, public QuorvelCritSec {
public:
    Logger() = default;
    ~Logger() override;

    void GetAsXml(StringBuffer& out) override;
    void GetAsHtml(StringBuffer& out) override;
    void GetAsText(StringBuffer& out) override;
    bool AddError(const char* text) override;
    bool AddInfo(const char* text) override;
    bool AddRaw(const char* text) override;
    bool ResetLog() override;
    bool OpenContext(const char* name, bool flag = true) override;
    bool CloseContext() override;
    bool AddData(const char* tag, const char* value) override;
    bool AddDataInt(const char* tag, int32_t value) override;
    bool AddDataInt64(const char* tag, int64_t value) override;
    bool AddDataHex(const char* tag, uint32_t value) override;
    void AddTickCount(const char* tag) override;
    // Renders the tree as XML into the file at `path` (replacing it); the flag is not used.
    bool WriteLogFile(bool flag, const char* path) override;

    // For inspection by tests and tools.
    const ErrorLog& Tree() const { return log_; }

private:
    ErrorLog log_;
};
