#include "EngineLibrary.h"

#include "engine/RinglarkEngine.h"

#include <dlfcn.h>

#include <mutex>

// One bound pointer per export; nullptr while missing.
struct EngineExports {
#define RINGLARK_EXPORTS(X)                                                                                  \
    X(dll_init)                                                                                              \
    X(dll_registerAccount)                                                                                   \
    X(dll_makeCall)                                                                                          \
    X(dll_answerCall)                                                                                        \
    X(dll_releaseCall)                                                                                       \
    X(dll_holdCall)                                                                                          \
    X(dll_retrieveCall)                                                                                      \
    X(dll_xferCall)                                                                                          \
    X(dll_callConference)                                                                                    \
    X(dll_dialDtmf)                                                                                          \
    X(dll_callRecording_start)                                                                               \
    X(dll_callRecording_stop)                                                                                \
    X(dll_shutdown)                                                                                          \
    X(dll_setCodecPriority)                                                                                  \
    X(dll_getNumOfCodecs)                                                                                    \
    X(dll_getCodec)                                                                                          \
    X(dll_setSIPEncryptionConfiguration)                                                                     \
    X(dll_setRTPEncryptionConfiguration)                                                                     \
    X(dll_setSIPEncryptionConfiguration2)                                                                    \
    X(dll_setRTPEncryptionConfiguration2)                                                                    \
    X(dll_new_setSIPEncryptionConfiguration)                                                                 \
    X(dll_set_new_RTPEncryptionConfiguration)                                                                \
    X(onRegStateCallback)                                                                                    \
    X(onCallStateCallback)                                                                                   \
    X(onCallIncoming)                                                                                        \
    X(onDtmfDigitCallback)                                                                                   \
    X(onCallHoldConfirmCallback)
#define RINGLARK_MEMBER(name) decltype(&::name) name = nullptr;
    RINGLARK_EXPORTS(RINGLARK_MEMBER)
#undef RINGLARK_MEMBER
};

namespace {

// The engine calls plain C functions; they forward to the handlers the dialer
// set. Only one engine library is ever bound in a process.
struct Handlers {
    std::mutex mutex;
    Engine::RegStateHandler regState;
    Engine::CallStateHandler callState;
    Engine::IncomingHandler incoming;
    Engine::DtmfHandler dtmf;
    Engine::HoldConfirmHandler holdConfirm;
};

Handlers& handlers() {
    static Handlers instance;
    return instance;
}

template <typename Handler> Handler copyOf(Handler Handlers::*member) {
    std::lock_guard lock(handlers().mutex);
    return handlers().*member;
}

template <typename Handler> void store(Handler Handlers::*member, Handler handler) {
    std::lock_guard lock(handlers().mutex);
    handlers().*member = std::move(handler);
}

int regStateTrampoline(int accountId, int code) {
    if (auto handler = copyOf(&Handlers::regState))
        handler(accountId, code);
    return 1;
}

int callStateTrampoline(int callId, int state) {
    if (auto handler = copyOf(&Handlers::callState)) {
        handler(callId, state);
        return 1;
    }
    return 0;
}

int incomingTrampoline(int callId, const char* remoteUri) {
    if (auto handler = copyOf(&Handlers::incoming))
        handler(callId, remoteUri ? remoteUri : "");
    return 1;
}

int dtmfTrampoline(int digitCode) {
    if (auto handler = copyOf(&Handlers::dtmf))
        handler(digitCode);
    return 1;
}

int holdConfirmTrampoline(int callId) {
    if (auto handler = copyOf(&Handlers::holdConfirm))
        handler(callId);
    return 1;
}

const char* orNull(const std::string* text) {
    return text ? text->c_str() : nullptr;
}

} // namespace

EngineLibrary::EngineLibrary(std::string folder)
    : folder_(std::move(folder)), exports_(std::make_unique<EngineExports>()) {}

// The library stays mapped: its threads may still be winding down, and a
// process loads it only once anyway.
EngineLibrary::~EngineLibrary() = default;

