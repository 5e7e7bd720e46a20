// The C exports of the engine library, each a thin call into the engine.
#include "EngineCore.h"

using ringlark::EngineCore;

namespace {

EngineCore& engine() {
    return EngineCore::instance();
}
std::string text(const char* value) {
    return value ? value : "";
}

} // namespace

extern "C" {

int dll_init(int, int sipPort) {
    return engine().init(sipPort);
}

int dll_registerAccount(const char* accountUri, const char* registrarUri, const char* realm,
                        const char* userName, const char* password, const char* proxyUri, int isDefault,
                        int reregisterSeconds, int rtpPort, int keepAliveSeconds) {
    if (!accountUri || !*accountUri)
        return -1;
    ringlark::AccountRequest request;
    request.accountUri = accountUri;
    request.registrarUri = text(registrarUri).empty() ? request.accountUri : text(registrarUri);
    request.realm = text(realm);
    request.userName = text(userName);
    request.password = text(password);
    request.proxyUri = text(proxyUri);
    request.isDefault = isDefault;
    request.reregisterSeconds = reregisterSeconds;
    request.rtpPort = rtpPort;
    request.keepAliveSeconds = keepAliveSeconds;
    return engine().registerAccount(request);
}

int dll_makeCall(int accountId, const char* destinationUri) {
    return destinationUri ? engine().makeCall(accountId, destinationUri) : -1;
}
int dll_answerCall(int callId, int statusCode) {
    return engine().answerCall(callId, statusCode);
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
    return destinationUri ? engine().transferCall(callId, destinationUri) : -1;
}
int dll_callConference(int callId) {
    return engine().conference(callId);
}
int dll_dialDtmf(int callId, const char* digits, int mode) {
    return engine().dialDtmf(callId, text(digits), mode);
}
int dll_callRecording_start(int callId, const char* wavPath) {
    return engine().startRecording(callId, text(wavPath));
}
int dll_callRecording_stop(void) {
    return engine().stopRecording();
}
int dll_shutdown(void) {
    return engine().shutdown();
}

int dll_setCodecPriority(const char* codec, int priority) {
    return engine().setCodecPriority(codec, priority);
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
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.sipEnabled = enable != 0;
        e.sipKeyText = text(keyText);
    });
}
int dll_setRTPEncryptionConfiguration2(int enable, const char* keyText) {
    return engine().updateEncryption([&](ringlark::Encryption& e) {
        e.mediaEnabled = enable != 0;
        e.mediaKeyText = text(keyText);
    });
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
