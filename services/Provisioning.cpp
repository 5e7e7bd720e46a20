#include "Provisioning.h"

#include "TaggedText.h"
#include "core/Text.h"
#include "telephony/Engine.h"

#include <algorithm>
#include <cstdio>

namespace {

// Everything after the first opening tag of `name`; the text unchanged when it is absent.
void cutAfter(std::u16string& text, std::u16string_view name) {
    const std::u16string opening = u"<" + std::u16string(name) + u">";
    if (const auto at = text.find(opening); at != std::u16string::npos)
        text.erase(0, at + opening.size());
}

// Host names stop at 253 characters; keys and addresses are short too.
constexpr std::size_t MaxEngineText = 255;

int numberWithin(const std::u16string& text, int maximum) {
    const int value = ParseDecimal(text);
    return value >= 0 && value <= maximum ? value : 0;
}

int numberAt(const std::u16string& text, std::size_t position) {
    return position < text.size() ? ParseDecimal(std::u16string_view(text).substr(position, 3)) : 0;
}

} // namespace

ProvisioningReply ProvisioningReply::read(std::u16string text, bool mainPass) {
    ProvisioningReply r;
    if (text.empty())
        return r;
    r.ip = ExtractTag(text, u"ip");
    r.registrarip = ExtractTag(text, u"registrarip");
    r.header = ExtractTag(text, u"header");
    r.footer = ExtractTag(text, u"footer");
    r.myaccounts = ExtractTag(text, u"myaccounts");
    r.oldkey = ExtractTag(text, u"oldkey");
    cutAfter(text, u"oldkey");
    r.newkey = ExtractTag(text, u"newkey");
    cutAfter(text, u"newkey");
    r.vpn = ExtractTag(text, u"vpn");
    r.prefix = ExtractTag(text, u"prefix");
    r.size = ExtractTag(text, u"size");
    r.rereg = ExtractTag(text, u"rereg");
    if (mainPass)
        cutAfter(text, u"rereg");
    r.sprt = ExtractTag(text, u"sprt");
    r.keep = ExtractTag(text, u"keep");
    cutAfter(text, u"keep");
    r.rtrp = ExtractTag(text, u"rtrp");
    r.email = ExtractTag(text, u"email");
    return r;
}

bool ProvisioningReply::usable() const {
    for (const auto* field : {&ip, &registrarip, &oldkey, &newkey, &prefix})
        if (field->size() > MaxEngineText)
            return false;
    return true;
}

int ProvisioningReply::sizeValue() const {
    return numberWithin(size, 65535);
}
int ProvisioningReply::sipPort() const {
    return numberWithin(sprt, 65535);
}
int ProvisioningReply::reregisterSeconds() const {
    return numberWithin(rereg, 86400);
}
int ProvisioningReply::rtpPort() const {
    return numberWithin(rtrp, 65535);
}
int ProvisioningReply::keepAliveSeconds() const {
    return numberWithin(keep, 86400);
}

int ProvisioningReply::dashCount() const {
    return static_cast<int>(std::count(newkey.begin(), newkey.end(), u'-'));
}
int ProvisioningReply::key1() const {
    return numberAt(newkey, 0);
}
int ProvisioningReply::key2() const {
    return numberAt(newkey, 4);
}
int ProvisioningReply::key3() const {
    return dashCount() == 2 ? numberAt(newkey, 8) : 0;
}
int ProvisioningReply::prefix1() const {
    return numberAt(prefix, 0);
}
int ProvisioningReply::prefix2() const {
    return numberAt(prefix, 4);
}
int ProvisioningReply::prefix3() const {
    return numberAt(prefix, 8);
}

std::string ProvisioningReply::keyText() const {
    std::string text;
    for (char16_t c : oldkey)
        text += static_cast<char>(c & 0xFF);
    return text;
}

std::u16string AdapterAddressText(const std::optional<std::array<std::uint8_t, 6>>& address) {
    const auto bytes = address.value_or(std::array<std::uint8_t, 6>{});
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3],
                  bytes[4], bytes[5]);
    return fromUtf8(text);
}

std::u16string ProvisioningRequestBody(const std::u16string& adapterAddress) {
    return u"&qdstsa=" + adapterAddress + u"&fjfptm=" + std::u16string(DialerVersion) + u"&faazdj=wbapux";
}

std::u16string BalanceRequestBody(const std::u16string& userName, const std::u16string& password,
                                  const std::u16string& adapterAddress) {
    return u"dzbytx=" + userName + u"&ywfkkv=" + password + u"&qdstsa=" + adapterAddress + u"&fjfptm=" +
           std::u16string(DialerVersion) + u"&faazdj=kgbyku";
}

void ConfigureEncryption(Engine& engine, const ProvisioningReply& r) {
    if (!r.vpnOn()) {
        engine.setSipEncryption2(0, "");
        engine.setRtpEncryption(0, 0, 0, 0, 0, 0, 0);
    } else if (r.newkey == u"off") {
        engine.setRtpEncryption(0, 0, 0, 0, 0, 0, 0);
        engine.setSipEncryption2(1, r.keyText());
        engine.setRtpEncryption2(1, r.keyText());
    } else if (r.dashCount() == 2) {
        engine.newSetSipEncryption(1, r.key2(), r.key1(), r.key3());
        engine.setNewRtpEncryption(1, r.key2(), r.key1(), r.key3(), 1, r.prefix2(), r.prefix3(), r.prefix1());
    } else if (r.dashCount() == 1) {
        engine.setSipEncryption(1, r.key2(), r.key1());
        engine.setRtpEncryption(1, r.key2(), r.key1(), 1, r.prefix2(), r.prefix3(), r.prefix1());
    }
}

int RegisterSubscriber(Engine& engine, const ProvisioningReply& reply, const std::u16string& userName,
                       const std::u16string& password) {
    const std::string aor = toUtf8(u"sip:" + userName + u"@" + reply.registrarip);
    const std::string proxy = toUtf8(u"sip:" + reply.ip);
    return engine.registerAccount(aor, aor, "*", toUtf8(userName), toUtf8(password),
                                  reply.vpnOn() ? &proxy : nullptr, 1, reply.reregisterSeconds(),
                                  reply.rtpPort(), reply.keepAliveSeconds());
}
