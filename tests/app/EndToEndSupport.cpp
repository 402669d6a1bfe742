#include "tests/app/EndToEndSupport.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {
namespace {

constexpr int kRequestWaitMs = 10000;

// This process's environment with the given variables set to new values.
std::vector<std::string> ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : env) {
            replaced = replaced || text.compare(0, name.size() + 1, name + "=") == 0;
        }
        if (!replaced) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : env) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::u16string WithCrLf(const std::u16string& text) {
    std::u16string out;
    for (char16_t unit : text) {
        if (unit == u'\n') {
            out += u'\r';
        }
        out += unit;
    }
    return out;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::pair<std::string, std::string>>& env, double limitSeconds,
                         const std::string& outputFile) {
    ProgramResult result;
    std::vector<std::string> args = argv;
    std::vector<std::string> environment = ChildEnvironment(env);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.output = "cannot run " + args[0] + ": " + std::strerror(spawned);
        return result;
    }

    const auto deadline = start + std::chrono::duration<double>(limitSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.killed = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.killed && WIFEXITED(status)) {
        result.exitValue = WEXITSTATUS(status);
    }
    result.output = testsupport::ReadFileBytes(outputFile);
    return result;
}

std::string ProgramPath() { return QV_KFEEDDOC_PROGRAM; }

FeedRun::FeedRun(bool withVqts) {
    testsupport::MakeFolders(dir_ / "registry");
    if (withVqts) {
        testsupport::MakeFolders(DataFolder() + "/vQTS");
    } else {
        testsupport::MakeFolders(DataFolder());
    }
}

ProgramResult FeedRun::Run(const std::vector<std::string>& arguments, double limitSeconds) {
    std::vector<std::string> argv = {ProgramPath()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv,
                      {{"PROGRAMDATA", dir_.Path()},
                       {"QV_REGISTRY_ROOT", dir_ / "registry"},
                       {"QV_ANSI_CODEPAGE", "1252"}},
                      limitSeconds, dir_ / "output.txt");
}

std::optional<std::string> FeedRun::ExportBytes() const {
    if (!testsupport::FileExists(ExportPath())) {
        return std::nullopt;
    }
    return testsupport::ReadFileBytes(ExportPath());
}

testsupport::AppLogEntry FeedRun::LastLogLine() const {
    const auto log = Log();
    return log.empty() ? testsupport::AppLogEntry{} : log.back();
}

std::string ExportDocument(const std::u16string& title, const std::u16string& link,
                           const std::u16string& description, const std::vector<ExportItem>& items) {
    auto field = [](const std::u16string& tag, const std::u16string& text) {
        return u"<" + tag + u"><![CDATA[" + text + u"]]></" + tag + u">";
    };
    std::u16string text = u"<rootrss>" + field(u"maintitle", title) + field(u"mainlink", link) +
                          field(u"maindescription", description);
    for (const ExportItem& item : items) {
        text += u"<item>" + field(u"title", item.title) + field(u"link", item.link) +
                field(u"pubdate", item.pubdate) + field(u"description", item.description) +
                field(u"author", item.author) + field(u"guid", item.guid) + field(u"status", u"UnRead") +
                u"</item>";
    }
    text += u"</rootrss>";
    return "\xFF\xFE" + testsupport::Utf16LeBytes(WithCrLf(text));
}

std::string ExportText(const std::string& bytes) {
    std::string text;
    size_t at = 0;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        text = "[FF FE]";
        at = 2;
    }
    for (; at + 1 < bytes.size(); at += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (unit < 0x80) {
            text += static_cast<char>(unit);
        } else if (unit < 0x800) {
            text += static_cast<char>(0xC0 | (unit >> 6));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (unit >> 12));
            text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    if (at < bytes.size()) {
        static const char kHex[] = "0123456789ABCDEF";
        const auto last = static_cast<unsigned char>(bytes[at]);
        text += std::string("[odd ") + kHex[last >> 4] + kHex[last & 0xF] + "]";
    }
    return text;
}

std::string ExportText(const std::optional<std::string>& bytes) {
    return bytes ? ExportText(*bytes) : "(no document)";
}

std::string RssFeed(const std::string& title, const std::vector<FeedItem>& items) {
    std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n";
    feed += "  <title>" + title + "</title>\n  <link>http://feeds.example/</link>\n";
    feed += "  <description>Test feed</description>\n";
    for (const FeedItem& item : items) {
        feed += "  <item>\n    <title>" + item.title + "</title>\n    <link>" + item.link + "</link>\n";
        feed += "    <pubDate>" + item.pubDate + "</pubDate>\n";
        feed += "    <description>" + item.description + "</description>\n";
        feed += "    <author>" + item.author + "</author>\n  </item>\n";
    }
    feed += "</channel>\n</rss>\n";
    return feed;
}

ScriptedHttpServer::ScriptedHttpServer(Responder responder, int maxConnections) : responder_(std::move(responder)) {
    server_.emplace([this](testsupport::ServerConnection& connection) { Serve(connection); }, maxConnections);
}

std::string ScriptedHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void ScriptedHttpServer::Serve(testsupport::ServerConnection& connection) {
    while (!connection.Stopping()) {
        const std::string head = connection.ReceiveUntil("\r\n\r\n", kRequestWaitMs);
        if (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) {
            return;  // the client closed, or sent no complete request
        }
        int index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = static_cast<int>(requests_.size());
            requests_.push_back(head);
        }
        const Answer answer = responder_(head, index);
        connection.Send(answer.bytes);
        if (answer.stallMs > 0) {
            connection.WaitForClose(answer.stallMs);
        }
        if (answer.close || answer.stallMs > 0) {
            return;
        }
    }
}

std::string RequestTarget(const std::string& requestHead) {
    const size_t start = requestHead.find(' ');
    const size_t end = requestHead.find(" HTTP/", start + 1);
    if (start == std::string::npos || end == std::string::npos) {
        return "";
    }
    return requestHead.substr(start + 1, end - start - 1);
}

std::string HttpAnswer(const std::string& statusLine, const std::string& contentType, const std::string& body,
                       const std::string& moreHeaderLines) {
    std::string answer = statusLine + "\r\n";
    if (!contentType.empty()) {
        answer += "Content-Type: " + contentType + "\r\n";
    }
    answer += "Content-Length: " + std::to_string(body.size()) + "\r\n" + moreHeaderLines + "\r\n";
    return answer + body;
}

}  // namespace e2e
