#pragma once

#include "RinglarkEngine.h"

#include <linphone/core.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace ringlark {

struct AccountRequest {
    std::string accountUri, registrarUri, realm, userName, password, proxyUri; // proxyUri empty: none
    int isDefault = 1, reregisterSeconds = 0, rtpPort = 0, keepAliveSeconds = 0;
};

// What the dialer configured for signalling and media encryption. Media
// encryption on means SRTP, and calls without it are refused. The signalling
// settings are kept but change nothing on the wire: a standard SIP server
// would not understand scrambled signalling.
struct Encryption {
    bool sipEnabled = false;
    int sipKey1 = 0, sipKey2 = 0, sipKey3 = 0;
    std::string sipKeyText;
    bool mediaEnabled = false;
    int mediaKey1 = 0, mediaKey2 = 0, mediaKey3 = 0;
    int prefix1 = 0, prefix2 = 0, prefix3 = 0;
    std::string mediaKeyText;
};

// The one engine of the process.
class EngineCore {
  public:
    static EngineCore& instance();

    int init(int sipPort);
    int shutdown();
    int registerAccount(const AccountRequest& request);
    int makeCall(int accountId, const std::string& destination);
    int answerCall(int callId, int statusCode);
    int releaseCall(int callId);
    int holdCall(int callId);
    int retrieveCall(int callId);
    int transferCall(int callId, const std::string& destination);
    int conference(int callId);
    int dialDtmf(int callId, const std::string& digits, int mode);
    int startRecording(int callId, const std::string& path);
    int stopRecording();
    int setCodecPriority(const char* name, int priority);
    int codecCount();
    const char* codecName(int index);
    int updateEncryption(const std::function<void(Encryption&)>& change);

    struct Handlers {
        std::atomic<RinglarkRegStateHandler> regState{nullptr};
        std::atomic<RinglarkCallStateHandler> callState{nullptr};
        std::atomic<RinglarkCallIncomingHandler> incoming{nullptr};
        std::atomic<RinglarkDtmfDigitHandler> dtmf{nullptr};
        std::atomic<RinglarkCallHoldConfirmHandler> holdConfirm{nullptr};
    };
    Handlers& handlers() { return handlers_; }

  private:
    struct Call {
        LinphoneCall* call = nullptr;
        int lastReported = 0;
        std::string recordTarget; // where the recording goes when it stops
        bool refused = false;     // a stranger's call, declined unseen: nothing is reported
    };

    EngineCore() = default;
    ~EngineCore(); // a program that ends without shutting the engine down still ends cleanly
    void loop();
    void iterate(); // screens what waits on the SIP socket, then lets the stack run once
    // A call is up or a registration is under way: the stack is iterated often.
    bool busy() const;
    void screenSipSockets();
    void findSipSockets();
    // Runs `work` on the engine thread and returns its result; -1 when the engine is not running
    // or the engine thread did not get to it in time. `work` must own what it uses.
    int run(std::function<int()> work);
    // Also before the stack exists; without a limit only for starting and stopping.
    int onEngineThread(std::function<int()> work, std::optional<std::chrono::milliseconds> limit);
    int startCore(int sipPort);
    void stopCore();
    void stopThread();
    void applyEncryption();
    Call* find(int callId);
    int idOf(LinphoneCall* call);
    std::string newRecordingPlaceholder();
    LinphoneProxyConfig* proxyConfigOf(int accountId);
    void finishRecording(int callId);
    void report(int callId, int state);
    bool anyAccountRegistered() const;
    bool fromOwnServer(LinphoneCall* call) const;
    static int decline(LinphoneCall* call, int statusCode);

    static void onCallStateChanged(LinphoneCore*, LinphoneCall*, LinphoneCallState, const char*);
    static void onRegistrationChanged(LinphoneCore*, LinphoneAccount*, LinphoneRegistrationState,
                                      const char*);
    static void onDtmfReceived(LinphoneCore*, LinphoneCall*, int);

    Handlers handlers_;
    std::mutex lifecycle_; // one init or shutdown at a time
    std::mutex mutex_;     // the task queue and the flags below
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;
    bool quit_ = false;
    // The engine thread's loop has not ended yet; it may outlive a stop that gave up waiting for it.
    bool loopRunning_ = false;
    std::condition_variable loopEnded_;
    std::thread thread_;
    std::atomic<std::thread::id> engineThread_{};
    Encryption encryption_;

    // Owned by the engine thread.
    LinphoneCore* core_ = nullptr;
    std::string folder_;          // private configuration and database, ends in "/"
    std::vector<int> sipSockets_; // the stack's UDP sockets on sipPort_
    int sipPort_ = 0;
    int roundsSinceFound_ = 0;
    std::vector<char> datagram_;
    std::map<int, Call> calls_;
    std::map<int, LinphoneAccount*> accounts_;
    std::map<int, std::set<std::string>> serverAddresses_; // numeric, of each registered account's servers
    std::map<std::string, int> priorities_;
    int nextCallId_ = 0;
    int nextAccountId_ = 0;
    int nextRecording_ = 0;
    int recordingCall_ = -1;
};

} // namespace ringlark
