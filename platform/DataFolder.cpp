#include "DataFolder.h"

#include <algorithm>
#include <cctype>
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

// ".account_Ringlark.bin.Ab3xZ9": a save's temporary, named as save() names it.
// Only names of our data files count, so a shared folder keeps other programs' files.
bool isOurTemporary(const std::string& name) {
    constexpr std::string_view ending = "_Ringlark.bin.";
    constexpr std::size_t random = 6; // mkstemp's XXXXXX
    if (name.size() < 1 + ending.size() + random || name[0] != '.')
        return false;
    const std::size_t stem = name.size() - random;
    if (name.compare(stem - ending.size(), ending.size(), ending) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem), name.end(),
                       [](unsigned char c) { return std::isalnum(c); });
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
    if (error == EEXIST && ::stat(folder_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        removeStaleTemporaries();
        return true;
    }
    std::printf("CreateDirectory failed (%d)\n", error == EEXIST ? ENOTDIR : error);
    std::fflush(stdout);
    return false;
}

void DataFolder::removeStaleTemporaries() {
    // Once, at the start: the program saves only synchronously and one copy runs
    // at a time, so a temporary seen now was left by a save that was killed.
    // It may hold the password.
    if (swept_)
        return;
    swept_ = true;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error))
        if (isOurTemporary(entry.path().filename().string()))
            std::filesystem::remove(entry.path(), error);
}

std::string DataFolder::path(std::string_view name) const {
    return folder_ + "/" + std::string(name);
}

bool DataFolder::exists(std::string_view name) const {
    return ::access(path(name).c_str(), F_OK) == 0;
}

std::optional<Bytes> DataFolder::read(std::string_view name) const {
    // Without blocking, and regular files only: a FIFO or device in place of a data file would hang start-up.
    const int fd = ::open(path(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
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
