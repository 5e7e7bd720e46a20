#pragma once

#include "LineTable.h"
#include "core/Ports.h"

#include <string>
#include <string_view>

class Engine;

// What call control needs of the main window it lives in.
class CallWindow {
  public:
    virtual ~CallWindow() = default;
    virtual WindowPort& callView() = 0;
    virtual bool isRegistered() const = 0;
    virtual std::u16string readyUser() const = 0;     // shown after "Ready : "
    virtual std::u16string registrarHost() const = 0; // the domain of every dialed address
    virtual int engineAccount() const = 0;
    virtual std::u16string recordingPath() const = 0; // the folder recordings go to
    virtual bool modalGuardRaised() const = 0;
    // Closes the side panels and shows the message with the guard raised.
    virtual MessageResult guardedMessage(std::u16string_view text) = 0;
    virtual void CloseSidePanels() = 0;
    virtual void QueryBalance() = 0;
    virtual bool FetchCallRecords() = 0;
    virtual void BuildRecentCallsTree() = 0;
    virtual void RecordFinishedCall(int line) = 0;
};

// What call control reaches beyond the window.
struct CallServices {
    Engine& engine;
    Sound& sound;
    Clock& clock;
    Network& network;
};

// The four lines and every call command of the main window: the engine's
// call events, Call, End, Hold, Transfer, Conference, Redial, the lines, auto
// answer, do not disturb, the keypad and keyboard entry, the ring and
// duration timers, and recording.
class CallControl {
  public:
    CallControl(CallWindow& window, CallServices services) : window_(window), services_(services) {}

    LineTable lineTable;
    std::u16string numberText;     // the number display
    std::u16string conferenceText; // "Conference Line (1:3)"
    bool endRequested = false;
    bool wasConnected = false; // a call was established since the last balance query
    bool recording = false;

    // Every line free, line 1 current, the call flags off.
    void ResetLineTable();

    // Engine events, on the window's thread, one at a time.
    void OnCallState(int callId, int state);
    void OnCallIncoming(int callId, const std::u16string& remoteUri);

    // true when the command id is one of call control's.
    bool onCommand(int id);
    // Keys while registered; true when consumed.
    bool onKey(const KeyPress& key);
    // true when the timer is one of call control's.
    bool onTimer(int timerId);

    void Call();
    void End();
    void HoldCommand();
    void TransferCommand();
    void ConferenceCommand();
    void Redial();
    void SelectLine(int line);
    void RecordCommand();
    void PlayCommand();
    void UpdateLineButton(int line);
    // Shows `text` in the number display; the next Call dials it.
    void showNumber(std::u16string text);

    // "SoftphoneRecording_" + date + time + ".wav" in `folder`, for a moment of local time.
    static std::u16string RecordingFileName(const std::u16string& folder, const LocalTime& at);

  private:
    void handleCallState(int callId, int state);
    bool handleCommand(int id);
    void showLineStates();
    LineRecord& current() { return lineTable.current(); }
    WindowPort& view() { return window_.callView(); }
    int lineOf(int callId) const; // -1 when no line holds it
    std::string destination(const std::u16string& number) const;
    bool numberEntryAllowed();
    void setStatus(std::u16string_view text);
    void keypad(char16_t c);
    void typed(char16_t c);
    void backspaceKey();
    void backCommand();
    void clearCommand();
    void playTone(char16_t c);
    void warnTooLong();
    void durationStep(int line);
    void startDuration(int line);
    void stopDuration(int line);
    void holdLine(int line);
    void clearLine(LineRecord& line);
    void removeFromConference(int line);
    void afterDisconnect();
    void endConference();
    int conferenceMembers() const;
    void disconnected(int callId);

    CallWindow& window_;
    CallServices services_;
};
