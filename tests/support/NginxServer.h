#pragma once
// A real nginx for the end-to-end tests: started on a free loopback port with a configuration
// of its own, its pid file, logs and temporary folders inside a TempFolder, serving a document
// root the test fills. The constructor returns once the port answers; the destructor stops
// nginx and waits for it. A machine without nginx makes the constructor throw with a message
// that says how to install it, so a test can never pass without the server it needs.

#include <string>
#include <sys/types.h>

#include "tests/support/TestSupport.h"

namespace testsupport {

struct NginxOptions {
    // gzip on for the feed, page and text media types, with a small minimum length. nginx then
    // sends the compressed body chunked, since its length is not known in advance.
    bool gzip = false;
    // The charset parameter added to the Content-Type of those types ("utf-8", "iso-8859-1");
    // empty: "charset off", the bare media type.
    std::string charset;
    // Persistent connections; off sends "Connection: close" with every answer.
    bool keepAlive = true;
    // A chunked answer without compression (a no-op substitution filter drops the length).
    bool chunked = false;
};

class NginxServer {
public:
    explicit NginxServer(const NginxOptions& options = {});
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;  // path starts with "/"
    const std::string& Root() const { return root_; }
    // Puts a file into the document root (name relative to it; folders are made as needed).
    void AddFile(const std::string& name, const std::string& bytes) const;

    // The response head (each line with its CR LF, without the empty line) of one plain GET of `path` (asking for gzip when acceptGzip), read with
    // a socket of its own: lets a test confirm that the server really answers the way it was
    // configured to (compressed, chunked, with a charset).
    std::string ResponseHead(const std::string& path, bool acceptGzip) const;

    // The nginx program of this machine, or empty when none is installed.
    static std::string Binary();

private:
    std::string WriteConfiguration(const NginxOptions& options) const;
    bool StartOnce(const std::string& binary, std::string& failure);
    void Stop();

    TempFolder folder_;
    std::string root_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace testsupport
