#include "tests/http/ScriptedHttpServer.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace roadtest {

namespace {
constexpr int kRequestWaitMs = 5000;
}  // namespace

std::string Response(const std::string& status, const std::string& fields,
                     const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + fields +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string GzipMember(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Chunked(const std::string& data, size_t chunkSize) {
    std::string out;
    for (size_t at = 0; at < data.size(); at += chunkSize) {
        const std::string piece = data.substr(at, chunkSize);
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        out += size + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

ScriptedHttpServer::ScriptedHttpServer(std::vector<Answer> answers, int maxConnections)
    : answers_(std::move(answers)),
      server_([this](testsupport::ServerConnection& peer) { Serve(peer); }, maxConnections) {}

ScriptedHttpServer::~ScriptedHttpServer() = default;

std::string ScriptedHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool ScriptedHttpServer::WaitUntilClosedByServer(int count) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (closedByServer_.load() < count) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void ScriptedHttpServer::Serve(testsupport::ServerConnection& peer) {
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        const std::string request = peer.ReceiveUntil("\r\n\r\n", kRequestWaitMs);
        if (request.find("\r\n\r\n") == std::string::npos) {
            const bool quietTooLong = std::chrono::steady_clock::now() - start >=
                                      std::chrono::milliseconds(kRequestWaitMs);
            if (request.empty() && !peer.Stopping() && !quietTooLong) {
                ++closedByClient_;
            }
            return;
        }
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
            if (next_ >= answers_.size()) {
                return;  // nothing more to say: the connection closes
            }
            answer = answers_[next_++];
        }
        peer.Send(answer.bytes);
        if (answer.then == Answer::Then::Close) {
            peer.Close();
            ++closedByServer_;
            return;
        }
        if (answer.then == Answer::Then::Stall) {
            peer.Pause(answer.stallMs);
            return;
        }
    }
}

}  // namespace roadtest
