#include "app/RunLog.h"

#include "app/ApplicationLog.h"

namespace {
void Log(std::u16string_view type, std::u16string_view message, std::u16string_view datum) {
    WriteApplicationLog(u"kFeedDoc", u"1.0.0.0", u"kFeedDoc", type, u"WinMain", message, datum);
}
}  // namespace

void LogInfo(std::u16string_view message, std::u16string_view datum) { Log(u"INFO", message, datum); }

void LogError(std::u16string_view message, std::u16string_view datum) { Log(u"ERROR", message, datum); }
