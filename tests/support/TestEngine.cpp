// A stand-in engine library: every export answers with a value that tells the
// test which export ran with which arguments, and the registered handlers can
// be raised on demand through the extra test_* exports.
#include "engine/RinglarkEngine.h"

#include <cstdio>
#include <string>

namespace {
std::string lastCall;
RinglarkRegStateHandler regHandler;
RinglarkCallStateHandler callHandler;
RinglarkCallIncomingHandler incomingHandler;

int note(const char* name, int value, const char* text = nullptr) {
    lastCall = std::string(name) + ":" + std::to_string(value) + (text ? std::string(":") + text : "");
    return value;
}
} // namespace

extern "C" {
RINGLARK_EXPORT const char* test_lastCall() {
    return lastCall.c_str();
}
RINGLARK_EXPORT int test_raiseRegState(int account, int code) {
    return regHandler ? regHandler(account, code) : -1;
}
RINGLARK_EXPORT int test_raiseCallState(int call, int state) {
    return callHandler ? callHandler(call, state) : -1;
}
RINGLARK_EXPORT int test_raiseIncoming(int call, const char* uri) {
    return incomingHandler ? incomingHandler(call, uri) : -1;
}

int dll_init(int size, int sipPort) {
    return note("dll_init", size * 100000 + sipPort);
}
int dll_registerAccount(const char* uri, const char*, const char* realm, const char* user, const char*,
                        const char* proxy, int, int rereg, int, int) {
    std::string text = std::string(uri) + "|" + realm + "|" + user + "|" + (proxy ? proxy : "null");
    return note("dll_registerAccount", rereg, text.c_str());
}
int dll_makeCall(int account, const char* uri) {
    return note("dll_makeCall", account + 1000, uri);
}
int dll_answerCall(int call, int code) {
    return note("dll_answerCall", call * 1000 + code);
}
int dll_releaseCall(int call) {
    return note("dll_releaseCall", call);
}
int dll_holdCall(int call) {
    return note("dll_holdCall", call);
}
int dll_retrieveCall(int call) {
    return note("dll_retrieveCall", call);
}
int dll_xferCall(int call, const char* uri) {
    return note("dll_xferCall", call, uri);
}
int dll_callConference(int call) {
    return note("dll_callConference", call);
}
int dll_dialDtmf(int call, const char* digits, int mode) {
    return note("dll_dialDtmf", call * 10 + mode, digits);
}
int dll_callRecording_start(int call, const char* path) {
    return note("dll_callRecording_start", call, path);
}
int dll_callRecording_stop(void) {
    return note("dll_callRecording_stop", 0);
}
int dll_shutdown(void) {
    return note("dll_shutdown", 0);
}
int dll_setCodecPriority(const char* codec, int priority) {
    return note("dll_setCodecPriority", priority, codec);
}
int dll_getNumOfCodecs(void) {
    return note("dll_getNumOfCodecs", 4);
}
const char* dll_getCodec(int index) {
    return index == 0 ? "PCMU/8000/1" : nullptr;
}
int dll_setSIPEncryptionConfiguration(int e, int k2, int k1) {
    return note("sip1", e * 1000000 + k2 * 1000 + k1);
}
int dll_setRTPEncryptionConfiguration(int e, int k2, int k1, int m, int p2, int p3, int p1) {
    return note("rtp1", e + k2 + k1 + m + p2 + p3 + p1);
}
int dll_setSIPEncryptionConfiguration2(int e, const char* key) {
    return note("sip2", e, key);
}
int dll_setRTPEncryptionConfiguration2(int e, const char* key) {
    return note("rtp2", e, key);
}
int dll_new_setSIPEncryptionConfiguration(int e, int k2, int k1, int k3) {
    return note("sip3", e + k2 + k1 + k3);
}
int dll_set_new_RTPEncryptionConfiguration(int e, int k2, int k1, int k3, int m, int p2, int p3, int p1) {
    return note("rtp3", e + k2 + k1 + k3 + m + p2 + p3 + p1);
}
int onRegStateCallback(RinglarkRegStateHandler handler) {
    regHandler = handler;
    return 0;
}
int onCallStateCallback(RinglarkCallStateHandler handler) {
    callHandler = handler;
    return 0;
}
int onCallIncoming(RinglarkCallIncomingHandler handler) {
    incomingHandler = handler;
    return 0;
}
int onDtmfDigitCallback(RinglarkDtmfDigitHandler) {
    return 0;
}
int onCallHoldConfirmCallback(RinglarkCallHoldConfirmHandler) {
    return 0;
}
}