bool EngineLibrary::load() {
    if (handle_)
        return true;
    const std::string path = folder_ + "/" + FileName;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        return false;
#define RINGLARK_BIND(name)                                                                                  \
    exports_->name = reinterpret_cast<decltype(exports_->name)>(dlsym(handle_, #name));
    RINGLARK_EXPORTS(RINGLARK_BIND)
#undef RINGLARK_BIND
    // The handlers the dialer set before the library was there take effect now.
    if (exports_->onRegStateCallback)
        exports_->onRegStateCallback(regStateTrampoline);
    if (exports_->onCallStateCallback)
        exports_->onCallStateCallback(callStateTrampoline);
    if (exports_->onCallIncoming)
        exports_->onCallIncoming(incomingTrampoline);
    if (exports_->onDtmfDigitCallback)
        exports_->onDtmfDigitCallback(dtmfTrampoline);
    if (exports_->onCallHoldConfirmCallback)
        exports_->onCallHoldConfirmCallback(holdConfirmTrampoline);
    return true;
}

bool EngineLibrary::isLoaded() const {
    return handle_ != nullptr;
}

std::string EngineLibrary::missingExports() const {
    std::string missing;
#define RINGLARK_CHECK(name)                                                                                 \
    if (!exports_->name)                                                                                     \
        missing += (missing.empty() ? "" : " ") + std::string(#name);
    RINGLARK_EXPORTS(RINGLARK_CHECK)
#undef RINGLARK_CHECK
    return missing;
}

// Calls an export when it is bound; -1 otherwise.
#define CALL(name, ...) (exports_->name ? exports_->name(__VA_ARGS__) : -1)

int EngineLibrary::init(int size, int sipPort) {
    return CALL(dll_init, size, sipPort);
}

int EngineLibrary::registerAccount(const std::string& accountUri, const std::string& registrarUri,
                                   const std::string& realm, const std::string& userName,
                                   const std::string& password, const std::string* proxyUri, int isDefault,
                                   int reregisterSeconds, int rtpPort, int keepAliveSeconds) {
    return CALL(dll_registerAccount, accountUri.c_str(), registrarUri.c_str(), realm.c_str(),
                userName.c_str(), password.c_str(), orNull(proxyUri), isDefault, reregisterSeconds, rtpPort,
                keepAliveSeconds);
}

int EngineLibrary::makeCall(int accountId, const std::string& destinationUri) {
    return CALL(dll_makeCall, accountId, destinationUri.c_str());
}
int EngineLibrary::answerCall(int callId, int statusCode) {
    return CALL(dll_answerCall, callId, statusCode);
}
int EngineLibrary::releaseCall(int callId) {
    return CALL(dll_releaseCall, callId);
}
int EngineLibrary::holdCall(int callId) {
    return CALL(dll_holdCall, callId);
}
int EngineLibrary::retrieveCall(int callId) {
    return CALL(dll_retrieveCall, callId);
}
int EngineLibrary::xferCall(int callId, const std::string& destinationUri) {
    return CALL(dll_xferCall, callId, destinationUri.c_str());
}
int EngineLibrary::callConference(int callId) {
    return CALL(dll_callConference, callId);
}
int EngineLibrary::dialDtmf(int callId, const std::string& digits, int mode) {
    return CALL(dll_dialDtmf, callId, digits.c_str(), mode);
}
int EngineLibrary::callRecordingStart(int callId, const std::string& wavPath) {
    return CALL(dll_callRecording_start, callId, wavPath.c_str());
}
int EngineLibrary::callRecordingStop() {
    return CALL(dll_callRecording_stop);
}
int EngineLibrary::shutdown() {
    return CALL(dll_shutdown);
}
int EngineLibrary::setCodecPriority(const std::string& codec, int priority) {
    return CALL(dll_setCodecPriority, codec.c_str(), priority);
}
int EngineLibrary::setSipEncryption(int enable, int key2, int key1) {
    return CALL(dll_setSIPEncryptionConfiguration, enable, key2, key1);
}
int EngineLibrary::setRtpEncryption(int enable, int key2, int key1, int mediaEnable, int prefix2, int prefix3,
                                    int prefix1) {
    return CALL(dll_setRTPEncryptionConfiguration, enable, key2, key1, mediaEnable, prefix2, prefix3,
                prefix1);
}
int EngineLibrary::setSipEncryption2(int enable, const std::string& keyText) {
    return CALL(dll_setSIPEncryptionConfiguration2, enable, keyText.c_str());
}
int EngineLibrary::setRtpEncryption2(int enable, const std::string& keyText) {
    return CALL(dll_setRTPEncryptionConfiguration2, enable, keyText.c_str());
}
int EngineLibrary::newSetSipEncryption(int enable, int key2, int key1, int key3) {
    return CALL(dll_new_setSIPEncryptionConfiguration, enable, key2, key1, key3);
}
int EngineLibrary::setNewRtpEncryption(int enable, int key2, int key1, int key3, int mediaEnable, int prefix2,
                                       int prefix3, int prefix1) {
    return CALL(dll_set_new_RTPEncryptionConfiguration, enable, key2, key1, key3, mediaEnable, prefix2,
                prefix3, prefix1);
}

#undef CALL

void EngineLibrary::onRegState(RegStateHandler handler) {
    store(&Handlers::regState, std::move(handler));
}
void EngineLibrary::onCallState(CallStateHandler handler) {
    store(&Handlers::callState, std::move(handler));
}
void EngineLibrary::onCallIncoming(IncomingHandler handler) {
    store(&Handlers::incoming, std::move(handler));
}
void EngineLibrary::onDtmfDigit(DtmfHandler handler) {
    store(&Handlers::dtmf, std::move(handler));
}
void EngineLibrary::onCallHoldConfirm(HoldConfirmHandler handler) {
    store(&Handlers::holdConfirm, std::move(handler));
}
