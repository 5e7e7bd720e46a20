#include "Platform.h"

#include "AlsaMixer.h"
#include "DataFolder.h"
#include "core/Text.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string InstanceLock::defaultPath(const std::string& fallbackFolder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime == '/' ? runtime : fallbackFolder;
    return folder + "/Ringlark 1.0.6.lock";
}

bool InstanceLock::acquire() {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return false;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

XdgAutostart::XdgAutostart() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string folder = config && *config == '/' ? config : std::string(home ? home : "/tmp") + "/.config";
    entry_ = folder + "/autostart/ZUBSoftPhone.desktop";
}

std::string XdgAutostart::execLine(const std::string& programPath) {
    std::string quoted = "\"";
    for (char c : programPath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool XdgAutostart::runsProgram(const std::string& programPath) const {
    std::ifstream in(entry_);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("Exec=", 0) == 0)
            return line.substr(5) == execLine(programPath);
    return false;
}

bool XdgAutostart::registerProgram(const std::string& programPath) {
    const std::filesystem::path entry(entry_);
    DataFolder folder(entry.parent_path().string());
    if (!folder.ensureFolder())
        return false;
    const std::string content =
        "[Desktop Entry]\nType=Application\nName=Ringlark\nExec=" + execLine(programPath) +
        "\nX-GNOME-Autostart-enabled=true\n";
    return folder.save(entry.filename().string(),
                       std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()),
                       false);
}

bool XdgAutostart::removeProgram() {
    std::error_code error;
    std::filesystem::remove(entry_, error);
    return !error && !std::filesystem::exists(entry_, error);
}

namespace {
// ALSA reports a missing card on stderr as well; the caller tells the user.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
} // namespace

bool AlsaMixerProbe::canOpenMixer() {
    snd_lib_error_set_handler(quietAlsa);
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return false;
    const bool ok = snd_mixer_attach(mixer, "default") >= 0 &&
                    snd_mixer_selem_register(mixer, nullptr, nullptr) >= 0 && snd_mixer_load(mixer) >= 0;
    snd_mixer_close(mixer);
    return ok;
}

std::unique_ptr<Mixer> AlsaMixerProbe::openMixer() {
    snd_lib_error_set_handler(quietAlsa);
    return AlsaMixer::open();
}

std::string ProcessInfo::programPath() const {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ProcessInfo::programFolder() {
    return std::filesystem::path(ProcessInfo().programPath()).parent_path().string();
}

std::u16string ProcessInfo::homeFolder() const {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return fromUtf8(home);
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? fromUtf8(user->pw_dir) : std::u16string(u"/");
}

std::optional<std::array<std::uint8_t, 6>> SystemNetwork::firstAdapterAddress() {
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return std::nullopt;
    std::optional<std::array<std::uint8_t, 6>> found;
    for (ifaddrs* it = interfaces; it && !found; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        if (link->sll_halen != 6)
            continue;
        std::array<std::uint8_t, 6> address{};
        std::copy(link->sll_addr, link->sll_addr + 6, address.begin());
        found = address;
    }
    ::freeifaddrs(interfaces);
    return found;
}

bool SystemNetwork::isConnected(const std::string& host) {
    std::string name = host;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    if (strcasecmp(name.c_str(), "localhost") == 0)
        return true;
    in_addr v4{};
    in6_addr v6{};
    if (::inet_pton(AF_INET, name.c_str(), &v4) == 1 && (ntohl(v4.s_addr) >> 24) == 127)
        return true;
    if (::inet_pton(AF_INET6, name.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6))
        return true;

    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return false;
    bool up = false;
    for (ifaddrs* it = interfaces; it && !up; it = it->ifa_next) {
        const bool usable =
            it->ifa_addr && (it->ifa_addr->sa_family == AF_INET || it->ifa_addr->sa_family == AF_INET6);
        up = usable && (it->ifa_flags & IFF_UP) && (it->ifa_flags & IFF_RUNNING) &&
             !(it->ifa_flags & IFF_LOOPBACK);
    }
    ::freeifaddrs(interfaces);
    return up;
}

OperatorConfig loadOperatorConfig(const std::string& programFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base =
        config && *config == '/' ? config : std::string(home ? home : "/tmp") + "/.config";
    for (const std::string& path : {base + "/ringlark/operator.conf", programFolder + "/operator.conf"}) {
        std::ifstream in(path);
        if (in)
            return OperatorConfig::parse(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return {};
}
