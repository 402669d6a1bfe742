#pragma once
// Expanding a response body that the server sent gzip-coded ("Content-Encoding: gzip").
//
//   if (IsGzipBody(body, header)) ExpandGzipBody(body, log, monitor);
//
// IsGzipBody: more than 10 bytes that begin with 1F 8B, and the header's content-encoding is
// "gzip" in any letter case. ExpandGzipBody sends the event "HttpInfo" "UnGzipping response
// data" and replaces the bytes by the expanded ones ("UnGzippedLength" with their count); when
// the member cannot be read it logs "Failed to ungzip response data." and leaves the bytes as
// they were.

class DataBuffer;
class HttpResponseHeader;
class LogBase;
class ProgressMonitor;

bool IsGzipBody(const DataBuffer& body, const HttpResponseHeader& header);
bool ExpandGzipBody(DataBuffer& body, LogBase& log, ProgressMonitor* monitor);
