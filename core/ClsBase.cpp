#include "core/ClsBase.h"

#include <string>

#include "platform/SystemInfo.h"

namespace {
constexpr const char* kDllDate = "Feb 28 2011";
constexpr int kEditionCode = 0;  // the native C++ edition
constexpr size_t kUserNameBufferSize = 400;
}  // namespace

ClsBase::~ClsBase() = default;

const char* EditionLanguageText(int editionCode) {
    switch (editionCode) {
        case 1:
            return ".NET 1.*";
        case 2:
            return ".NET 2.0";
        case 3:
            return "ActiveX";
        case 4:
            return ".NET 4.0";
        case 264:
            return ".NET 2.0 / x64";
        case 464:
            return ".NET 4.0 / x64";
        default:
            return "C++ / Linux native";
    }
}

void LogStandardEntryData(LogBase& log) {
    log.AddData("DllDate", kDllDate);
    std::string user = platform::UserName();
    if (user.size() >= kUserNameBufferSize) {
        user.clear();  // the name does not fit the buffer: the call fails and logs empty
    }
    log.AddData("Username", user.c_str());
    log.AddData("Architecture", "Little Endian; 32-bit");
    log.AddData("Language", EditionLanguageText(kEditionCode));
}

ClsBase::MethodScope::MethodScope(ClsBase& object, const char* methodName) : object_(object) {
    object_.log_.ResetLog();
    object_.log_.OpenContext(methodName);
    LogStandardEntryData(object_.log_);
}

ClsBase::MethodScope::~MethodScope() { object_.log_.CloseContext(); }

void ClsBase::LogOutcome(bool success) {
    if (success) {
        log_.AddInfo("Success.");
    } else {
        log_.AddError("Failed.");
    }
}
