#pragma once
// The program's own lines in the application log: software and module "kFeedDoc", version
// "1.0.0.0", val1 "WinMain".

#include <string_view>

void LogInfo(std::u16string_view message, std::u16string_view datum = {});
void LogError(std::u16string_view message, std::u16string_view datum = {});
