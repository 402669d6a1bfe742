#pragma once
// What the end-to-end tests share: running the real kFeedDoc program in a data folder of its
// own, building the bytes an export document must have, and a scripted HTTP server on a raw
// socket for the answers a real server will not give.

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace e2e {

// The last log lines of the program's ends that the tests look for.
constexpr const char* kSuccess = "XML Created. Application Successfully Ends";
constexpr const char* kDownloadFailed = "Downloading RSS Failed :";
constexpr const char* kNoChannel = "Unable to locate a Channel";

struct ProgramResult {
    int exitValue = -1;  // the exit status; -1 when the program was killed or did not run
    bool killed = false;  // it outlived its time limit
    double seconds = 0;
    std::string output;  // what it wrote to standard output and standard error
};

// Runs argv[0] with the arguments after it and `env` added to (or replacing in) this process's
// environment; a program still running after limitSeconds is killed.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& env, double limitSeconds,
                         const std::string& outputFile);

// A fresh PROGRAMDATA for one run of kFeedDoc, with an empty registry stand-in.
class FeedRun {
public:
    // withVqts: make <data>/vQTS, the one folder the program expects to find.
    explicit FeedRun(bool withVqts = true);

    // kFeedDoc with these command-line arguments (the program joins them with blanks).
    ProgramResult Run(const std::vector<std::string>& arguments, double limitSeconds = 40);
    ProgramResult Run(const std::string& url, double limitSeconds = 40) {
        return Run(std::vector<std::string>{url}, limitSeconds);
    }

    std::string DataFolder() const { return dir_ / "TALVEX"; }
    std::string ExportPath() const { return DataFolder() + "/vQTS/DuCor/RssLinks/Temp_RSS.xml"; }
    // The export document's bytes, or nullopt when there is none.
    std::optional<std::string> ExportBytes() const;
    std::vector<testsupport::AppLogEntry> Log() const { return testsupport::ReadApplicationLog(DataFolder()); }
    // The last application log line, or an empty entry when there is none.
    testsupport::AppLogEntry LastLogLine() const;

private:
    testsupport::TempFolder dir_;
};

// The path of the kFeedDoc program under test.
std::string ProgramPath();

// An export document as the program writes it: byte-order mark, UTF-16LE, line feeds as CR LF.
struct ExportItem {
    std::u16string title, link, pubdate, description, author, guid;
};
std::string ExportDocument(const std::u16string& title, const std::u16string& link,
                           const std::u16string& description, const std::vector<ExportItem>& items);

// An export document's bytes as readable UTF-8 text for comparisons: the byte-order mark shows as
// "[FF FE]", every UTF-16LE unit as its character (CR LF kept), and an odd last byte as "[odd XX]".
// Two byte strings give the same text only when they are the same bytes.
std::string ExportText(const std::string& bytes);
std::string ExportText(const std::optional<std::string>& bytes);  // "(no document)" for none

// A small RSS 2.0 feed (UTF-8 text) whose items have a title, link, date, description and author.
struct FeedItem {
    std::string title, link, pubDate, description, author;
};
std::string RssFeed(const std::string& title, const std::vector<FeedItem>& items);

// An HTTP server on a raw loopback socket that answers each request with what the test's
// responder returns. It serves the connections one after another and keeps each open for
// further requests until the answer says to close it (or the client closes), and records every
// request head it receives.
struct Answer {
    std::string bytes;
    bool close = false;   // close the connection after sending
    int stallMs = 0;      // then wait this long (or until the client closes) before closing
};
using Responder = std::function<Answer(const std::string& requestHead, int requestIndex)>;

class ScriptedHttpServer {
public:
    explicit ScriptedHttpServer(Responder responder, int maxConnections = 16);

    int Port() const { return server_->Port(); }
    std::string Url(const std::string& path) const;
    int Connections() const { return server_->Accepted(); }
    std::vector<std::string> Requests() const;

private:
    void Serve(testsupport::ServerConnection& connection);

    Responder responder_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::optional<testsupport::LoopbackServer> server_;  // last: it stops before the rest goes
};

// The request-target of a request head ("/feed.xml?a=1" of "GET /feed.xml?a=1 HTTP/1.1...").
std::string RequestTarget(const std::string& requestHead);

// A complete HTTP/1.1 answer with a Content-Length.
std::string HttpAnswer(const std::string& statusLine, const std::string& contentType, const std::string& body,
                       const std::string& moreHeaderLines = "");

}  // namespace e2e
