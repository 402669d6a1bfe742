// The authentication layer (HttpClient::GetWithAuthentication) between the connection's step
// and the retry loop: it runs the request and decides what a 401 answer leads to. Basic
// credentials travel with every request already (HttpBasicAuth.h). NTLM and Negotiate go
// through the operating system's security support provider interface, which this platform does
// not have, so a handshake fails where its security package would be loaded. HTTP Digest and the
// library's own NTLM messages are not part of this client yet.

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "encoding/XString.h"
#include "http/HttpClient.h"
#include "http/HttpControl.h"
#include "http/HttpResult.h"
#include "net/OutputSink.h"

namespace {

enum class Scheme { Ntlm, Negotiate };

const char* SchemeName(Scheme scheme) {
    return scheme == Scheme::Ntlm ? "NTLM" : "Negotiate";
}

// While a handshake runs without credentials, the login and password read "default" (the
// logged-on user); the placeholders are taken out again afterwards.
class DefaultCredentials {
public:
    explicit DefaultCredentials(HttpControl& settings) : settings_(settings) {
        if (settings_.login.IsEmpty() && settings_.password.IsEmpty()) {
            settings_.login.SetFromUtf8("default");
            settings_.password.SetFromUtf8("default");
            placed_ = true;
        }
    }
    ~DefaultCredentials() {
        if (placed_) {
            settings_.login.Clear();
            settings_.password.Clear();
        }
    }
    DefaultCredentials(const DefaultCredentials&) = delete;
    DefaultCredentials& operator=(const DefaultCredentials&) = delete;
    bool Placed() const { return placed_; }

private:
    HttpControl& settings_;
    bool placed_ = false;
};

// The handshake through the security support provider: the scheme stays switched on in the
// settings and named on the connection, as for an exchange that goes on. This platform has no
// such provider, so the handshake ends where its security package would be loaded.
bool SspiHandshake(Scheme scheme, HttpClient& client, HttpCall& call) {
    if (scheme == Scheme::Ntlm) {
        call.settings.useNtlm = true;
    } else {
        call.settings.useNegotiate = true;
    }
    client.SetAuthSchemeName(SchemeName(scheme));
    call.log.AddError(scheme == Scheme::Ntlm ? "Failed to load NTLM security package"
                                             : "Failed to load Negotiate security package");
    return false;
}

bool NtlmHandshake(HttpClient& client, HttpCall& call) {
    XString login(call.settings.login);
    if (!login.IsEmpty() && !login.EqualsUtf8("default")) {
        call.log.AddError("NTLM authentication with an explicit login is not available.");
        return false;
    }
    call.log.AddInfo("Using Microsoft SSPI for NTLM...");
    LogContext context(call.log, "NtlmAuthenticateGet");
    if (call.monitor) {
        call.monitor->Info("HttpAuth", "Starting NTLM Authentication");
    }
    return SspiHandshake(Scheme::Ntlm, client, call);
}

bool NegotiateHandshake(HttpClient& client, HttpCall& call) {
    call.log.AddInfo("Doing Negotiate Authentication for GET...");
    if (call.monitor) {
        call.monitor->Info("HttpAuth", "Starting Negotiate Authentication");
    }
    return SspiHandshake(Scheme::Negotiate, client, call);
}

// Runs a handshake into an output of its own; the caller's output then holds what the last
// exchange of the handshake received.
bool RunHandshake(Scheme scheme, HttpClient& client, HttpCall& call) {
    MemoryOutput handshakeOutput;
    HttpCall handshakeCall = call.WithOutput(handshakeOutput);
    const bool succeeded = scheme == Scheme::Ntlm ? NtlmHandshake(client, handshakeCall)
                                                  : NegotiateHandshake(client, handshakeCall);
    call.output.Clear();
    const DataBuffer& bytes = handshakeOutput.Buffer();
    if (bytes.GetSize() != 0) {
        call.output.Write(bytes.GetData(), bytes.GetSize(), call.log);
    }
    return succeeded;
}

}  // namespace

bool HttpClient::GetWithAuthentication(const char* url, const AttemptFlags& flags, HttpCall& call) {
    const bool succeeded = SimpleHttpRequest(url, flags, nullptr, call);
    const HttpResponseHeader& header = call.result.responseHeader;
    if (header.StatusCode() != 401) {
        return succeeded;
    }
    LogBase& log = call.log;
    HttpControl& settings = call.settings;
    log.AddInfo("Received 401 response.");

    if (settings.useNtlm && header.OffersAuthScheme("NTLM")) {
        log.AddInfo("Using NTLM Authentication...");
        DefaultCredentials defaults(settings);
        if (defaults.Placed()) {
            log.AddInfo("Using logged-on user defaults for login/password.");
        }
        return RunHandshake(Scheme::Ntlm, *this, call);
    }
    if (!header.OffersAuthScheme("Negotiate")) {
        const bool haveCredentials = !settings.login.IsEmpty() && !settings.password.IsEmpty();
        if (haveCredentials && settings.useDigest) {
            log.AddError("HTTP Digest authentication is not available.");
            return false;
        }
        if (haveCredentials) {
            // The Basic credentials went with the request and were refused.
            log.AddError("Try Basic authentication?");
            return false;
        }
        log.AddError("Cannot authenticate.  Login and/or password not provided.");
        return false;
    }
    DefaultCredentials defaults(settings);
    log.AddInfo("Using Microsoft SSPI for Negotiate/NTLM...");
    return RunHandshake(Scheme::Negotiate, *this, call);
}
