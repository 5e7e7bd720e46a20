// The C exports of the engine library, each a thin call into the engine. Texts
// and numbers are checked here against what a real value can be, so that no
// caller's mistake or hostile provisioning reaches the stack.
#include "EngineCore.h"

#include <algorithm>
#include <cstring>

using ringlark::EngineCore;

namespace {

// Longest texts a real value needs, with room to spare.
constexpr std::size_t MaxCredential = 64; // user names and passwords
constexpr std::size_t MaxName = 255;      // realms, codec names, DTMF digits
constexpr std::size_t MaxUri = 512;
constexpr std::size_t MaxPath = 4096;
constexpr std::size_t MaxKeyText = 512;

EngineCore& engine() {
    return EngineCore::instance();
}
// NULL reads as empty; a text longer than `limit` is no value at all.
std::optional<std::string> text(const char* value, std::size_t limit) {
    if (!value)
        return std::string();
    if (::strnlen(value, limit + 1) > limit)
        return std::nullopt;
    return std::string(value);
}
bool isPort(int port) {
    return port >= 0 && port <= 65535;
}
// Durations in seconds: none or negative is the stack's default (0), the rest capped.
int seconds(int value, int most) {
    return std::clamp(value, 0, most);
}

} // namespace

extern "C" {

int dll_init(int, int sipPort) { // the size has no meaning for the stack
    return isPort(sipPort) ? engine().init(sipPort) : -1;
}

int dll_registerAccount(const char* accountUri, const char* registrarUri, const char* realm,
                        const char* userName, const char* password, const char* proxyUri, int isDefault,
                        int reregisterSeconds, int rtpPort, int keepAliveSeconds) {
    const auto account = text(accountUri, MaxUri), registrar = text(registrarUri, MaxUri),
               proxy = text(proxyUri, MaxUri), domain = text(realm, MaxName),
               user = text(userName, MaxCredential), secret = text(password, MaxCredential);
    if (!account || account->empty() || !registrar || !proxy || !domain || !user || !secret ||
        !isPort(rtpPort))
        return -1;
    ringlark::AccountRequest request;
    request.accountUri = *account;
    request.registrarUri = registrar->empty() ? *account : *registrar;
    request.realm = *domain;
    request.userName = *user;
    request.password = *secret;
    request.proxyUri = *proxy;
    request.isDefault = isDefault;
    request.reregisterSeconds = seconds(reregisterSeconds, 24 * 3600);
    request.rtpPort = rtpPort;
    request.keepAliveSeconds = seconds(keepAliveSeconds, 3600);
    return engine().registerAccount(request);
}

int dll_makeCall(int accountId, const char* destinationUri) {
    const auto destination = text(destinationUri, MaxUri);
    return destinationUri && destination ? engine().makeCall(accountId, *destination) : -1;
}
int dll_answerCall(int callId, int statusCode) {
    const bool final = statusCode == 200 || (statusCode >= 300 && statusCode <= 699);
    return final ? engine().answerCall(callId, statusCode) : -1;
}
int dll_releaseCall(int callId) {
    return engine().releaseCall(callId);
}
int dll_holdCall(int callId) {
    return engine().holdCall(callId);
}
int dll_retrieveCall(int callId) {
    return engine().retrieveCall(callId);
}
int dll_xferCall(int callId, const char* destinationUri) {
    const auto destination = text(destinationUri, MaxUri);
    return destinationUri && destination ? engine().transferCall(callId, *destination) : -1;
}
int dll_callConference(int callId) {
    return engine().conference(callId);
}
int dll_dialDtmf(int callId, const char* digits, int mode) {
    const auto tones = text(digits, MaxName);
    return tones ? engine().dialDtmf(callId, *tones, mode) : -1;
}
int dll_callRecording_start(int callId, const char* wavPath) {
    const auto path = text(wavPath, MaxPath);
    return path ? engine().startRecording(callId, *path) : -1;
}
int dll_callRecording_stop(void) {
    return engine().stopRecording();
}
int dll_shutdown(void) {
    return engine().shutdown();
}

int dll_setCodecPriority(const char* codec, int priority) {
    const auto name = text(codec, MaxName);
    return name ? engine().setCodecPriority(name->c_str(), std::clamp(priority, 0, 255)) : -1;
}
int dll_getNumOfCodecs(void) {
    return engine().codecCount();
}
const char* dll_getCodec(int index) {
    return engine().codecName(index);
}

int dll_setSIPEncryptionConfiguration(int enable, int key2, int key1) {
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.sipEnabled = enable != 0;
        e.sipKey1 = key1, e.sipKey2 = key2, e.sipKey3 = 0;
    });
}
int dll_setRTPEncryptionConfiguration(int enable, int key2, int key1, int mediaEnable, int prefix2,
                                      int prefix3, int prefix1) {
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.mediaEnabled = enable != 0 && mediaEnable != 0;
        e.mediaKey1 = key1, e.mediaKey2 = key2, e.mediaKey3 = 0;
        e.prefix1 = prefix1, e.prefix2 = prefix2, e.prefix3 = prefix3;
    });
}
int dll_setSIPEncryptionConfiguration2(int enable, const char* keyText) {
    const auto key = text(keyText, MaxKeyText);
    return key ? engine().updateEncryption([&](ringlark::Encryption& e) {
        e.sipEnabled = enable != 0;
        e.sipKeyText = *key;
    })
               : -1;
}
int dll_setRTPEncryptionConfiguration2(int enable, const char* keyText) {
    const auto key = text(keyText, MaxKeyText);
    return key ? engine().updateEncryption([&](ringlark::Encryption& e) {
        e.mediaEnabled = enable != 0;
        e.mediaKeyText = *key;
    })
               : -1;
}
int dll_new_setSIPEncryptionConfiguration(int enable, int key2, int key1, int key3) {
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.sipEnabled = enable != 0;
        e.sipKey1 = key1, e.sipKey2 = key2, e.sipKey3 = key3;
    });
}
int dll_set_new_RTPEncryptionConfiguration(int enable, int key2, int key1, int key3, int mediaEnable,
                                           int prefix2, int prefix3, int prefix1) {
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.mediaEnabled = enable != 0 && mediaEnable != 0;
        e.mediaKey1 = key1, e.mediaKey2 = key2, e.mediaKey3 = key3;
        e.prefix1 = prefix1, e.prefix2 = prefix2, e.prefix3 = prefix3;
    });
}

int onRegStateCallback(RinglarkRegStateHandler handler) {
    engine().handlers().regState = handler;
    return 0;
}
int onCallStateCallback(RinglarkCallStateHandler handler) {
    engine().handlers().callState = handler;
    return 0;
}
int onCallIncoming(RinglarkCallIncomingHandler handler) {
    engine().handlers().incoming = handler;
    return 0;
}
int onDtmfDigitCallback(RinglarkDtmfDigitHandler handler) {
    engine().handlers().dtmf = handler;
    return 0;
}
int onCallHoldConfirmCallback(RinglarkCallHoldConfirmHandler handler) {
    engine().handlers().holdConfirm = handler;
    return 0;
}

} // extern "C"
