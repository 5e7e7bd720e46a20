#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Engine;

inline constexpr std::u16string_view DialerVersion = u"1.0.7";

// The provisioning reply, descrambled, field by field.
struct ProvisioningReply {
    std::u16string ip, registrarip, header, footer, myaccounts, oldkey, newkey, vpn, prefix, size, rereg,
        sprt, keep, rtrp, email;

    // Reads the fields in their order. After the opening tags of oldkey, newkey
    // and keep (and rereg in the main window's pass) the text is cut to what
    // follows, so a field standing before such a tag is lost once it is passed.
    static ProvisioningReply read(std::u16string text, bool mainPass);

    // False when a text for the engine is longer than any real one can be: such
    // a reply is taken as no reply at all.
    bool usable() const;

    // The numbers for the engine, each within what it can mean (outside: 0, as for no value).
    int sizeValue() const;
    int sipPort() const;
    int reregisterSeconds() const;
    int rtpPort() const;
    int keepAliveSeconds() const;

    bool vpnOn() const { return vpn == u"on"; }
    int dashCount() const;
    int key1() const; // positions 0-2 of newkey
    int key2() const; // 4-6
    int key3() const; // 8-10, only with exactly two dashes; else 0
    int prefix1() const;
    int prefix2() const;
    int prefix3() const;
    std::string keyText() const; // oldkey, each character cut to its low byte
};

// "00-1A-2B-3C-4D-5E"; zeros when there is no adapter.
std::u16string AdapterAddressText(const std::optional<std::array<std::uint8_t, 6>>& address);

std::u16string ProvisioningRequestBody(const std::u16string& adapterAddress);
std::u16string BalanceRequestBody(const std::u16string& userName, const std::u16string& password,
                                  const std::u16string& adapterAddress);

// Hands the encryption settings of the reply to the engine.
void ConfigureEncryption(Engine& engine, const ProvisioningReply& reply);

// Registers "sip:" + user + "@" + registrar, through "sip:" + ip when vpn is on; returns the account id.
int RegisterSubscriber(Engine& engine, const ProvisioningReply& reply, const std::u16string& userName,
                       const std::u16string& password);
