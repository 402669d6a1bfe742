#include "http/HttpBasicAuth.h"

#include "core/LogBase.h"
#include "core/ProgressMonitor.h"
#include "core/StringBuffer.h"
#include "encoding/Base64.h"
#include "http/HttpControl.h"

namespace {

void AppendLine(const char* name, const char* login, const char* password, StringBuffer& out) {
    StringBuffer pair(login);
    pair.AppendChar(':');
    pair.Append(password);
    out.Append(name);
    out.Append(": Basic ");
    EncodeBase64(pair.GetString(), pair.GetSize(), out);
    out.Append("\r\n");
}

}  // namespace

void HttpBasicCredentials::AppendBasicAuthorizationLine(const HttpControl& settings,
                                                        StringBuffer& request, LogBase& log,
                                                        ProgressMonitor* monitor) {
    XString login(settings.login);
    XString password(settings.password);
    if (login.IsEmpty() || password.IsEmpty() || settings.useNtlm || settings.useNegotiate ||
        settings.useDigest) {
        return;
    }
    log.AddInfo("Adding Basic Authentication Header");
    log.AddData("login", login.GetUtf8());
    if (monitor) {
        monitor->Info("HttpAuth", "Adding Basic Authentication Header");
    }
    AppendLine("Authorization", login.GetUtf8(), password.GetUtf8(), request);
}

void HttpBasicCredentials::AppendBasicProxyAuthorizationLine(const HttpControl& settings,
                                                             StringBuffer& request, LogBase& log,
                                                             ProgressMonitor* monitor) {
    XString login(settings.proxyLogin);
    XString password(settings.proxyPassword);
    if (login.IsEmpty() || password.IsEmpty() ||
        !(settings.proxyAuthMethod.IsEmpty() || settings.proxyAuthMethod.EqualsNoCase("basic"))) {
        return;
    }
    log.AddInfo("Adding Basic Proxy Authentication Header");
    log.AddData("login", login.GetUtf8());
    if (monitor) {
        monitor->Info("HttpAuth", "Adding Proxy Authentication Header");
    }
    AppendLine("Proxy-Authorization", login.GetAnsi(), password.GetAnsi(), request);
}
