#pragma once
// Settings of the platform layer come from environment variables so that tests can point every
// service at a temporary folder. A variable that is unset or empty counts as absent.

#include <optional>
#include <string>

namespace platform {

std::optional<std::string> EnvironmentValue(const char* name);

}  // namespace platform
