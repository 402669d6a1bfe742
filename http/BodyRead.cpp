#include "http/BodyRead.h"

#include <algorithm>

#include "core/ProgressMonitor.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"

BodyRead::BodyRead(const HttpControl& settings, HttpResult& result, OutputSink& output,
                   LoggedSocket2& connection, LogBase& log, ProgressMonitor* monitor)
    : settings_(settings),
      result_(result),
      header_(result.responseHeader),
      output_(output),
      connection_(connection),
      log_(log),
      monitor_(monitor),
      params_(static_cast<uint32_t>(std::max(settings.heartbeatMs, 0)), monitor) {}

bool BodyRead::Finish(bool read) {
    result_.readFlags = {params_.timedOut, params_.aborted, params_.fatalError,
                         params_.connectionClosed};
    return read;
}

void BodyRead::NotifyChunkedBody() {
    if (monitor_) {
        monitor_->Info("HttpInfo", "Reading chunked response.");
        monitor_->Sink()->Notify0a();  // the chunked-body notification
    }
}
