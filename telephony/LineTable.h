#pragma once

#include <array>
#include <string>

// One of the four lines of the main window.
struct LineRecord {
    bool calling = false;   // outgoing call being set up
    bool incoming = false;  // incoming call not answered yet
    bool ringing = false;   // the remote side rings
    bool answering = false; // connecting
    bool connected = false; // established
    bool onHold = false;    // held by us
    bool inUse = false;     // the line holds a call
    bool transferring = false;
    bool inConference = false;
    bool redialAvailable = false;
    int callId = -1;
    int transferCallId = -1;
    std::u16string dialedNumber;
    std::u16string remoteNumber;
    std::u16string statusText = u"Ready To Call...";
    std::u16string transferText;
    std::u16string durationText;
    int durationSeconds = 0;
    char16_t direction = 0; // 'C' outgoing, 'I' incoming, 0 none

    // Calling, incoming, ringing, answering, connected, in use or on hold.
    bool busy() const { return calling || incoming || ringing || answering || connected || inUse || onHold; }
};

inline constexpr int LineCount = 4;

struct LineTable {
    std::array<LineRecord, LineCount> lines{};
    int currentLine = 0;
    bool autoAnswer = false;
    bool doNotDisturb = false;
    bool transferMode = false;
    bool conferenceMode = false;

    LineRecord& current() { return lines[static_cast<std::size_t>(currentLine)]; }
    const LineRecord& current() const { return lines[static_cast<std::size_t>(currentLine)]; }
    // Every line free and line 1 current; the window-wide call flags off.
    void reset() { *this = LineTable{}; }
};
