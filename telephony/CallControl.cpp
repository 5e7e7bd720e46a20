#include "CallControl.h"

#include "core/Text.h"
#include "resources/ResourceIds.h"
#include "telephony/Engine.h"

#include <algorithm>
#include <cstdio>
#include <exception>

using namespace res;

namespace {

constexpr int RingPeriodMs = 500;
constexpr int DurationPeriodMs = 1000;
constexpr std::size_t MaxNumberLength = 25;

bool isDialChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'*' || c == u'#';
}

bool allDigits(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::u16string lineName(int line, bool blank) {
    return (blank ? u"Line " : u"Line") + std::u16string(1, char16_t(u'1' + line));
}

// "%.2d:%.2d:%.2d" of a number of seconds.
std::u16string clockText(int seconds) {
    int hours = 0, minutes = 0;
    if (seconds >= 3600) {
        hours = seconds / 3600;
        seconds %= 3600;
    }
    if (seconds >= 60) {
        minutes = seconds / 60;
        seconds %= 60;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", hours, minutes, seconds);
    return u16(text);
}

std::string toneFile(char16_t c) {
    if (c == u'*')
        return "Dtmf-star.wav";
    if (c == u'#')
        return "Dtmf-pound.wav";
    return std::string("Dtmf-") + char(c) + ".wav";
}

// The user part of "sip:user@domain"; everything after the ":" when there is no "@".
std::u16string userPart(const std::u16string& uri) {
    const auto colon = uri.find(u':');
    std::u16string rest = colon == std::u16string::npos ? std::u16string() : uri.substr(colon + 1);
    if (const auto at = rest.find(u'@'); at != std::u16string::npos)
        rest.erase(at);
    return rest;
}

// "host", "host:port", "[v6]" or "[v6]:port": the host alone.
std::u16string hostPart(const std::u16string& address) {
    if (!address.empty() && address.front() == u'[')
        return address.substr(1, address.find(u']') - 1);
    if (std::count(address.begin(), address.end(), u':') == 1)
        return address.substr(0, address.find(u':'));
    return address;
}

void replaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    for (auto at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

void CallControl::setStatus(std::u16string_view text) {
    view().setText(StatusLabel, text);
}

void CallControl::ResetLineTable() {
    lineTable.reset();
    numberText.clear();
    conferenceText.clear();
    endRequested = wasConnected = false;
    for (int line = 0; line < LineCount; ++line) {
        view().setDown(Line1 + line, line == 0);
        view().stopTimer(LineTimerBase + line);
    }
    showLineStates();
    view().stopTimer(RingTimer);
    view().setDown(Transfer, false);
}

int CallControl::lineOf(int callId) const {
    if (callId < 0)
        return -1;
    for (int line = 0; line < LineCount; ++line)
        if (lineTable.lines[std::size_t(line)].callId == callId)
            return line;
    return -1;
}

std::string CallControl::destination(const std::u16string& number) const {
    return toUtf8(u"sip:" + number + u"@" + window_.registrarHost());
}

void CallControl::showNumber(std::u16string text) {
    numberText = std::move(text);
    view().setText(NumberLabel, numberText);
}

void CallControl::UpdateLineButton(int line) {
    const auto& record = lineTable.lines[std::size_t(line)];
    std::u16string tip = lineName(line, false);
    std::string face;
    if (record.onHold) {
        tip = u"ON HOLD";
        face = "hold";
    }
    if (record.incoming) {
        tip = u"INCOMING CALL";
        face = "incoming";
    }
    if (record.inConference) {
        if (record.onHold) {
            tip = u"Conferece on hold";
        } else {
            tip = u"On Conference";
            face = "conference";
        }
    }
    view().setTooltip(Line1 + line, tip);
    view().setFace(Line1 + line, face);
}

void CallControl::showLineStates() {
    // The line buttons lie outside the skin; their texts label the window menu's line entries.
    for (int line = 0; line < LineCount; ++line) {
        const auto& record = lineTable.lines[std::size_t(line)];
        std::u16string text = lineName(line, true) + u": " + record.statusText;
        if (record.onHold)
            text += u" (on hold)";
        view().setText(Line1 + line, text);
    }
}

// Engine events.

void CallControl::OnCallState(int callId, int state) {
    handleCallState(callId, state);
    showLineStates();
}

void CallControl::handleCallState(int callId, int state) {
    if (!services_.network.isConnected(toUtf8(hostPart(window_.registrarHost())))) {
        window_.guardedMessage(u"Internet is not available!");
        return;
    }
    auto& cur = current();
    const int here = lineTable.currentLine;
    try {
        switch (state) {
        case 1: // calling
            if (cur.inUse && cur.callId != callId) {
                cur.transferCallId = callId; // the engine's second leg of a transfer
                cur.transferText = u"Transfering...";
                view().setText(HeaderLabel, cur.transferText);
            }
            if (!cur.inUse)
                cur.callId = callId;
            if (cur.callId == callId) {
                cur.calling = cur.inUse = true;
                cur.statusText = u"Calling...";
                setStatus(cur.statusText);
                view().setEnabled(res::End, true);
                UpdateLineButton(here);
            }
            break;
        case 2: { // incoming
            int line = -1;
            for (int i = 0; i < LineCount && line < 0; ++i)
                if (!lineTable.lines[std::size_t(i)].inUse)
                    line = i;
            if (line >= 0) {
                auto& record = lineTable.lines[std::size_t(line)];
                record.callId = callId;
                record.incoming = record.inUse = true;
                record.statusText = u"Incoming...";
                if (line == here) {
                    setStatus(record.statusText);
                    services_.sound.play("Ring.wav", true);
                }
                UpdateLineButton(line);
            }
            view().startTimer(RingTimer, RingPeriodMs);
            break;
        }
        case 3: // early
            if (cur.transferCallId != -1 && callId == cur.transferCallId)
                break;
            if (cur.callId == callId) {
                cur.ringing = true;
                cur.statusText = u"Ringing...";
                setStatus(cur.statusText);
            } else if (const int line = lineOf(callId); line >= 0) {
                lineTable.lines[std::size_t(line)].ringing = true;
                lineTable.lines[std::size_t(line)].statusText = u"Ringing...";
            }
            break;
        case 4: // connecting
            if (cur.transferCallId != -1 && callId == cur.transferCallId) {
                services_.engine.releaseCall(cur.callId); // the transferred party takes over
            } else if (cur.callId == callId) {
                cur.answering = true;
                cur.statusText = u"Answer...";
                setStatus(cur.statusText);
            } else if (const int line = lineOf(callId); line >= 0) {
                lineTable.lines[std::size_t(line)].answering = true;
                lineTable.lines[std::size_t(line)].statusText = u"Answer...";
            }
            break;
        case 5: // confirmed
            if (cur.transferCallId != -1 && callId == cur.transferCallId) {
                cur.callId = cur.transferCallId;
                cur.transferCallId = -1;
                cur.statusText = u"Connected...";
                setStatus(cur.statusText);
                wasConnected = true;
                cur.transferText = u"Transfer Succed...";
                view().setText(HeaderLabel, cur.transferText);
                cur.transferring = false;
                if (view().isDown(Transfer))
                    TransferCommand();
                break;
            }
            if (cur.callId == callId) {
                if (cur.calling)
                    cur.direction = u'C';
                else if (cur.incoming)
                    cur.direction = u'I';
                cur.connected = true;
                cur.calling = cur.incoming = false;
                wasConnected = true;
                cur.statusText = u"Connected...";
                setStatus(cur.statusText);
                startDuration(here);
                services_.sound.stop();
                UpdateLineButton(here);
            } else if (const int line = lineOf(callId); line >= 0) {
                auto& record = lineTable.lines[std::size_t(line)];
                if (record.calling) {
                    // Placed from a line that is no longer current: it waits on hold.
                    record.direction = u'C';
                    services_.engine.holdCall(callId);
                    record.onHold = true;
                } else if (record.incoming) {
                    record.direction = u'I';
                }
                record.connected = true;
                record.calling = record.incoming = false;
                record.statusText = u"Connected...";
                startDuration(line);
                UpdateLineButton(line);
            }
            view().stopTimer(RingTimer);
            break;
        case 6:
            disconnected(callId);
            break;
        default:
            break;
        }
    } catch (const std::exception&) {
        window_.guardedMessage(u"Error occured above updaterecentcall");
    }
}

void CallControl::disconnected(int callId) {
    auto& cur = current();
    const int here = lineTable.currentLine;
    if (cur.transferCallId != -1 && callId == cur.transferCallId) {
        cur.transferText = u"Transfer Failed...";
        view().setText(HeaderLabel, cur.transferText);
        cur.transferCallId = -1;
        cur.transferring = false;
        if (view().isDown(Transfer))
            TransferCommand();
        return;
    }
    if (cur.transferCallId != -1 && callId == cur.callId) {
        view().setText(HeaderLabel, u"Transfering...");
        cur.callId = cur.transferCallId;
        cur.transferCallId = -1;
        return;
    }
    if (callId >= 0 && callId == cur.callId) {
        if (lineTable.doNotDisturb && cur.incoming) {
            setStatus(u"Missed Call...");
        } else {
            setStatus(u"Disconnected...");
            stopDuration(here);
            view().setText(DurationLabel, u"");
            view().setTooltip(res::Call, u"ReDial");
            cur.redialAvailable = true;
            view().setEnabled(res::End, false);
            services_.clock.wait(300);
            if (wasConnected) {
                window_.QueryBalance();
                wasConnected = false;
            }
            setStatus(u"Ready : " + window_.readyUser());
            window_.FetchCallRecords();
        }
        cur.statusText = u"Ready To Call...";
        showNumber(u"");
        cur.transferText.clear();
        view().setText(RateLabel, u"");
        window_.RecordFinishedCall(here); // kept in the call log, received and missed calls too
        window_.BuildRecentCallsTree();
        const bool wasMember = cur.inConference;
        clearLine(cur);
        stopDuration(here);
        services_.sound.stop();
        UpdateLineButton(here);
        if (view().isDown(Transfer))
            TransferCommand();
        if (cur.transferring) {
            view().setText(HeaderLabel, u"Call Transfered");
            cur.transferring = false;
        }
        if (wasMember) {
            removeFromConference(here);
            int next = -1;
            for (int i = 0; i < LineCount && next < 0; ++i)
                if (lineTable.lines[std::size_t(i)].inConference)
                    next = i;
            SelectLine(next >= 0 ? next : 0);
        } else {
            view().setFace(Line1 + here, "");
        }
    } else if (const int line = lineOf(callId); line >= 0) {
        // A call ending on another line always frees it.
        auto& record = lineTable.lines[std::size_t(line)];
        stopDuration(line);
        window_.RecordFinishedCall(line);
        clearLine(record);
        record.statusText = u"Disconnected...";
        record.statusText = u"Ready To Call...";
        removeFromConference(line);
        UpdateLineButton(line);
        if (view().isDown(res::Conference))
            setStatus(conferenceText);
    }
    afterDisconnect();
}

void CallControl::clearLine(LineRecord& line) {
    line.calling = line.incoming = line.ringing = line.answering = line.connected = line.onHold = line.inUse =
        line.inConference = false;
    line.direction = 0;
    line.callId = -1;
    line.durationSeconds = 0;
    line.remoteNumber.clear();
    line.durationText.clear();
}

void CallControl::removeFromConference(int line) {
    lineTable.lines[std::size_t(line)].inConference = false;
    const char16_t digit = char16_t(u'1' + line);
    conferenceText.erase(std::remove(conferenceText.begin(), conferenceText.end(), digit),
                         conferenceText.end());
    replaceAll(conferenceText, u"::", u":");
    replaceAll(conferenceText, u":)", u")");
}

void CallControl::afterDisconnect() {
    const bool anyIncoming = std::any_of(lineTable.lines.begin(), lineTable.lines.end(),
                                         [](const LineRecord& line) { return line.incoming; });
    if (!anyIncoming)
        view().stopTimer(RingTimer);
    const bool anyInUse = std::any_of(lineTable.lines.begin(), lineTable.lines.end(),
                                      [](const LineRecord& line) { return line.inUse; });
    if (!anyInUse && recording) {
        services_.engine.callRecordingStop();
        recording = false;
        view().setDown(res::Record, false);
        view().setFace(res::Record, "");
    }
    if (lineTable.conferenceMode && conferenceMembers() < 2) {
        setStatus(current().statusText);
        view().setVisible(DurationLabel, true);
        endConference();
    }
}

int CallControl::conferenceMembers() const {
    return int(std::count_if(lineTable.lines.begin(), lineTable.lines.end(),
                             [](const LineRecord& line) { return line.inConference; }));
}

// Conference off: the other members wait on hold.
void CallControl::endConference() {
    view().setDown(res::Conference, false);
    lineTable.conferenceMode = false;
    for (int line = 0; line < LineCount; ++line) {
        auto& record = lineTable.lines[std::size_t(line)];
        if (line != lineTable.currentLine && record.inConference && !record.onHold) {
            services_.engine.holdCall(record.callId);
            record.onHold = true;
        }
    }
    for (int line = 0; line < LineCount; ++line) {
        lineTable.lines[std::size_t(line)].inConference = false;
        UpdateLineButton(line);
    }
}

void CallControl::OnCallIncoming(int callId, const std::u16string& remoteUri) {
    if (const int line = lineOf(callId); line >= 0) {
        auto& record = lineTable.lines[std::size_t(line)];
        record.remoteNumber = userPart(remoteUri);
        if (line == lineTable.currentLine)
            view().setText(NumberLabel, record.remoteNumber);
    }
    if (lineTable.doNotDisturb)
        services_.engine.releaseCall(callId);
    else if (lineTable.autoAnswer)
        Call();
    showLineStates();
}

// Commands.

bool CallControl::onCommand(int id) {
    const bool handled = handleCommand(id);
    showLineStates();
    return handled;
}

bool CallControl::handleCommand(int id) {
    if (id >= Key1 && id <= KeyPound) {
        static constexpr char16_t Keys[] = u"123456789*0#";
        keypad(Keys[id - Key1]);
        return true;
    }
    if (id >= Line1 && id < Line1 + LineCount) {
        SelectLine(id - Line1);
        return true;
    }
    switch (id) {
    case res::Call:
        Call();
        break;
    case res::End:
        End();
        break;
    case Hold:
        HoldCommand();
        break;
    case Transfer:
        TransferCommand();
        break;
    case res::Conference:
        ConferenceCommand();
        break;
    case res::Redial:
        Redial();
        break;
    case res::Record:
        RecordCommand();
        break;
    case Play:
        PlayCommand();
        break;
    case Back:
        backCommand();
        break;
    case Clear:
        clearCommand();
        break;
    case AutoAnswer:
        lineTable.autoAnswer = !lineTable.autoAnswer;
        view().setDown(AutoAnswer, lineTable.autoAnswer);
        view().setFocus(NumberEdit);
        break;
    case DoNotDisturb:
        lineTable.doNotDisturb = !lineTable.doNotDisturb;
        view().setDown(DoNotDisturb, lineTable.doNotDisturb);
        view().setFocus(NumberEdit);
        break;
    default:
        return false;
    }
    return true;
}

void CallControl::Call() {
    auto& cur = current();
    endRequested = false;
    view().setEnabled(res::End, true);
    if (!window_.isRegistered()) {
        window_.guardedMessage(u"You are not Registered");
        return;
    }
    if (cur.incoming && !cur.connected) {
        services_.engine.answerCall(cur.callId, 200);
        return;
    }
    if (view().isDown(Transfer) && !numberText.empty()) {
        services_.engine.xferCall(cur.callId, destination(numberText));
        cur.transferring = true;
        cur.transferText = u"Transferring...";
        view().setText(HeaderLabel, cur.transferText);
        TransferCommand();
    }
    if (!numberText.empty()) {
        view().setTooltip(res::Call, u"Dial");
        if (!allDigits(numberText)) {
            window_.guardedMessage(u"Please enter destination phone number");
            return;
        }
        if (cur.callId == -1) {
            cur.callId = services_.engine.makeCall(window_.engineAccount(), destination(numberText));
            cur.dialedNumber = numberText;
        }
    } else if (!window_.modalGuardRaised()) {
        if (cur.dialedNumber.empty()) {
            view().setTooltip(res::Call, u"Dial");
            window_.guardedMessage(u"Please Enter Phone Number");
        } else {
            // The last number comes back; the next Call dials it.
            view().setTooltip(res::Call, u"ReDial");
            showNumber(cur.dialedNumber);
            view().setTooltip(res::Call, u"Dial");
        }
    }
    view().setFocus(NumberEdit);
}

void CallControl::End() {
    auto& cur = current();
    endRequested = true;
    view().setEnabled(res::End, false);
    if (cur.inConference) {
        for (const auto& line : lineTable.lines)
            if (line.inConference)
                services_.engine.releaseCall(line.callId);
    } else {
        showNumber(u"");
    }
    if (cur.inUse) {
        if (cur.callId != -1) {
            services_.engine.releaseCall(cur.callId);
            view().setEnabled(res::End, false);
            if (cur.transferCallId != -1)
                services_.engine.releaseCall(cur.transferCallId);
        }
    } else {
        showNumber(u"");
        view().setTooltip(res::Call, cur.redialAvailable ? u"ReDial" : u"Dial");
    }
    view().setFocus(NumberEdit);
}

void CallControl::HoldCommand() {
    auto& cur = current();
    if (cur.connected && !cur.onHold) {
        view().setFace(Hold, "hold");
        view().setDown(Hold, true);
        cur.onHold = true;
        setStatus(u"On Hold...");
        services_.engine.holdCall(cur.callId);
    } else if (cur.connected) {
        cur.onHold = false;
        setStatus(u"Connected...");
        services_.engine.retrieveCall(cur.callId);
        view().setDown(Hold, false);
    } else {
        view().setDown(Hold, false);
        view().setFace(Hold, "");
        return;
    }
    UpdateLineButton(lineTable.currentLine);
}

void CallControl::TransferCommand() {
    auto& cur = current();
    if (lineTable.transferMode || !cur.connected || cur.transferring) {
        view().setDown(Transfer, false);
        lineTable.transferMode = false;
        view().setText(HeaderLabel, cur.transferText);
    } else {
        showNumber(u"");
        view().setDown(Transfer, true);
        view().setText(HeaderLabel, u"Enter Number + Press Call");
        lineTable.transferMode = true;
    }
}

void CallControl::ConferenceCommand() {
    auto& cur = current();
    conferenceText = u"Conference Line (";
    int connected = 0, lastConnected = -1;
    for (int line = 0; line < LineCount; ++line) {
        if (lineTable.lines[std::size_t(line)].connected) {
            conferenceText += char16_t(u'1' + line);
            conferenceText += u':';
            ++connected;
            lastConnected = line;
        }
    }
    if (conferenceText.back() == u':')
        conferenceText.pop_back();
    conferenceText += u')';

    if (!cur.inConference && connected >= 2 && cur.connected) {
        for (int line = 0; line < LineCount; ++line) {
            auto& record = lineTable.lines[std::size_t(line)];
            if (!record.connected)
                continue;
            services_.engine.retrieveCall(record.callId);
            record.onHold = false;
            record.inConference = true;
            UpdateLineButton(line);
        }
        setStatus(conferenceText);
        services_.engine.callConference(lineTable.lines[std::size_t(lastConnected)].callId);
        view().setVisible(DurationLabel, false);
        view().setDown(res::Conference, true);
        lineTable.conferenceMode = true;
    } else {
        conferenceText.clear();
        if (window_.isRegistered()) {
            setStatus(cur.statusText);
            view().setVisible(DurationLabel, true);
        }
        view().setDown(res::Conference, false);
        if (cur.inConference)
            endConference();
    }
    view().setFocus(NumberEdit);
}

void CallControl::holdLine(int line) {
    auto& record = lineTable.lines[std::size_t(line)];
    services_.engine.holdCall(record.callId);
    record.onHold = true;
    UpdateLineButton(line);
}

void CallControl::SelectLine(int k) {
    for (int line = 0; line < LineCount; ++line)
        view().setDown(Line1 + line, line == k);
    lineTable.currentLine = k;
    endRequested = false; // an End on the line left behind must not keep Enter from ending this one
    view().setText(RateLabel, u"");
    auto& selected = current();

    if (selected.inConference) {
        view().setVisible(DurationLabel, false);
        bool otherMember = false;
        for (int line = 0; line < LineCount; ++line)
            otherMember = otherMember || (line != k && lineTable.lines[std::size_t(line)].inConference);
        if (otherMember) {
            view().setDown(res::Conference, true);
            setStatus(conferenceText);
        } else {
            lineTable.conferenceMode = false;
            view().setDown(res::Conference, false);
            selected.inConference = false;
            UpdateLineButton(k);
            setStatus(selected.statusText);
        }
        for (int line = 0; line < LineCount; ++line) {
            auto& record = lineTable.lines[std::size_t(line)];
            if (line != k && record.connected && !record.onHold && !record.inConference) {
                holdLine(line);
            } else if (record.connected && record.onHold && record.inConference) {
                services_.engine.retrieveCall(record.callId);
                record.onHold = false;
                UpdateLineButton(line);
            } else if (line != k && record.incoming) {
                UpdateLineButton(line);
            }
        }
    } else {
        view().setVisible(DurationLabel, true);
        view().setTooltip(Line1 + k, lineName(k, true));
        view().setFace(Line1 + k, "");
        for (int id : {int(Hold), int(Transfer), int(res::Conference)})
            view().setDown(id, false);
        setStatus(window_.isRegistered() ? selected.statusText : u"Registering...");
        view().setText(HeaderLabel, selected.transferText);
        lineTable.transferMode = false;
        if (!selected.connected)
            view().setText(DurationLabel, u"");
        if (selected.incoming)
            services_.sound.play("Ring.wav", true);
        else
            services_.sound.stop();
        if (selected.calling || selected.direction == u'C')
            showNumber(selected.dialedNumber);
        else if (selected.incoming || selected.direction == u'I')
            showNumber(selected.remoteNumber);
        else
            showNumber(u"");
        if (selected.connected && selected.onHold) {
            services_.engine.retrieveCall(selected.callId);
            selected.onHold = false;
        }
        for (int line = 0; line < LineCount; ++line) {
            const auto& record = lineTable.lines[std::size_t(line)];
            if (line != k && record.connected && !record.onHold)
                holdLine(line);
            else if (line != k && record.incoming)
                UpdateLineButton(line);
        }
        if (lineTable.autoAnswer && selected.incoming)
            Call();
    }
    view().setFocus(NumberEdit);
}

void CallControl::Redial() {
    const auto& cur = current();
    if (!cur.dialedNumber.empty() && !cur.inUse) {
        showNumber(cur.dialedNumber);
        Call();
    }
    view().setDown(res::Conference, false);
    view().setFocus(NumberEdit);
}

// Keypad and keyboard.

bool CallControl::numberEntryAllowed() {
    return !current().inUse || view().isDown(Transfer);
}

void CallControl::playTone(char16_t c) {
    services_.sound.play(toneFile(c), false);
}

void CallControl::warnTooLong() {
    if (!window_.modalGuardRaised())
        window_.guardedMessage(u"You can enter upto 25 digits");
    view().setFocus(NumberEdit);
}

void CallControl::keypad(char16_t c) {
    if (!window_.isRegistered())
        return;
    if (c >= u'0' && c <= u'9')
        view().setTooltip(res::Call, u"Dial");
    if (current().connected)
        services_.engine.dialDtmf(current().callId, toUtf8(std::u16string(1, c)), 1);
    view().setEnabled(res::End, true);
    if (!numberEntryAllowed()) {
        playTone(c);
        return;
    }
    if (numberText.size() >= MaxNumberLength) {
        warnTooLong();
        return;
    }
    showNumber(numberText + c);
    playTone(c);
    bool anySelected = false;
    for (int line = 0; line < LineCount; ++line)
        anySelected = anySelected || view().isDown(Line1 + line);
    if (!anySelected)
        view().setDown(Line1, true);
    view().setFocus(NumberEdit);
}

void CallControl::typed(char16_t c) {
    if (c == u' ')
        return;
    if (numberEntryAllowed() && isDialChar(c)) {
        showNumber(numberText + c);
        view().setTooltip(res::Call, u"Dial");
    }
    if (isDialChar(c)) {
        if (current().connected)
            services_.engine.dialDtmf(current().callId, toUtf8(std::u16string(1, c)), 1);
        playTone(c);
        view().setEnabled(res::End, true);
    }
}

void CallControl::backspaceKey() {
    const std::size_t before = numberText.size();
    if (numberEntryAllowed() && !numberText.empty())
        showNumber(numberText.substr(0, numberText.size() - 1));
    view().setTooltip(res::Call, current().redialAvailable && before <= 1 ? u"ReDial" : u"Dial");
}

void CallControl::backCommand() {
    const std::size_t before = numberText.size();
    if (numberEntryAllowed() && !numberText.empty())
        showNumber(numberText.substr(0, numberText.size() - 1));
    if (!current().redialAvailable)
        view().setTooltip(res::Call, u"Dial");
    else if (before >= 2)
        view().setTooltip(res::Call, u"Dial");
    else if (before == 1)
        view().setTooltip(res::Call, u"ReDial");
}

void CallControl::clearCommand() {
    view().setTooltip(res::Call, u"ReDial");
    if (numberEntryAllowed())
        showNumber(u"");
    view().setFocus(NumberEdit);
}

bool CallControl::onKey(const KeyPress& key) {
    view().setFocus(NumberEdit);
    switch (key.key) {
    case Key::Enter: {
        const auto& cur = current();
        if (!(cur.calling || cur.connected || cur.ringing || cur.transferring))
            Call();
        else if (!endRequested)
            End();
        return true;
    }
    case Key::F1:
    case Key::F2:
    case Key::F3:
    case Key::F4:
    case Key::F5:
    case Key::F6: {
        // Only the selection mark moves; the current line stays.
        const int mark = int(key.key) - int(Key::F1);
        for (int line = 0; line < 6; ++line)
            view().setDown(line < LineCount ? Line1 + line : Line5 + line - LineCount, line == mark);
        return true;
    }
    case Key::Backspace:
        backspaceKey();
        return true;
    case Key::Character:
        if (numberText.size() >= MaxNumberLength && key.character != u'.') {
            warnTooLong();
            return true;
        }
        typed(key.character);
        return true;
    case Key::Escape:
        return true;
    default:
        return false;
    }
}

// Timers.

bool CallControl::onTimer(int timerId) {
    if (timerId == RingTimer) {
        view().flash();
        return true;
    }
    if (timerId >= LineTimerBase && timerId < LineTimerBase + LineCount) {
        durationStep(timerId - LineTimerBase);
        return true;
    }
    return false;
}

void CallControl::startDuration(int line) {
    view().startTimer(LineTimerBase + line, DurationPeriodMs);
}

void CallControl::stopDuration(int line) {
    view().stopTimer(LineTimerBase + line);
}

void CallControl::durationStep(int line) {
    auto& record = lineTable.lines[std::size_t(line)];
    const std::u16string text = clockText(record.durationSeconds);
    if (line == lineTable.currentLine && record.connected)
        view().setText(DurationLabel, text);
    record.durationText = text;
    ++record.durationSeconds;
}

// Recording.

std::u16string CallControl::RecordingFileName(const std::u16string& folder, const LocalTime& at) {
    char date[40], time[40];
    std::snprintf(date, sizeof date, "%.2d%.2d%.2d_", at.day, at.month, at.year);
    std::snprintf(time, sizeof time, "%.2d%.2d%.2d_%s", at.hour % 12, at.minute, at.second,
                  at.hour <= 12 ? "AM_" : "PM");
    std::u16string name = folder + u"/SoftphoneRecording_" + u16(date) + u16(time) + u".wav";
    replaceAll(name, u"//", u"/");
    return name;
}

void CallControl::RecordCommand() {
    if (recording) {
        services_.engine.callRecordingStop();
        recording = false;
        view().setDown(res::Record, false);
        view().setFace(res::Record, "");
        return;
    }
    const auto name = RecordingFileName(window_.recordingPath(), services_.clock.now());
    services_.engine.callRecordingStart(current().callId, toUtf8(name));
    recording = true;
    view().setDown(res::Record, true);
    view().setFace(res::Record, "recording");
}

void CallControl::PlayCommand() {
    if (view().text(Play) == u"Play") {
        const auto chosen = view().chooseOpenFile(u"*.wav");
        if (!chosen.empty()) {
            view().setText(RecordFileLabel, chosen);
            view().setText(Play, u"Stop");
            services_.sound.play(toUtf8(chosen), false);
        }
    } else {
        view().setText(Play, u"Play");
        services_.sound.stop();
    }
}
