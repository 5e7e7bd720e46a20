#include "AccountServices.h"

#include "Provisioning.h"
#include "TaggedText.h"
#include "core/Text.h"
#include "core/WindowPort.h"
#include "resources/ResourceIds.h"

std::u16string BalanceText(std::u16string_view reply) {
    const std::u16string text = TrimReply(reply);
    if (text.find(u"postpaid") != std::u16string::npos)
        return u"Amount Used :" + ReplaceAll(text, u"postpaid#", u"") + u" Euro";
    if (text.find(u"prepaid") != std::u16string::npos)
        return u"Balance :" + ReplaceAll(text, u"prepaid#", u"") + u" USD";
    return u"Balance: " + ExtractTag(text, u"balance") + u" USD";
}

void QueryBalance(Http& http, WindowPort& view, const std::string& provisioningUrl,
                  const std::u16string& adapterAddress, const std::u16string& userName,
                  const std::u16string& password, const std::u16string& displayUser) {
    std::u16string body = BalanceRequestBody(userName, password, adapterAddress), header, reply;
    SendRequest(http, true, provisioningUrl, body, header, reply);
    view.setText(res::BalanceLabel, BalanceText(reply));
    view.setVisible(res::BalanceLabel, true);
    view.setVisible(res::HeaderLabel, true);
    view.setVisible(res::FooterLabel, true);
    view.setText(res::StatusLabel, u"Ready : " + displayUser);
}

std::u16string CallRecordsAddress(const std::u16string& myaccounts, const std::u16string& userName) {
    return ReplaceAll(myaccounts, u"u1s1er", userName);
}

int ReadCallRecords(std::u16string text, ServerCallRecords& table) {
    text = TrimReply(text);
    const auto declaration = text.find(u"<?xml");
    const auto statusEnd = text.find(u"</Status>");
    if (declaration != std::u16string::npos && statusEnd != std::u16string::npos &&
        statusEnd >= declaration) {
        const std::u16string status = text.substr(declaration, statusEnd + 9 - declaration);
        text = TrimWhiteSpace(ReplaceAll(text, status, u""));
    }
    int count = 0;
    for (; count < MaxServerCallRecords; ++count) {
        const auto open = text.find(u"<call>");
        const auto close = text.find(u"</call>");
        if (open == std::u16string::npos || close == std::u16string::npos || close < open)
            break;
        const std::u16string record = text.substr(open, close + 7 - open);
        if (record.find(u"<number>") == std::u16string::npos)
            break;
        table.records[static_cast<std::size_t>(count)] = {
            ExtractTag(record, u"number"), ExtractTag(record, u"callStartDate"),
            ExtractTag(record, u"callStartTime"), ExtractTag(record, u"durationCost")};
        text = TrimWhiteSpace(ReplaceAll(text, record, u""));
    }
    table.count = count;
    return count;
}

bool FetchCallRecords(Http& http, WindowPort& messages, const std::u16string& myaccounts,
                      const std::u16string& userName, ServerCallRecords& table) {
    auto reply = FetchUrl(http, messages, CallRecordsAddress(myaccounts, userName),
                          u"Unable to fetch the CDR details,Please contact your support");
    if (!reply)
        return false;
    ReadCallRecords(*reply, table);
    return true;
}

namespace {

// The address part of a provisioned e-mail for a mailto: address. Whatever
// follows "?" or "#" is dropped, so the operator's text cannot add recipients,
// attachments or a body; characters that could split the address are percent-encoded.
std::string mailtoAddressPart(const std::u16string& email) {
    const std::string address = toUtf8(email.substr(0, email.find_first_of(u"?#")));
    std::string part;
    for (const unsigned char c : address) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '@' || c == '.' || c == '-' || c == '_' || c == '+';
        if (plain) {
            part += static_cast<char>(c);
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            part += {'%', hex[c >> 4], hex[c & 0xF]};
        }
    }
    return part;
}

} // namespace

std::string FeedbackMailAddress(const std::u16string& email) {
    // The subject goes to the mail program as written, blanks included.
    return "mailto:" + mailtoAddressPart(email) + "?subject=PC Ringlark Feedback";
}

void SendFeedback(Shell& shell, WindowPort& messages, const std::u16string& email) {
    if (!shell.open(FeedbackMailAddress(email)))
        messages.messageBox(u"Outlook is not configured on your system", u"Ringlark", MessageButtons::Ok);
}

std::string SignUpPageAddress(const std::string& subscriberHost) {
    return "http://" + subscriberHost + "/NewUserSignUp.jsp?groupId=Kestrelcard";
}

std::string HomePageAddress(const std::string& subscriberHost) {
    return "http://" + subscriberHost;
}
