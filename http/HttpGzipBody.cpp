#include "http/HttpGzipBody.h"

#include "compress/Gzip.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "http/HttpResponseHeader.h"

bool IsGzipBody(const DataBuffer& body, const HttpResponseHeader& header) {
    return body.GetSize() > 10 && body.GetData()[0] == 0x1F && body.GetData()[1] == 0x8B &&
           header.IsGzipCoded();
}

bool ExpandGzipBody(DataBuffer& body, LogBase& log, ProgressMonitor* monitor) {
    if (monitor) {
        monitor->Info("HttpInfo", "UnGzipping response data");
    }
    DataBuffer expanded;
    if (!Gzip::unGzip(body, expanded, log)) {
        log.AddError("Failed to ungzip response data.");
        return false;
    }
    if (monitor) {
        monitor->Info("UnGzippedLength", static_cast<int64_t>(expanded.GetSize()));
    }
    body.Swap(expanded);
    return true;
}
