#pragma once

#include "core/Ports.h"
#include "services/Http.h"

#include <array>
#include <string>

class WindowPort;

// The balance under the status line, the server's call records, and the
// commands that hand the subscriber to the mail program or the browser.

// The label text for a balance reply (trimmed first).
std::u16string BalanceText(std::u16string_view reply);

// Asks the provisioning service for the balance and shows it (label 1167),
// with the header and footer, and "Ready : " + displayUser in the status line.
void QueryBalance(Http& http, WindowPort& view, const std::string& provisioningUrl,
                  const std::u16string& adapterAddress, const std::u16string& userName,
                  const std::u16string& password, const std::u16string& displayUser);

struct ServerCallRecord {
    std::u16string number, callStartDate, callStartTime, durationCost;
};

inline constexpr int MaxServerCallRecords = 20;

struct ServerCallRecords {
    std::array<ServerCallRecord, MaxServerCallRecords> records{};
    int count = 0; // records beyond it keep what earlier fetches left
};

// The myaccounts address with every "u1s1er" replaced by the user name, once.
std::u16string CallRecordsAddress(const std::u16string& myaccounts, const std::u16string& userName);
// Reads up to 20 call elements of a reply into the table; returns the count.
int ReadCallRecords(std::u16string reply, ServerCallRecords& table);
// Fetches and reads them; false (table unchanged) when there was no reply.
bool FetchCallRecords(Http& http, WindowPort& messages, const std::u16string& myaccounts,
                      const std::u16string& userName, ServerCallRecords& table);

// A mail to the provisioned feedback address.
void SendFeedback(Shell& shell, WindowPort& messages, const std::u16string& email);
// Its mailto: address: the address part of `email` only, then the subject.
std::string FeedbackMailAddress(const std::u16string& email);
std::string SignUpPageAddress(const std::string& subscriberHost);
std::string HomePageAddress(const std::string& subscriberHost);
