#include "SimulatorConfig.h"

#include "core/Text.h"

#include <sstream>

namespace {

std::vector<std::string> fields(const std::string& value) {
    std::vector<std::string> parts;
    std::istringstream in(value);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(trimmed(part));
    while (parts.size() < 4)
        parts.emplace_back();
    return parts;
}

} // namespace

std::string_view SimulatorConfig::builtIn() {
    return R"(# The operator simulator's built-in configuration.
[server]
bind = 127.0.0.1
provisioning_port = 2900
web_port = 8080

# Handed to every dialer that logs in, in this order.
[provisioning]
ip = 127.0.0.1
registrarip = 127.0.0.1
header = Ringlark Demo
footer = Operator simulator on 127.0.0.1
myaccounts = http://127.0.0.1:8080/cdr?user=u1s1er
oldkey = demo-key
newkey = off
vpn = off
prefix = 000-000-000
size = 4
rereg = 300
sprt = 0
keep = 30
rtrp = 0
email = support@ringlark.example

[subscriber demo]
password = demo
plan = prepaid
balance = 12.40
call = 2001 | 2026-12-10 | 09:15:02 | 00:02:10/0.35
call = 2002 | 2026-12-10 | 11:40:51 |
call = 4420794600 | 2026-12-09 | 18:03:44 | 00:11:05/1.92

[subscriber postpaid]
password = postpaid
plan = postpaid
balance = 31.75
)";
}

SimulatorConfig SimulatorConfig::parse(std::string_view text, std::string& error) {
    SimulatorConfig config;
    std::istringstream in{std::string(text)};
    std::string section;
    Subscriber* subscriber = nullptr;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (const auto hash = line.find('#');
            hash != std::string::npos && line.find_first_not_of(" \t") == hash)
            continue;
        line = trimmed(line);
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = trimmed(line.substr(1, line.size() - 2));
            subscriber = nullptr;
            if (section.rfind("subscriber ", 0) == 0)
                subscriber = &config.subscribers[trimmed(section.substr(11))];
            else if (section != "server" && section != "provisioning")
                error += "line " + std::to_string(lineNumber) + ": unknown section [" + section + "]\n";
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            error += "line " + std::to_string(lineNumber) + ": expected key = value\n";
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (section == "server") {
            if (key == "bind")
                config.bind = value;
            else if (key == "provisioning_port")
                config.provisioningPort = std::atoi(value.c_str());
            else if (key == "web_port")
                config.webPort = std::atoi(value.c_str());
        } else if (section == "provisioning") {
            config.provisioning.emplace_back(key, value);
        } else if (subscriber) {
            if (key == "password")
                subscriber->password = value;
            else if (key == "plan")
                subscriber->plan = value;
            else if (key == "balance")
                subscriber->balance = value;
            else if (key == "call") {
                const auto parts = fields(value);
                subscriber->calls.push_back({parts[0], parts[1], parts[2], parts[3]});
            }
        }
    }
    return config;
}
