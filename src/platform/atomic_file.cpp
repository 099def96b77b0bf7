// Temporary file, fsync, rename.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace corvane::platform {

namespace {

bool fail(std::string* error, const std::string& what) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errno);
    }
    return false;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    std::filesystem::path temp = path;
    temp += ".tmp-XXXXXX";
    std::string pattern = temp.string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return fail(error, "cannot create " + pattern);
    }
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int saved = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            errno = saved;
            return fail(error, "cannot write " + pattern);
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    // mkstemp creates 0600; files of the program are ordinary files.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int saved = errno;
        ::unlink(pattern.c_str());
        errno = saved;
        return fail(error, "cannot flush " + pattern);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(pattern.c_str());
        errno = saved;
        return fail(error, "cannot replace " + path.string());
    }
    return true;
}

bool appendFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                          std::string* error) {
    std::string content;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return fail(error, "cannot read " + path.string());
        }
        std::ostringstream whole;
        whole << in.rdbuf();
        content = std::move(whole).str();
    }
    content.append(bytes);
    return writeFileAtomically(path, content, error);
}

}  // namespace corvane::platform
