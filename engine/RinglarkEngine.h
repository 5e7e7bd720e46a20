/*
 * The telephony engine library libRinglark.so: its exported functions and the
 * callbacks it calls. This header is the whole contract between the dialer and
 * the engine; the dialer binds each name at run time.
 *
 * Texts are NUL-terminated 8-bit strings (UTF-8). Accounts and calls are
 * integers; -1 means none. Every function may be called from any thread.
 * Callbacks run on the engine's own thread, and may run before the function
 * that caused them has returned.
 */
#ifndef RINGLARK_ENGINE_H
#define RINGLARK_ENGINE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define RINGLARK_EXPORT __attribute__((visibility("default")))
#else
#define RINGLARK_EXPORT
#endif

/* Call states reported through the call-state callback. */
enum {
    RINGLARK_CALL_CALLING = 1,
    RINGLARK_CALL_INCOMING = 2,
    RINGLARK_CALL_EARLY = 3,
    RINGLARK_CALL_CONNECTING = 4,
    RINGLARK_CALL_CONFIRMED = 5,
    RINGLARK_CALL_DISCONNECTED = 6
};

/* Callbacks. Each returns an integer; the call-state handler returns 0 for an
 * event it dropped, else 1. */
typedef int (*RinglarkRegStateHandler)(int accountId, int sipStatusCode);
typedef int (*RinglarkCallStateHandler)(int callId, int state);
typedef int (*RinglarkCallIncomingHandler)(int callId, const char* remoteUri);
typedef int (*RinglarkDtmfDigitHandler)(int digitCode);
typedef int (*RinglarkCallHoldConfirmHandler)(int callId);

/* Starts the engine: `size` is a provisioning value with no fixed meaning for
 * the stack, `sipPort` the local SIP port (0: the engine chooses). */
RINGLARK_EXPORT int dll_init(int size, int sipPort);

/* Adds and registers an account; returns its id or -1.
 * realm "*" accepts any realm; proxyUri may be NULL for none. */
RINGLARK_EXPORT int dll_registerAccount(const char* accountUri, const char* registrarUri, const char* realm,
                                        const char* userName, const char* password, const char* proxyUri,
                                        int isDefault, int reregisterSeconds, int rtpPort,
                                        int keepAliveSeconds);

/* Places a call from the account; returns the call id or -1. */
RINGLARK_EXPORT int dll_makeCall(int accountId, const char* destinationUri);
/* 200 answers an incoming call; any other code declines it with that code. */
RINGLARK_EXPORT int dll_answerCall(int callId, int statusCode);
RINGLARK_EXPORT int dll_releaseCall(int callId);
RINGLARK_EXPORT int dll_holdCall(int callId);
RINGLARK_EXPORT int dll_retrieveCall(int callId);
/* Blind transfer by REFER. */
RINGLARK_EXPORT int dll_xferCall(int callId, const char* destinationUri);
RINGLARK_EXPORT int dll_callConference(int callId);
/* mode 1: RFC 2833 telephone events; otherwise SIP INFO. */
RINGLARK_EXPORT int dll_dialDtmf(int callId, const char* digits, int mode);
RINGLARK_EXPORT int dll_callRecording_start(int callId, const char* wavPath);
RINGLARK_EXPORT int dll_callRecording_stop(void);
/* Un-registers, ends every call and stops; a later dll_init starts anew. */
RINGLARK_EXPORT int dll_shutdown(void);

/* codec like "PCMU/8000/1"; priority 1-255, higher first; 0 disables it. */
RINGLARK_EXPORT int dll_setCodecPriority(const char* codec, int priority);
RINGLARK_EXPORT int dll_getNumOfCodecs(void);
/* Name of codec `index` (0-based) in the form of dll_setCodecPriority, or NULL. */
RINGLARK_EXPORT const char* dll_getCodec(int index);

/* Signalling and media encryption, as provisioned. */
RINGLARK_EXPORT int dll_setSIPEncryptionConfiguration(int enable, int key2, int key1);
RINGLARK_EXPORT int dll_setRTPEncryptionConfiguration(int enable, int key2, int key1, int mediaEnable,
                                                      int prefix2, int prefix3, int prefix1);
RINGLARK_EXPORT int dll_setSIPEncryptionConfiguration2(int enable, const char* keyText);
RINGLARK_EXPORT int dll_setRTPEncryptionConfiguration2(int enable, const char* keyText);
RINGLARK_EXPORT int dll_new_setSIPEncryptionConfiguration(int enable, int key2, int key1, int key3);
RINGLARK_EXPORT int dll_set_new_RTPEncryptionConfiguration(int enable, int key2, int key1, int key3,
                                                           int mediaEnable, int prefix2, int prefix3,
                                                           int prefix1);

/* Handler registration; NULL removes the handler. */
RINGLARK_EXPORT int onRegStateCallback(RinglarkRegStateHandler handler);
RINGLARK_EXPORT int onCallStateCallback(RinglarkCallStateHandler handler);
RINGLARK_EXPORT int onCallIncoming(RinglarkCallIncomingHandler handler);
RINGLARK_EXPORT int onDtmfDigitCallback(RinglarkDtmfDigitHandler handler);
RINGLARK_EXPORT int onCallHoldConfirmCallback(RinglarkCallHoldConfirmHandler handler);

#ifdef __cplusplus
}
#endif

#endif /* RINGLARK_ENGINE_H */
