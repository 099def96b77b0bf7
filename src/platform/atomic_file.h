// Writing a file so that a crash never leaves it half-written: the bytes go
// to a temporary file beside it, which is flushed and then renamed over it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::platform {

// Replaces `path` with `bytes`. On failure the old file stays as it was and
// `error` (when given) says why.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

// Appends `bytes` to `path` (created when missing) by writing the old content
// plus the new bytes to a temporary file and renaming it: an interrupted
// append leaves the old file intact.
bool appendFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                          std::string* error = nullptr);

}  // namespace corvane::platform
