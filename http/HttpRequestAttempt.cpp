// One attempt of a request (HttpClient::SendAndReadResponse): choose and open the connection,
// build and send the request, read and parse the response header, read the body, expand a gzip
// body, close the connection when the server asks for it, and hand a 301 or 302 to the redirect
// step. Two repeats happen inside an attempt: once on a new connection when the pooled one turns
// out to be dead, and on new connections while a response has no parsable status line (up to
// depth 5). Everything runs on the caller's thread; every wait can be ended by the monitor.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "http/GetRequestBuilder.h"
#include "http/HttpBasicAuth.h"
#include "http/HttpBodyReaders.h"
#include "http/HttpClient.h"
#include "http/HttpConnectSteps.h"
#include "http/HttpControl.h"
#include "http/HttpCookieStore.h"
#include "http/HttpGzipBody.h"
#include "http/HttpProxySelection.h"
#include "http/HttpResult.h"
#include "http/RequestUrl.h"
#include "http/UrlParse.h"
#include "net/LoggedSocket2.h"
#include "net/OutputSink.h"
#include "platform/Clock.h"

namespace {

// A response header block that has not ended after this many bytes is refused, so that a
// server cannot make the client collect an endless header.
constexpr uint32_t kMaxResponseHeaderBytes = 65536;
constexpr uint32_t kPlainSendChunk = 4000;
constexpr uint32_t kWritableCheckSeconds = 1;
// How much of an answer without a status line is examined (and logged).
constexpr uint32_t kStatusSniffBytes = 500;
// Answers without a parsable status line are requested again while the depth is at most this.
constexpr int kDeepestHeaderRepeat = 4;
// "100 Continue" answers skipped before a final one; a server that sends nothing else is given
// up on instead of being read forever.
constexpr int kMostInterimResponses = 20;

std::string_view View(const DataBuffer& bytes) {
    return {reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()};
}

// Whether bytes that came instead of a status line are the start of an HTML page.
bool LooksLikeHtml(const DataBuffer& received) {
    const std::string_view start = View(received).substr(0, kStatusSniffBytes);
    StringBuffer text(start.data(), static_cast<uint32_t>(start.size()));
    // A NUL would end the text early; such bytes are not HTML anyway.
    return text.BeginsWith("<!---") || text.ContainsNoCase("<html");
}

class RequestAttempt {
public:
    RequestAttempt(HttpClient& client, const char* url, const AttemptFlags& flags,
                   const char* extraLines, HttpCall& call)
        : client_(client),
          url_(url),
          flags_(flags),
          extraLines_(extraLines),
          call_(call),
          settings_(call.settings),
          result_(call.result),
          header_(call.result.responseHeader),
          log_(call.log),
          monitor_(call.monitor),
          params_(HeartbeatMs(), call.monitor) {}

    bool Run();

private:
    uint32_t HeartbeatMs() const {
        return static_cast<uint32_t>(std::max(call_.settings.heartbeatMs, 0));
    }
    void Event(const char* name, const char* value) {
        if (monitor_) {
            monitor_->Info(name, value);
        }
    }
    bool Aborted() { return monitor_ && monitor_->CheckAbort(HeartbeatMs()); }

    // The same request once more, as a new attempt with other flags.
    bool Repeat(const char* contextName, const AttemptFlags& flags) {
        LogContext context(log_, contextName);
        return client_.SendAndReadResponse(url_.GetString(), flags, extraLines_, call_);
    }

    bool ConnectionIsUp() {
        if (tls_) {
            SecureChannel* channel = connection_->Channel();
            return channel && channel->IsConnected();
        }
        return connection_->Socket().IsConnected();
    }
    void SetTimeouts() {
        QuorvelSocket& socket = connection_->Socket();
        socket.SetConnectTimeoutSeconds(
            static_cast<uint32_t>(std::max(settings_.connectTimeout, 0)));
        socket.SetIdleTimeoutMs(settings_.ReadTimeoutMs());
    }
    bool OpenConnection();
    bool Connect(bool persistent);
    bool CheckWritable(bool& repeated);
    bool SendRequest();
    bool ReadResponse();
    bool ReadHeader(bool& complete);
    bool ReadPlainHeader(bool& complete);
    bool ReadTlsHeader();
    void LogHeaderReadFailure();
    void LogResponseHeader();
    bool CheckContentType();
    bool ReserveForBody();
    bool ReadBody(const DataBuffer& keptBytes, bool complete, bool discardBody);
    void EndConnection();

