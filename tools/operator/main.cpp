// The operator simulator: stands in for the operator's provisioning service
// (POST / on port 2900: login and balance, replies scrambled), the account web
// service (the call records) and the subscriber web service (sign-up and home
// pages), all on 127.0.0.1. One line of log per request; SIGTERM stops it.
//   ringlark-operator [--config FILE] [--print-config]
#include "SimulatorConfig.h"
#include "services/Http.h"

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sstream>
#include <thread>

namespace {

std::mutex logMutex;

void logLine(const httplib::Request& request, int status, const std::string& what) {
    std::lock_guard lock(logMutex);
    std::printf("%s %s %s -> %d %s\n", request.method.c_str(), request.path.c_str(),
                request.remote_addr.c_str(), status, what.c_str());
    std::fflush(stdout);
}

// The form fields of a body such as "dzbytx=ann&ywfkkv=pw&...".
std::map<std::string, std::string> formFields(const std::string& body) {
    std::map<std::string, std::string> fields;
    std::istringstream in(body);
    for (std::string pair; std::getline(in, pair, '&');)
        if (const auto equals = pair.find('='); equals != std::string::npos)
            fields[pair.substr(0, equals)] = pair.substr(equals + 1);
    return fields;
}

std::string scrambled(std::string text) {
    DescrambleReply(std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
    return text;
}

std::string provisioningReply(const SimulatorConfig& config) {
    std::string reply;
    for (const auto& [tag, value] : config.provisioning)
        reply += "<" + tag + ">" + value + "</" + tag + ">";
    return reply;
}

std::string balanceReply(const Subscriber& subscriber) {
    if (subscriber.plan == "postpaid")
        return "postpaid#" + subscriber.balance;
    if (subscriber.plan == "prepaid")
        return "prepaid#" + subscriber.balance;
    return "<balance>" + subscriber.balance + "</balance>";
}

std::string callRecords(const Subscriber* subscriber) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += subscriber ? "<Status><code>0</code><message>OK</message></Status>\n"
                      : "<Status><code>1</code><message>Unknown subscriber</message></Status>\n";
    xml += "<cdr>\n";
    if (subscriber)
        for (const auto& call : subscriber->calls) {
            xml += "<call>";
            if (!call.number.empty())
                xml += "<number>" + call.number + "</number>";
            xml += "<callStartDate>" + call.date + "</callStartDate><callStartTime>" + call.time +
                   "</callStartTime><durationCost>" + call.durationCost + "</durationCost></call>\n";
        }
    return xml + "</cdr>\n";
}

std::string page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title></head><body><h1>" + title + "</h1>" + body + "</body></html>\n";
}

} // namespace

int main(int argc, char** argv) {
    std::string configText(SimulatorConfig::builtIn());
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--print-config") {
            std::cout << SimulatorConfig::builtIn();
            return 0;
        }
        if (arg == "--config" && i + 1 < argc) {
            std::ifstream in(argv[++i]);
            if (!in) {
                std::fprintf(stderr, "ringlark-operator: cannot read %s\n", argv[i]);
                return 2;
            }
            configText.assign(std::istreambuf_iterator<char>(in), {});
        } else {
            std::fprintf(stderr, "usage: ringlark-operator [--config FILE] [--print-config]\n");
            return 2;
        }
    }
    std::string errors;
    const SimulatorConfig config = SimulatorConfig::parse(configText, errors);
    if (!errors.empty()) {
        std::fprintf(stderr, "ringlark-operator: configuration:\n%s", errors.c_str());
        return 2;
    }

    // SIGTERM and SIGINT are taken by one thread, which stops both servers.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server provisioning, web;
    for (auto* server : {&provisioning, &web})
        server->set_keep_alive_max_count(1); // the dialer reads until the connection closes

    provisioning.Post("/", [&](const httplib::Request& request, httplib::Response& response) {
        auto fields = formFields(request.body);
        std::string reply, what;
        if (fields["faazdj"] == "wbapux") {
            reply = provisioningReply(config);
            what = "login from " + fields["qdstsa"];
        } else if (fields["faazdj"] == "kgbyku") {
            const auto found = config.subscribers.find(fields["dzbytx"]);
            if (found == config.subscribers.end() || found->second.password != fields["ywfkkv"]) {
                reply = "<balance>unavailable</balance>";
                what = "balance refused for " + fields["dzbytx"];
            } else {
                reply = balanceReply(found->second);
                what = "balance of " + fields["dzbytx"];
            }
        } else {
            what = "unknown request";
        }
        // Scrambled bytes, never compressed: the dialer reads the body as sent.
        response.set_content(scrambled(reply), "application/octet-stream");
        logLine(request, 200, what);
    });
    web.Get("/cdr", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string user = request.get_param_value("user");
        const auto found = config.subscribers.find(user);
        response.set_content(callRecords(found == config.subscribers.end() ? nullptr : &found->second),
                             "application/xml");
        logLine(request, 200, "call records of " + user);
    });
    web.Get("/NewUserSignUp.jsp", [&](const httplib::Request& request, httplib::Response& response) {
        response.set_content(page("Ringlark sign-up", "<p>Group " + request.get_param_value("groupId") +
                                                          ". New accounts are opened at the counter.</p>"),
                             "text/html");
        logLine(request, 200, "sign-up page");
    });
    web.Get("/account", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string user = request.get_param_value("user");
        const auto found = config.subscribers.find(user);
        const std::string body = found == config.subscribers.end() ? "<p>Unknown subscriber.</p>"
                                                                   : "<p>Plan " + found->second.plan + ", " +
                                                                         found->second.balance + "</p>";
        response.set_content(page("Account of " + user, body), "text/html");
        logLine(request, 200, "account page");
    });
    web.Get("/", [&](const httplib::Request& request, httplib::Response& response) {
        response.set_content(page("Ringlark", "<p>Internet telephony for everyone.</p>"), "text/html");
        logLine(request, 200, "home page");
    });
    for (auto* server : {&provisioning, &web}) {
        server->set_error_handler([](const httplib::Request& request, httplib::Response& response) {
            logLine(request, response.status, "not served");
        });
        // Address reuse, so a restart listens at once while the last run's
        // connections wait out TIME-WAIT; without port reuse a second copy still cannot bind.
        server->set_socket_options([](socket_t socket) {
            int on = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        });
    }

    if (!provisioning.bind_to_port(config.bind.c_str(), config.provisioningPort) ||
        !web.bind_to_port(config.bind.c_str(), config.webPort)) {
        std::fprintf(stderr, "ringlark-operator: cannot listen on %s:%d and :%d\n", config.bind.c_str(),
                     config.provisioningPort, config.webPort);
        return 1;
    }
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        provisioning.stop();
        web.stop();
    });
    std::printf("ringlark-operator: provisioning on %s:%d, web pages on %s:%d\n", config.bind.c_str(),
                config.provisioningPort, config.bind.c_str(), config.webPort);
    std::fflush(stdout);
    std::thread webThread([&] { web.listen_after_bind(); });
    provisioning.listen_after_bind();
    webThread.join();
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM); // when a server ended by itself
        stopper.join();
    }
    std::printf("ringlark-operator: stopped\n");
    return 0;
}
