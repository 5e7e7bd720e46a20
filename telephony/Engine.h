#pragma once

#include <functional>
#include <string>

// The telephony engine as the dialer sees it: one method per export of the
// engine library, texts in UTF-8. Handlers run on the engine's threads; the
// dialer posts what they report to its user-interface thread.
class Engine {
  public:
    using RegStateHandler = std::function<void(int accountId, int code)>;
    using CallStateHandler = std::function<void(int callId, int state)>;
    using IncomingHandler = std::function<void(int callId, const std::string& remoteUri)>;
    using DtmfHandler = std::function<void(int digitCode)>;
    using HoldConfirmHandler = std::function<void(int callId)>;

    virtual ~Engine() = default;

    // (Re)loads the library from the program's installation. While it is not
    // loaded every call does nothing and returns -1.
    virtual bool load() = 0;
    virtual bool isLoaded() const = 0;

    virtual int init(int size, int sipPort) = 0;
    virtual int registerAccount(const std::string& accountUri, const std::string& registrarUri,
                                const std::string& realm, const std::string& userName,
                                const std::string& password, const std::string* proxyUri, int isDefault,
                                int reregisterSeconds, int rtpPort, int keepAliveSeconds) = 0;
    virtual int makeCall(int accountId, const std::string& destinationUri) = 0;
    virtual int answerCall(int callId, int statusCode) = 0;
    virtual int releaseCall(int callId) = 0;
    virtual int holdCall(int callId) = 0;
    virtual int retrieveCall(int callId) = 0;
    virtual int xferCall(int callId, const std::string& destinationUri) = 0;
    virtual int callConference(int callId) = 0;
    virtual int dialDtmf(int callId, const std::string& digits, int mode) = 0;
    virtual int callRecordingStart(int callId, const std::string& wavPath) = 0;
    virtual int callRecordingStop() = 0;
    virtual int shutdown() = 0;
    virtual int setCodecPriority(const std::string& codec, int priority) = 0;
    virtual int setSipEncryption(int enable, int key2, int key1) = 0;
    virtual int setRtpEncryption(int enable, int key2, int key1, int mediaEnable, int prefix2, int prefix3,
                                 int prefix1) = 0;
    virtual int setSipEncryption2(int enable, const std::string& keyText) = 0;
    virtual int setRtpEncryption2(int enable, const std::string& keyText) = 0;
    virtual int newSetSipEncryption(int enable, int key2, int key1, int key3) = 0;
    virtual int setNewRtpEncryption(int enable, int key2, int key1, int key3, int mediaEnable, int prefix2,
                                    int prefix3, int prefix1) = 0;

    virtual void onRegState(RegStateHandler handler) = 0;
    virtual void onCallState(CallStateHandler handler) = 0;
    virtual void onCallIncoming(IncomingHandler handler) = 0;
    virtual void onDtmfDigit(DtmfHandler handler) = 0;
    virtual void onCallHoldConfirm(HoldConfirmHandler handler) = 0;
};
