#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the operator's web services are: the [services] section of
// operator.conf. Without a file every address points at the local operator
// simulator on 127.0.0.1.
struct OperatorConfig {
    std::string provisioningUrl = "http://127.0.0.1:2900/";
    std::string subscriberHost = "127.0.0.1:8080";
    std::string myAccountUrl = "http://127.0.0.1:8080/account?user=u1s1er";

    // Keys not given keep their defaults; ";" and "#" start comments.
    static OperatorConfig parse(std::string_view text);
};
