#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// What the operator simulator serves, from one readable file:
//
//   [server]            ports and address it listens on
//   [provisioning]      the values every login receives (ip, registrarip, header, ...)
//   [subscriber NAME]   password, plan (prepaid, postpaid or balance), balance,
//                       and "call = number | date | time | duration/cost" lines
struct SimulatedCall {
    std::string number, date, time, durationCost; // an empty number leaves the element out
};

struct Subscriber {
    std::string password;
    std::string plan = "prepaid";
    std::string balance = "0.00";
    std::vector<SimulatedCall> calls;
};

struct SimulatorConfig {
    std::string bind = "127.0.0.1";
    int provisioningPort = 2900;
    int webPort = 8080;
    std::vector<std::pair<std::string, std::string>> provisioning; // in reply order
    std::map<std::string, Subscriber> subscribers;

    static SimulatorConfig parse(std::string_view text, std::string& error);
    static std::string_view builtIn();
};
