#pragma once
// The running process's user, code pages and error texts.

#include <string>

namespace platform {

// The name of the effective user; empty when unknown.
std::string UserName();

// The ANSI and OEM code page numbers: 1252 and 437, or $QV_ANSI_CODEPAGE / $QV_OEM_CODEPAGE.
int AnsiCodePage();
int OemCodePage();

// The calling thread's last error number (errno) and the system's message text for a number.
int LastErrorCode();
std::string SystemErrorText(int code);

}  // namespace platform
