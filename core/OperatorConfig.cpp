#include "OperatorConfig.h"

#include "Text.h"

#include <sstream>

OperatorConfig OperatorConfig::parse(std::string_view text) {
    OperatorConfig config;
    std::istringstream in{std::string(text)};
    std::string section;
    for (std::string line; std::getline(in, line);) {
        // A comment starts at ";" or "#" at the line's start or after a blank.
        for (std::size_t i = 0; i < line.size(); ++i)
            if ((line[i] == ';' || line[i] == '#') && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line.resize(i);
                break;
            }
        line = trimmed(line);
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const auto equals = line.find('=');
        if (section != "services" || equals == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (value.empty())
            continue;
        if (key == "provisioning_url")
            config.provisioningUrl = value;
        else if (key == "subscriber_host")
            config.subscriberHost = value;
        else if (key == "my_account_url")
            config.myAccountUrl = value;
    }
    return config;
}
