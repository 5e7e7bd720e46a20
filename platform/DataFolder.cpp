#include "DataFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string homeFallback(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + underHome;
}

bool writeAll(int fd, std::span<const std::uint8_t> content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string DataFolder::defaultPath() {
    return homeFallback("XDG_DATA_HOME", "/.local/share") + "/Ringlark";
}

bool DataFolder::ensureFolder() {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder_).parent_path(), ignored);
    if (::mkdir(folder_.c_str(), 0700) == 0)
        return true;
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(folder_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return true;
    std::printf("CreateDirectory failed (%d)\n", error == EEXIST ? ENOTDIR : error);
    std::fflush(stdout);
    return false;
}

std::string DataFolder::path(std::string_view name) const {
    return folder_ + "/" + std::string(name);
}

bool DataFolder::exists(std::string_view name) const {
    return ::access(path(name).c_str(), F_OK) == 0;
}

std::optional<Bytes> DataFolder::read(std::string_view name) const {
    const int fd = ::open(path(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    Bytes bytes;
    std::uint8_t buffer[64 * 1024];
    bool ok = true;
    while (bytes.size() < MaxReadBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, MaxReadBytes - bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return bytes;
}

bool DataFolder::save(std::string_view name, std::span<const std::uint8_t> content, bool secret) {
    std::string temporary = path(std::string(".") + std::string(name) + ".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    // mkstemp creates 0600; other files get the usual permissions.
    bool ok = secret || ::fchmod(fd, 0644) == 0;
    ok = ok && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path(name).c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}
