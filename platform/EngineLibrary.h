#pragma once

#include "telephony/Engine.h"

#include <memory>
#include <mutex>
#include <string>

struct EngineExports;

// The engine library, opened with dlopen from a fixed folder (the program's
// own, never the working directory) and bound export by export. A missing
// library or export makes the matching calls do nothing.
class EngineLibrary final : public Engine {
  public:
    inline static const char* FileName = "libRinglark.so";

    explicit EngineLibrary(std::string folder);
    ~EngineLibrary() override;

    bool load() override;
    bool isLoaded() const override;
    // Names of the exports the loaded library lacks.
    std::string missingExports() const;

    int init(int size, int sipPort) override;
    int registerAccount(const std::string& accountUri, const std::string& registrarUri,
                        const std::string& realm, const std::string& userName, const std::string& password,
                        const std::string* proxyUri, int isDefault, int reregisterSeconds, int rtpPort,
                        int keepAliveSeconds) override;
    int makeCall(int accountId, const std::string& destinationUri) override;
    int answerCall(int callId, int statusCode) override;
    int releaseCall(int callId) override;
    int holdCall(int callId) override;
    int retrieveCall(int callId) override;
    int xferCall(int callId, const std::string& destinationUri) override;
    int callConference(int callId) override;
    int dialDtmf(int callId, const std::string& digits, int mode) override;
    int callRecordingStart(int callId, const std::string& wavPath) override;
    int callRecordingStop() override;
    int shutdown() override;
    int setCodecPriority(const std::string& codec, int priority) override;
    int setSipEncryption(int enable, int key2, int key1) override;
    int setRtpEncryption(int enable, int key2, int key1, int mediaEnable, int prefix2, int prefix3,
                         int prefix1) override;
    int setSipEncryption2(int enable, const std::string& keyText) override;
    int setRtpEncryption2(int enable, const std::string& keyText) override;
    int newSetSipEncryption(int enable, int key2, int key1, int key3) override;
    int setNewRtpEncryption(int enable, int key2, int key1, int key3, int mediaEnable, int prefix2,
                            int prefix3, int prefix1) override;

    void onRegState(RegStateHandler handler) override;
    void onCallState(CallStateHandler handler) override;
    void onCallIncoming(IncomingHandler handler) override;
    void onDtmfDigit(DtmfHandler handler) override;
    void onCallHoldConfirm(HoldConfirmHandler handler) override;

  private:
    std::string folder_;
    void* handle_ = nullptr;
    std::unique_ptr<EngineExports> exports_;
};
