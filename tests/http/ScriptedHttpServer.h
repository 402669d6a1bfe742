#pragma once
// A raw HTTP server for the request-driver tests: it answers the requests it receives, in
// arrival order and across all its connections, with the scripted answers, byte for byte, and
// records every request. After an answer it keeps the connection for the next request, closes
// it, or stalls. Every wait is bounded; destroying the server stops it.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"

namespace roadtest {

struct Answer {
    enum class Then { KeepOpen, Close, Stall };

    std::string bytes;
    Then then = Then::KeepOpen;
    int stallMs = 3000;  // Then::Stall: how long to hold the connection without a word

    static Answer Close(std::string bytes) { return {std::move(bytes), Then::Close}; }
    static Answer Stall(std::string bytes, int ms) { return {std::move(bytes), Then::Stall, ms}; }
};

// "HTTP/1.1 <status>\r\n" + the fields + "Content-Length" for the body + "\r\n" + the body.
std::string Response(const std::string& status, const std::string& fields, const std::string& body);
// The data as one gzip member, made by zlib.
std::string GzipMember(const std::string& data);
// The data as a chunked body: chunks of at most `chunkSize` bytes and the final empty chunk.
std::string Chunked(const std::string& data, size_t chunkSize);

class ScriptedHttpServer {
public:
    explicit ScriptedHttpServer(std::vector<Answer> answers, int maxConnections = 32);
    ~ScriptedHttpServer();

    int Port() const { return server_.Port(); }
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:<port>" + path
    int Connections() const { return server_.Accepted(); }
    std::vector<std::string> Requests() const;
    // Connections the client closed while the server waited for its next request.
    int ClosedByClient() const { return closedByClient_.load(); }
    // Waits (at most 2 s) until the server has closed `count` connections after an answer.
    bool WaitUntilClosedByServer(int count) const;

private:
    void Serve(testsupport::ServerConnection& peer);

    mutable std::mutex mutex_;
    std::vector<Answer> answers_;
    size_t next_ = 0;
    std::vector<std::string> requests_;
    std::atomic<int> closedByClient_{0};
    std::atomic<int> closedByServer_{0};
    testsupport::LoopbackServer server_;  // last: its thread uses the members above
};

}  // namespace roadtest