    HttpClient& client_;
    StringBuffer url_;
    AttemptFlags flags_;
    const char* extraLines_;
    HttpCall& call_;
    HttpControl& settings_;
    HttpResult& result_;
    HttpResponseHeader& header_;
    LogBase& log_;
    ProgressMonitor* monitor_;
    SocketReadParams params_;

    ParsedUrl parts_;
    bool tls_ = false;
    HttpProxy proxy_;
    LoggedSocket2 temporary_;
    LoggedSocket2* connection_ = nullptr;
    bool reused_ = false;  // the pooled connection was already open
    DataBuffer received_;  // every byte of the response read so far (the header block)
};

bool RequestAttempt::Run() {
    if (settings_.httpMethod.IsEmpty()) {
        settings_.httpMethod.SetString("GET");
    }
    log_.AddData("httpMethod", settings_.httpMethod.GetString());
    StringBuffer begin(settings_.httpMethod);
    begin.AppendChar(',');
    begin.Append(url_);
    Event("HttpRequestBegin", begin.GetString());

    log_.AddData("requestUrl", url_.GetString());
    result_.cacheStatus = 0;
    result_.fromCache = false;
    result_.sendFailed = false;
    switch (CheckUrlBeforeRequest(url_, settings_.maxUrlLen, log_)) {
        case UrlCheck::SkipAboutBlank:
            call_.output.Clear();
            return true;
        case UrlCheck::Fail:
            return false;
        case UrlCheck::Proceed:
            break;
    }
    // The response cache (readFromCache, writeToCache) is not part of this client: requests
    // always go to the network.

    if (!ParseUrl(url_.GetString(), parts_)) {
        log_.AddError("Failed to parse URL");
        log_.AddData("url", url_.GetString());
        return false;
    }
    if (client_.ConnectionHost().IsEmpty()) {
        client_.SetConnectionHost(parts_.host.GetString(), parts_.port);
    }
    tls_ = url_.BeginsWithNoCase("https:");
    SelectHttpProxy(settings_, url_.GetString(), true, proxy_, log_);

    if (!settings_.buildRequestOnly) {
        if (!OpenConnection()) {
            return false;
        }
        if (Aborted()) {
            return false;
        }
        if (!ConnectionIsUp()) {
            log_.AddError("Unable to connect to HTTP server.");
            return false;
        }
        bool repeated = false;
        const bool writable = CheckWritable(repeated);
        if (repeated || !writable) {
            return writable;
        }
        if (Aborted()) {
            return false;
        }
    }
    if (!SendRequest()) {
        return false;
    }
    if (settings_.buildRequestOnly) {
        return true;
    }
    return ReadResponse();
}

// Chooses the pooled connection or a temporary one and makes sure it is connected.
bool RequestAttempt::OpenConnection() {
    connection_ = flags_.persistent ? &client_.Connection() : &temporary_;
    connection_->SetVerbose(call_.verbose);
    if (!flags_.persistent) {
        log_.AddInfo("Using new connection...");
        SetTimeouts();
        return Connect(false);
    }
    if (ConnectionIsUp()) {
        log_.AddInfo("Using existing connection to web server...");
        reused_ = true;
        return true;
    }
    log_.AddInfo(proxy_.IsSet() ? "Connecting to proxy..." : "Connecting to web server...");
    connection_->Close(log_);
    SetTimeouts();
    const uint32_t start = platform::TickCount();
    const bool connected = Connect(true);
    log_.LogElapsedMs("connectElapsedMs", start);
    return connected;
}

bool RequestAttempt::Connect(bool persistent) {
    bool connected = false;
    if (proxy_.IsSet()) {
        log_.AddData("proxyDomain", proxy_.host.GetString());
        log_.AddDataInt("port", proxy_.port);
        if (tls_) {
            // A tunnel through the proxy ends in a TLS handshake, which needs the secure
            // channel; connectSChannel says why there is none.
            connected = connectSChannel(*connection_, proxy_.host.GetString(), proxy_.port,
                                        settings_, monitor_, log_);
        } else {
            connected = connectSocket(*connection_, proxy_.host.GetString(), proxy_.port, settings_,
                                      monitor_, log_);
        }
        if (!connected) {
            log_.AddError("Failed to connect to proxy server");
        }
    } else {
        StringBuffer host(parts_.host);
        host.ChopAtFirstChar('?');
        log_.AddData("httpServer", host.GetString());
        log_.AddDataInt("port", parts_.port);
        if (tls_) {
            log_.AddInfo("Using HTTPS.");
            connected = connectSChannel(*connection_, host.GetString(), parts_.port, settings_,
                                        monitor_, log_);
        } else {
            connected = connectSocket(*connection_, host.GetString(), parts_.port, settings_,
                                      monitor_, log_);
        }
        if (!connected) {
            log_.AddError(persistent ? "Failed to connect to HTTP server."
                                     : "Failed to connect to HTTP server");
        }
    }
    if (!connected) {
        connection_->Close(log_);
    }
    return connected;
}

// A plain connection must accept data within a second. A pooled connection that was already
// open must also still be open at the server's end: a server that closed it while it was idle
// would otherwise take the request and answer nothing. Either failure on a first try repeats the
// attempt on a new connection; `repeated` then tells that the return value is that attempt's.
bool RequestAttempt::CheckWritable(bool& repeated) {
    repeated = false;
    if (tls_) {
        return true;
    }
    QuorvelSocket& socket = connection_->Socket();
    const bool closedByServer = reused_ && socket.PeerHasClosed();
    if (closedByServer) {
        log_.AddInfo("The HTTP server has closed the existing connection.");
        connection_->Close(log_);
    } else if (socket.WaitWritableSeconds(kWritableCheckSeconds, log_)) {
        return true;
    }
    if (flags_.firstTry) {
        Event("HttpInfo",
              "Existing connection with HTTP server no longer open, restarting with new "
              "connection.");
        repeated = true;
        if (Aborted()) {
            return false;
        }
        AttemptFlags again = flags_;
        again.persistent = false;
        again.firstTry = false;
        return Repeat("simpleHttpRequest_1", again);
    }
    log_.AddError("Socket connection to HTTP server is not writeable.");
    result_.sendFailed = true;
    return false;
}

bool RequestAttempt::SendRequest() {
    GetRequestInputs in;
    in.url = url_.GetString();
    in.host = parts_.host.GetString();
    in.port = parts_.port;
    in.path = parts_.path.IsEmpty() ? "/" : parts_.path.GetString();
    in.query = parts_.query.GetString();
    in.extraLines = extraLines_;
    in.authSchemeName = client_.AuthSchemeName().GetString();
    in.cookies = call_.cookieSource;
    HttpBasicCredentials credentials;
    in.credentials = &credentials;
    StringBuffer request;
    BuildChosenGetRequest(in, settings_, result_, request, log_, monitor_);
    if (settings_.buildRequestOnly) {
        settings_.builtRequest.SetString(request);
        return true;
    }

    if (call_.verbose) {
        log_.AddInfo("--------- HTTP Request -----------");
        log_.AddData("HttpRequest", request.GetString());
        log_.AddInfo("----------------------------------");
    }
    Event("RequestHeader", request.GetString());

    const uint32_t start = platform::TickCount();
    const auto* bytes = reinterpret_cast<const unsigned char*>(request.GetString());
    const bool sent =
        tls_ ? connection_->SecureSend(bytes, request.GetSize(), settings_.ReadTimeoutMs(), params_,
                                       log_)
             : connection_->SendBytes(bytes, request.GetSize(), kPlainSendChunk, params_, log_);
    log_.LogElapsedMs("sendElapsedMs", start);
    if (!sent) {
        log_.AddError("Failed to send HTTP GET");
        result_.sendFailed = true;
        connection_->Close(log_);
        return false;
    }
    return true;
}

bool RequestAttempt::ReadResponse() {
    Event("HttpInfo", "Begin reading response");
    if (Aborted()) {
        return false;
    }
    connection_->Socket().SetPerfMonitoring(true);
    connection_->Socket().ResetPerfMonitors();

    for (int interim = 0;; ++interim) {
        const uint32_t readStart = platform::TickCount();
        received_.Clear();
        bool complete = false;  // the server closed right after a header-less HTML page
        if (!ReadHeader(complete)) {
            return false;
        }
        LogResponseHeader();
        header_.ParseResponseHeader(reinterpret_cast<const char*>(received_.GetData()),
                                    received_.GetSize());

        SaveResponseCookies(call_.cookieStore, header_, client_.ConnectionHost().GetString(),
                            settings_, log_, monitor_);
        if (!CheckContentType()) {
            return false;
        }

        const int status = header_.StatusCode();
        if (monitor_) {
            monitor_->Info("HttpStatusCode", status);
        }
        if (!(status == 401 && (settings_.useNtlm || settings_.useNegotiate))) {
            log_.AddDataInt("StatusCode", status);
            log_.AddData("StatusText", header_.StatusText().GetString());
        }

        DataBuffer keptBytes;  // the start of the body that came in place of a header
        if (status == 0) {
            if (!LooksLikeHtml(received_)) {
                const std::string_view start = View(received_).substr(0, kStatusSniffBytes);
                log_.AddError("Invalid response header received");
                log_.AddData(
                    "received",
                    StringBuffer(start.data(), static_cast<uint32_t>(start.size())).GetString());
                connection_->Close(log_);
                if (flags_.redirectDepth > kDeepestHeaderRepeat) {
                    return false;
                }
                AttemptFlags again = flags_;
                again.followUp = true;
                ++again.redirectDepth;
                again.persistent = false;
                again.firstTry = false;
                return Repeat("simpleHttpRequest_2", again);
            }
            header_.MarkHeaderless();
            keptBytes.Swap(received_);
        }

        if (!ReserveForBody()) {
            return false;
        }
        const bool discardBody = settings_.useDigest && status == 401;
        if (discardBody) {
            log_.AddInfo("Discarding response body for 401 digest authentication...");
            keptBytes.Clear();
        }
        if (!ReadBody(keptBytes, complete, discardBody)) {
            return false;
        }
        Event("HttpInfo", "Finished reading response");
        log_.LogElapsedMs("readResponseElapsedMs", readStart);

        DataBuffer* body = call_.output.MemoryBuffer();
        if (body && IsGzipBody(*body, header_)) {
            ExpandGzipBody(*body, log_, monitor_);
        }
        if (settings_.maxContentLength != 0 && call_.output.Size() > settings_.maxContentLength) {
            log_.AddError("Content length more than the maximum allowed...");
            log_.AddDataInt64("maxContentLength", static_cast<int64_t>(std::min<uint64_t>(
                                                      settings_.maxContentLength, INT64_MAX)));
            return false;
        }

        if (status == 100) {
            // An interim answer: the final one follows on the same connection, which therefore
            // stays open.
            if (interim + 1 >= kMostInterimResponses) {
                log_.AddError("Too many 100 Continue responses without a final response.");
                connection_->Close(log_);
                return false;
            }
            continue;
        }
        EndConnection();
        if (status == 301 || status == 302) {
            if (!client_.HttpRedirect(url_.GetString(), flags_.redirectDepth, call_)) {
                return false;
            }
        }
        return true;
    }
}

// Reads the header block into received_. `complete` is set when the server sent an HTML page
// without any header and closed the connection after it: the page is then the whole answer.
bool RequestAttempt::ReadHeader(bool& complete) {
    complete = false;
    params_.ClearFlags();
    const bool read = tls_ ? ReadTlsHeader() : ReadPlainHeader(complete);
    if (read) {
        return true;
    }
    connection_->Close(log_);
    log_.AddError("Failed to get response header");
    return false;
}

bool RequestAttempt::ReadPlainHeader(bool& complete) {
    if (connection_->ReadHeaderBlock(received_, params_, log_, kMaxResponseHeaderBytes)) {
        return true;
    }
    if (params_.connectionClosed && received_.GetSize() != 0 &&
        !View(received_).starts_with("HTTP") && LooksLikeHtml(received_)) {
        complete = true;
        return true;
    }
    LogHeaderReadFailure();
    return false;
}

bool RequestAttempt::ReadTlsHeader() {
    DataBuffer piece;
    for (;;) {
        bool endOfData = false;
        const bool read =
            connection_->SecureReceive(piece, settings_.ReadTimeoutMs(), params_, endOfData, log_);
        if (read) {
            received_.Append(piece);
        }
        if (View(received_).find("\r\n\r\n") != std::string_view::npos) {
            return true;
        }
        if (!read || params_.timedOut || params_.aborted || params_.fatalError ||
            params_.connectionClosed) {
            LogHeaderReadFailure();
            return false;
        }
        if (endOfData) {
            return false;
        }
        if (received_.GetSize() > kMaxResponseHeaderBytes) {
            log_.AddError("The block has not ended within the allowed size.");
            log_.AddDataInt("maxBytes", static_cast<int32_t>(kMaxResponseHeaderBytes));
            return false;
        }
    }
}

void RequestAttempt::LogHeaderReadFailure() {
    if (params_.timedOut) {
        log_.AddError("Timeout trying to read HTTP response header");
        log_.AddDataInt("readTimeout", settings_.readTimeout);
    } else if (params_.connectionClosed) {
        log_.AddError("HTTP server closed the connection before the response head could be read.");
    } else if (params_.aborted) {
        log_.AddInfo("Application aborted prior to reading the response header.");
    }
}

// The header as text (up to its empty line, with a line end in front) for the log and the
// event "ResponseHeader".
void RequestAttempt::LogResponseHeader() {
    const std::string_view all = View(received_);
    const std::string_view head = all.substr(0, all.find("\r\n\r\n"));
    StringBuffer text("\r\n");
    text.AppendN(head.data(), static_cast<uint32_t>(head.size()));
    if (call_.verbose || settings_.useDigest) {
        log_.AddData("responseHeader", text.GetString());
    }
    Event("ResponseHeader", text.GetString());
}

bool RequestAttempt::CheckContentType() {
    if (settings_.requiredContentType.IsEmpty()) {
        return true;
    }
    StringBuffer mediaType;
    header_.GetMediaType(mediaType);
    if (mediaType.EqualsNoCase(settings_.requiredContentType.GetString())) {
        return true;
    }
    StringBuffer received;
    header_.GetField("content-type", received);
    log_.AddError("Content-Type does not match the required content type");
    log_.AddData("requiredContentType", settings_.requiredContentType.GetString());
    log_.AddData("receivedContentType", received.GetString());
    connection_->Close(log_);
    return false;
}

// With a known length the monitor counts towards it and the output makes room for the whole
// body at once. A length beyond maxContentLength is refused by the body reader, so no room is
// made for it.
bool RequestAttempt::ReserveForBody() {
    const int64_t length = header_.ContentLength();
    if (length <= 0) {
        return true;
    }
    if (monitor_) {
        monitor_->Restart(static_cast<uint64_t>(length));
    }
    const bool beyondLimit = settings_.maxContentLength != 0 &&
                             static_cast<uint64_t>(length) > settings_.maxContentLength;
    if (length >= (int64_t{1} << 32) || beyondLimit) {
        return true;
    }
    if (!call_.output.Reserve(static_cast<uint64_t>(length))) {
        log_.AddError("Failed to allocate memory for HTTP download.");
        log_.AddDataInt64("NumBytesRequired", length);
        return false;
    }
    return true;
}

bool RequestAttempt::ReadBody(const DataBuffer& keptBytes, bool complete, bool discardBody) {
    log_.AddInfo("Reading response body...");
    Event("HttpInfo", "Begin reading response body...");
    OutputSink& output = call_.output;
    output.Clear();
    if (keptBytes.GetSize() != 0 && !output.Write(keptBytes.GetData(), keptBytes.GetSize(), log_)) {
        return false;
    }
    if (complete) {
        return true;  // the server closed after the page; there is nothing more to read
    }
    MemoryOutput scratch;
    OutputSink& target = discardBody ? static_cast<OutputSink&>(scratch) : output;
    const bool read = tls_
                          ? ReadBodyTls(settings_, result_, target, *connection_, received_,
                                        call_.verbose, log_, monitor_)
                          : ReadBodyPlain(settings_, result_, target, *connection_, log_, monitor_);
    if (read) {
        return true;
    }
    if (monitor_ && monitor_->Aborted()) {
        log_.AddInfo("Application aborted HTTP GET in event callback.");
    } else {
        log_.AddError(tls_ ? "Failed to fetch response data on SSL connection."
                           : "Failed to fetch response data on non-SSL connection.");
    }
    // Whatever is left of this response must not be read as the start of the next one.
    connection_->Close(log_);
    return false;
}

void RequestAttempt::EndConnection() {
    if (!flags_.persistent) {
        connection_->Close(log_);
        return;
    }
    if (!header_.ConnectionClose()) {
        return;
    }
    if (settings_.connectLog) {
        settings_.connectLog->AddInfo("Got connection:close header");
    }
    log_.AddInfo("Got connection:close header");
    Event("HttpInfo", "Connection:close header is present");
    connection_->Close(log_);
}

}  // namespace

bool HttpClient::SendAndReadResponse(const char* url, const AttemptFlags& flags,
                                     const char* extraLines, HttpCall& call) {
    RequestAttempt attempt(*this, url ? url : "", flags, extraLines, call);
    return attempt.Run();
}
