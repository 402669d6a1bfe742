#pragma once
// Reading a response body after its header has been read and parsed into result.responseHeader.
// The request driver calls one reader per response, by connection kind:
//
//   ReadBodyPlain(settings, result, output, connection, log, monitor);
//       plain TCP: the header was read exactly up to its empty line, so the body starts at the
//       connection's next byte.
//   ReadBodyTls(settings, result, output, connection, received, verbose, log, monitor);
//       TLS: `received` holds every byte received so far (the header and whatever followed it).
//
// Both decide from the status code and the header how the body is delimited (chunked transfer
// coding, Content-Length, or the end of the connection), append it to `output` (which the
// driver hands over empty), enforce settings.maxContentLength, and explain every failure in the
// log. They use settings.readTimeout as the idle time-out of their reads and
// settings.heartbeatMs for abort checks; how the last read ended is left in result.readFlags.
// A gzip body is stored as received (the driver expands it). Bytes already written to the
// output stay there when a read fails.
//
// Which statuses carry a body (plain connections): 200-299 except 204, 301, 302, 303 and 307,
// and 400 or above when the header has a content length or chunking. A 500 without either is read
// until the server closes, waiting at most 3 seconds for data; 100 succeeds without a body; every
// other status fails with "No response body to fetch...".

class DataBuffer;
class HttpControl;
class HttpResult;
class LogBase;
class LoggedSocket2;
class OutputSink;
class ProgressMonitor;

bool ReadBodyPlain(const HttpControl& settings, HttpResult& result, OutputSink& output,
                   LoggedSocket2& connection, LogBase& log, ProgressMonitor* monitor);

bool ReadBodyTls(const HttpControl& settings, HttpResult& result, OutputSink& output,
                 LoggedSocket2& connection, const DataBuffer& received, bool verbose, LogBase& log,
                 ProgressMonitor* monitor);
