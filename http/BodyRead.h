#pragma once
// BodyRead: the state one body read works with, shared by the plain and the TLS body reader
// (HttpBodyReaders.h): the settings, the parsed header, the output, the connection, the log,
// the monitor and the read parameters whose flags end up in result.readFlags.

#include "net/SocketReadParams.h"

class HttpControl;
class HttpResponseHeader;
class HttpResult;
class LogBase;
class LoggedSocket2;
class OutputSink;
class ProgressMonitor;

class BodyRead {
public:
    BodyRead(const HttpControl& settings, HttpResult& result, OutputSink& output,
             LoggedSocket2& connection, LogBase& log, ProgressMonitor* monitor);

protected:
    // Leaves how the reads ended in the result; returns `read`.
    bool Finish(bool read);
    // The event "HttpInfo" and the progress sink's chunked-body notification.
    void NotifyChunkedBody();

    const HttpControl& settings_;
    HttpResult& result_;
    const HttpResponseHeader& header_;
    OutputSink& output_;
    LoggedSocket2& connection_;
    LogBase& log_;
    ProgressMonitor* monitor_;
    SocketReadParams params_;
};
