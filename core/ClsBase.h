#pragma once
// ClsBase: base of the component objects (ClsRss, ClsXml, ClsHttp, ...). Each owns a diagnostic
// log that holds the story of its latest public call, and begins every public method the same
// way (MethodScope):
//   1. the log is cleared;
//   2. a context named after the method is entered;
//   3. "DllDate" "Feb 28 2011" and the environment ("Username", "Architecture", "Language")
//      are logged;
// and the context is left when the method returns. Methods that report an outcome log
// "Success." (information) or "Failed." (error) before that, through LogOutcome.

#include "core/Logger.h"
#include "core/QuorvelObject.h"

class ClsBase : public QuorvelObject {
public:
    ClsBase() = default;
    ~ClsBase() override;

    // Two queries of the component interface that this library always answers with false.
    virtual bool QueryA() const { return false; }
    virtual bool QueryB() const { return false; }

    Logger& GetLog() { return log_; }

protected:
    // The standard entry and exit of a public method, for the life of a scope.
    class MethodScope {
    public:
        MethodScope(ClsBase& object, const char* methodName);
        ~MethodScope();
        MethodScope(const MethodScope&) = delete;
        MethodScope& operator=(const MethodScope&) = delete;

    private:
        ClsBase& object_;
    };

    void LogOutcome(bool success);

    Logger log_;
};

// The "Language" text of an edition code; every code without a name of its own (0 among them,
// the native edition this program is) gives the native text.
const char* EditionLanguageText(int editionCode);

// Logs "DllDate" and the environment entries of the standard entry.
void LogStandardEntryData(LogBase& log);
