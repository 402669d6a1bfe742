#include "tests/support/NginxServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/LoopbackServer.h"

extern char** environ;

namespace testsupport {
namespace {

constexpr int kStartTries = 3;  // a free port can be taken by someone else before nginx binds it
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr int kHeadTimeoutMs = 5000;

// The media types every test document uses, by file extension. Compression, the charset
// parameter and the chunking filter apply to all of them.
constexpr const char* kTypes =
    "        text/xml xml;\n"
    "        application/rss+xml rss;\n"
    "        application/atom+xml atom;\n"
    "        text/html html;\n"
    "        text/plain txt;\n";
constexpr const char* kTextTypes = "text/xml application/rss+xml application/atom+xml text/plain";

// A connected TCP socket to 127.0.0.1:port, or -1.
int ConnectToLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string NginxServer::Binary() {
    for (const char* fixed : {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/local/nginx/sbin/nginx"}) {
        if (IsExecutable(fixed)) {
            return fixed;
        }
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string candidate = folders.substr(start, end - start) + "/nginx";
        if (end > start && IsExecutable(candidate)) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

NginxServer::NginxServer(const NginxOptions& options) : root_(folder_ / "root") {
    const std::string binary = Binary();
    if (binary.empty()) {
        throw std::runtime_error(
            "nginx is not installed: the end-to-end tests need it (Debian package nginx-light, "
            "listed in tools/extra-packages; tools/install-deps installs it)");
    }
    MakeFolders(root_);
    MakeFolders(folder_ / "tmp");
    std::string failure;
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        port_ = LoopbackServer::UnusedPort();
        WriteFileBytes(folder_ / "nginx.conf", WriteConfiguration(options));
        if (StartOnce(binary, failure)) {
            return;
        }
    }
    throw std::runtime_error("nginx did not start: " + failure);
}

NginxServer::~NginxServer() { Stop(); }

std::string NginxServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void NginxServer::AddFile(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(root_) / name;
    MakeFolders(path.parent_path().string());
    WriteFileBytes(path.string(), bytes);
}

std::string NginxServer::WriteConfiguration(const NginxOptions& options) const {
    const std::string dir = folder_.Path();
    std::string conf;
    // One process in the foreground: it is the test's own child, so stopping it leaves nothing
    // behind, and it reads the test's private folders as the test's own user.
    conf += "daemon off;\nmaster_process off;\n";
    conf += "pid " + dir + "/nginx.pid;\n";
    conf += "error_log " + dir + "/error.log warn;\n";
    conf += "events { worker_connections 64; }\n";
    conf += "http {\n";
    conf += "    access_log " + dir + "/access.log;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        conf += std::string("    ") + kind + "_temp_path " + dir + "/tmp/" + kind + ";\n";
    }
    conf += "    types {\n" + std::string(kTypes) + "    }\n";
    conf += "    default_type application/octet-stream;\n";
    conf += options.keepAlive ? "    keepalive_timeout 30;\n" : "    keepalive_timeout 0;\n";
    if (options.gzip) {
        conf += "    gzip on;\n    gzip_min_length 20;\n";
        conf += "    gzip_types " + std::string(kTextTypes) + ";\n";
    } else {
        conf += "    gzip off;\n";
    }
    if (options.charset.empty()) {
        conf += "    charset off;\n";
    } else {
        conf += "    charset " + options.charset + ";\n";
        conf += "    charset_types " + std::string(kTextTypes) + " text/html;\n";
    }
    if (options.chunked) {
        conf += "    sub_filter 'qv-text-that-never-occurs' '';\n";
        conf += "    sub_filter_types " + std::string(kTextTypes) + ";\n";
    }
    conf += "    server {\n";
    conf += "        listen 127.0.0.1:" + std::to_string(port_) + ";\n";
    conf += "        server_name localhost;\n";
    conf += "        root " + root_ + ";\n";
    conf += "    }\n";
    conf += "}\n";
    return conf;
}

bool NginxServer::StartOnce(const std::string& binary, std::string& failure) {
    const std::string dir = folder_.Path();
    const std::string output = dir + "/nginx.out";
    std::vector<std::string> args = {binary, "-p", dir + "/", "-c", dir + "/nginx.conf", "-e", dir + "/error.log"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        failure = "cannot run " + binary;
        return false;
    }

    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure = ReadFileBytes(output) + ReadFileBytes(dir + "/error.log");
            return false;
        }
        const int fd = ConnectToLoopback(port_);
        if (fd >= 0) {
            close(fd);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    failure = "its port did not answer within 10 s; " + ReadFileBytes(dir + "/error.log");
    return false;
}

void NginxServer::Stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
}

std::string NginxServer::ResponseHead(const std::string& path, bool acceptGzip) const {
    const int fd = ConnectToLoopback(port_);
    if (fd < 0) {
        return "";
    }
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                (acceptGzip ? "Accept-Encoding: gzip\r\n" : "") + "\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string received;
    pollfd entry{fd, POLLIN, 0};
    while (received.find("\r\n\r\n") == std::string::npos && poll(&entry, 1, kHeadTimeoutMs) > 0) {
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    const size_t end = received.find("\r\n\r\n");
    return end == std::string::npos ? received : received.substr(0, end + 2);
}

}  // namespace testsupport
