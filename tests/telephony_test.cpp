// Call control on the fake engine and a fake view: an event or command
// sequence, then the status line, the line flags, the engine calls, the tones
// and the timers.
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace res;

namespace {

struct Calls : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    FakeEngine& engine = platform.engine;
    FakeSound& sound = platform.sound;
    FakeView view;
    CZUBSoftPhoneDlg main{platform.window(files)};
    CallControl& calls = main.callControl();
    LineTable& table = main.lineTable;

    void SetUp() override {
        ASSERT_TRUE(files.ensureFolder());
        main.replyText = fromUtf8(sampleProvisioningReply());
        main.userName = u"demo";
        main.password = u"pw";
        main.attach(&view);
        main.onInitDialog();
        main.accountId = 0;
        ASSERT_TRUE(main.registered);
        engine.calls.clear();
        sound.played.clear();
        view.messages.clear();
        // Every balance query and records fetch after a call gets an answer.
        for (int i = 0; i < 8; ++i)
            platform.http.queueScrambled("prepaid#1.00");
        platform.http.pages["http://127.0.0.1:8080/cdr?user=demo"] = "";
    }

    const std::u16string& status() { return view.textOf(StatusLabel); }
    const LineRecord& line(int index) { return table.lines[std::size_t(index)]; }
    void dial(const std::u16string& number) {
        for (char16_t c : number)
            main.onCommand(c == u'*' ? KeyStar : c == u'#' ? KeyPound : c == u'0' ? Key0 : Key1 + (c - u'1'));
    }
    void type(char16_t c) { main.onKey(KeyPress{Key::Character, c}); }
    bool timerRuns(int id) { return view.timers.count(id) != 0; }
    std::vector<std::u16string> messages() {
        std::vector<std::u16string> texts;
        for (const auto& m : view.messages)
            texts.push_back(m.text);
        return texts;
    }
    // An outgoing call on the current line, connected; returns its id.
    int connectedCall(const std::u16string& number) {
        dial(number);
        main.onCommand(Call);
        const int id = table.current().callId;
        for (int state : {1, 3, 4, 5})
            main.OnCallState(id, state);
        return id;
    }
};

} // namespace

TEST_F(Calls, OutgoingCallTextsAndDuration) {
    dial(u"2001");
    EXPECT_EQ(view.textOf(NumberLabel), u"2001");
    EXPECT_EQ(sound.played.back(), "Dtmf-1.wav");
    main.onCommand(Call);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"makeCall(0,sip:2001@127.0.0.1)"});
    const int id = line(0).callId;
    ASSERT_EQ(id, 1);

    const std::pair<int, std::u16string> steps[] = {
        {1, u"Calling..."}, {3, u"Ringing..."}, {4, u"Answer..."}, {5, u"Connected..."}};
    for (const auto& [state, text] : steps) {
        main.OnCallState(id, state);
        EXPECT_EQ(status(), text) << state;
    }
    EXPECT_EQ(line(0).direction, u'C');
    EXPECT_EQ(view.timers[LineTimerBase], 1000);
    for (const char16_t* shown : {u"00:00:00", u"00:00:01", u"00:00:02"}) {
        main.onTimer(LineTimerBase);
        EXPECT_EQ(view.textOf(DurationLabel), shown);
    }

    const int balanceQueries = platform.http.posts("&faazdj=kgbyku");
    main.OnCallState(id, 6);
    EXPECT_EQ(status(), u"Ready : demo");
    EXPECT_EQ(view.textOf(DurationLabel), u"");
    EXPECT_FALSE(timerRuns(LineTimerBase));
    EXPECT_EQ(view.at(Call).tooltip, u"ReDial");
    EXPECT_EQ(line(0).callId, -1);
    EXPECT_FALSE(line(0).inUse);
    EXPECT_EQ(line(0).statusText, u"Ready To Call...");
    EXPECT_EQ(platform.http.posts("&faazdj=kgbyku"), balanceQueries + 1)
        << "the balance, once a call was connected";
    EXPECT_EQ(platform.http.fetched.size(), 1u) << "the call records";

    // Call with an empty display brings the last number back; the next Call dials it.
    main.onCommand(Call);
    EXPECT_EQ(view.textOf(NumberLabel), u"2001");
    main.onCommand(Call);
    EXPECT_EQ(engine.count("makeCall(0,sip:2001@127.0.0.1)"), 2);
}

TEST_F(Calls, DurationTextsAcrossTheMinuteAndTheHour) {
    connectedCall(u"2001");
    const std::pair<int, std::u16string> cases[] = {
        {59, u"00:00:59"}, {60, u"00:01:00"}, {3600, u"01:00:00"}, {363599, u"100:59:59"}};
    for (const auto& [seconds, text] : cases) {
        table.lines[0].durationSeconds = seconds;
        main.onTimer(LineTimerBase);
        EXPECT_EQ(view.textOf(DurationLabel), text);
        EXPECT_EQ(line(0).durationText, text);
    }
    EXPECT_EQ(view.textOf(RemainingLabel), u"") << "nothing gives the remaining time a start";
}

TEST_F(Calls, IncomingCallRingsAndFlashesUntilAnswered) {
    main.OnCallState(7, 2);
    main.OnCallIncoming(7, u"sip:5551234@operator.example");
    EXPECT_EQ(status(), u"Incoming...");
    EXPECT_EQ(view.textOf(NumberLabel), u"5551234");
    EXPECT_EQ(sound.played, std::vector<std::string>{"Ring.wav loop"});
    EXPECT_EQ(view.timers[RingTimer], 500);
    main.onTimer(RingTimer);
    main.onTimer(RingTimer);
    EXPECT_EQ(view.flashes, 2);

    main.onKey(KeyPress{Key::Enter}); // Enter answers like Call
    EXPECT_EQ(engine.calls, std::vector<std::string>{"answerCall(7,200)"});
    main.OnCallState(7, 4);
    main.OnCallState(7, 5);
    EXPECT_EQ(status(), u"Connected...");
    EXPECT_EQ(line(0).direction, u'I');
    EXPECT_FALSE(timerRuns(RingTimer));
    EXPECT_EQ(sound.played.back(), "stop");
}

TEST_F(Calls, CallerHangsUpBeforeAnswer) {
    struct Case {
        bool doNotDisturb;
        std::u16string shown;
        std::vector<std::string> engineCalls;
    };
    const Case cases[] = {{false, u"Ready : demo", {}}, {true, u"Missed Call...", {"releaseCall(7)"}}};
    for (const auto& c : cases) {
        engine.calls.clear();
        if (table.doNotDisturb != c.doNotDisturb)
            main.onCommand(DoNotDisturb);
        main.OnCallState(7, 2);
        main.OnCallIncoming(7, u"sip:555@x");
        main.OnCallState(7, 6);
        EXPECT_EQ(status(), c.shown);
        EXPECT_EQ(engine.calls, c.engineCalls);
        EXPECT_FALSE(timerRuns(RingTimer));
        EXPECT_EQ(sound.played.back(), "stop");
        EXPECT_FALSE(line(0).inUse);
        EXPECT_EQ(view.textOf(NumberLabel), u"");
    }
}

TEST_F(Calls, SecondIncomingCallLandsOnLine2WithoutATone) {
    const int first = connectedCall(u"2001");
    sound.played.clear();
    main.OnCallState(first + 10, 2);
    EXPECT_EQ(line(1).callId, first + 10);
    EXPECT_TRUE(line(1).incoming);
    EXPECT_EQ(view.at(Line1 + 1).tooltip, u"INCOMING CALL");
    EXPECT_EQ(view.at(Line1 + 1).face, "incoming");
    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(timerRuns(RingTimer));
    EXPECT_EQ(status(), u"Connected...") << "the current line's status stays";

    // It ends there: the line is freed, whatever the current line shows.
    main.OnCallState(first + 10, 6);
    EXPECT_FALSE(line(1).inUse);
    EXPECT_EQ(line(1).callId, -1);
    EXPECT_FALSE(timerRuns(RingTimer));
    EXPECT_EQ(view.at(Line1 + 1).tooltip, u"Line2");
}

TEST_F(Calls, SwitchingLinesHoldsAndRetrieves) {
    const int first = connectedCall(u"2001");
    main.onCommand(Line1 + 1);
    EXPECT_EQ(table.currentLine, 1);
    EXPECT_EQ(engine.count("holdCall(" + std::to_string(first) + ")"), 1);
    EXPECT_TRUE(line(0).onHold);
    EXPECT_EQ(view.at(Line1).tooltip, u"ON HOLD");
    EXPECT_EQ(status(), u"Ready To Call...");

    const int second = connectedCall(u"2002");
    EXPECT_NE(second, first);
    EXPECT_EQ(line(1).callId, second);

    main.onCommand(Line1);
    EXPECT_EQ(engine.count("retrieveCall(" + std::to_string(first) + ")"), 1);
    EXPECT_EQ(engine.count("holdCall(" + std::to_string(second) + ")"), 1);
    EXPECT_FALSE(line(0).onHold);
    EXPECT_TRUE(line(1).onHold);
    EXPECT_EQ(view.textOf(NumberLabel), u"2001");
    EXPECT_EQ(status(), u"Connected...");
}

TEST_F(Calls, EnterEndsTheCallOfTheLineSwitchedTo) {
    const int first = connectedCall(u"2001");
    main.onCommand(Line1 + 1);
    connectedCall(u"2002");
    main.onKey(KeyPress{Key::Enter}); // ends line 2
    main.onCommand(Line1);
    engine.calls.clear();
    main.onKey(KeyPress{Key::Enter});
    EXPECT_EQ(engine.calls, std::vector<std::string>{"releaseCall(" + std::to_string(first) + ")"});
}

TEST_F(Calls, HoldTwiceTakesTheCallBack) {
    const int id = connectedCall(u"2001");
    main.onCommand(Hold);
    EXPECT_EQ(status(), u"On Hold...");
    EXPECT_TRUE(view.at(Hold).down);
    main.onCommand(Hold);
    EXPECT_EQ(status(), u"Connected...");
    EXPECT_FALSE(view.at(Hold).down);
    EXPECT_EQ(engine.calls.back(), "retrieveCall(" + std::to_string(id) + ")");
}

TEST_F(Calls, ConferenceStartRefusalAndEnd) {
    // One connected line: refused, nothing reaches the engine.
    connectedCall(u"2001");
    engine.calls.clear();
    main.onCommand(Conference);
    EXPECT_FALSE(view.at(Conference).down);
    EXPECT_TRUE(engine.calls.empty());

    main.onCommand(Line1 + 2);
    const int third = connectedCall(u"2003");
    engine.calls.clear();
    main.onCommand(Conference);
    EXPECT_EQ(status(), u"Conference Line (1:3)");
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{"retrieveCall(1)", "retrieveCall(" + std::to_string(third) + ")",
                                        "callConference(" + std::to_string(third) + ")"}));
    EXPECT_TRUE(table.conferenceMode);
    EXPECT_FALSE(view.at(DurationLabel).visible);
    EXPECT_EQ(view.at(Line1).tooltip, u"On Conference");

    // A member hangs up: fewer than two remain, the conference ends.
    main.OnCallState(1, 6);
    EXPECT_FALSE(table.conferenceMode);
    EXPECT_FALSE(view.at(Conference).down);
    EXPECT_FALSE(line(2).inConference);
    EXPECT_TRUE(view.at(DurationLabel).visible);
}

TEST_F(Calls, EndInAConferenceReleasesEveryMember) {
    const int first = connectedCall(u"2001");
    main.onCommand(Line1 + 1);
    const int second = connectedCall(u"2002");
    main.onCommand(Conference);
    engine.calls.clear();
    main.onCommand(End);
    EXPECT_EQ(engine.count("releaseCall(" + std::to_string(first) + ")"), 1);
    EXPECT_GE(engine.count("releaseCall(" + std::to_string(second) + ")"), 1);
}

TEST_F(Calls, BlindTransferSucceedsOrFails) {
    for (int outcome : {5, 6}) {
        const int id = connectedCall(u"2001");
        main.onCommand(Transfer);
        EXPECT_EQ(view.textOf(HeaderLabel), u"Enter Number + Press Call");
        EXPECT_TRUE(view.at(Transfer).down);
        dial(u"3001");
        EXPECT_EQ(view.textOf(NumberLabel), u"3001") << "the destination is typed while the line has a call";
        main.onCommand(Call);
        EXPECT_EQ(engine.count("xferCall(" + std::to_string(id) + ",sip:3001@127.0.0.1)"), 1);
        EXPECT_EQ(view.textOf(HeaderLabel), u"Transferring...");
        EXPECT_FALSE(view.at(Transfer).down);

        const int leg = 100 + outcome;
        main.OnCallState(leg, 1);
        EXPECT_EQ(view.textOf(HeaderLabel), u"Transfering...");
        EXPECT_EQ(line(0).transferCallId, leg);
        if (outcome == 5) {
            main.OnCallState(leg, 4);
            EXPECT_EQ(engine.calls.back(), "releaseCall(" + std::to_string(id) + ")");
            main.OnCallState(leg, 5);
            EXPECT_EQ(view.textOf(HeaderLabel), u"Transfer Succed...");
            EXPECT_EQ(line(0).callId, leg);
            main.OnCallState(leg, 6);
        } else {
            main.OnCallState(leg, 6);
            EXPECT_EQ(view.textOf(HeaderLabel), u"Transfer Failed...");
            EXPECT_EQ(line(0).transferCallId, -1);
            main.OnCallState(id, 6);
        }
        EXPECT_FALSE(line(0).inUse) << outcome;
    }
}

TEST_F(Calls, NumberLimitAndCharacters) {
    dial(std::u16string(25, u'9'));
    dial(u"1");
    EXPECT_EQ(view.textOf(NumberLabel), std::u16string(25, u'9'));
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"You can enter upto 25 digits"});
    type(u'.');
    EXPECT_EQ(messages().size(), 1u) << "a dot is not refused";
    main.onKey(KeyPress{Key::Backspace});
    EXPECT_EQ(view.textOf(NumberLabel), std::u16string(24, u'9'));

    main.onCommand(Clear);
    for (char16_t c : std::u16string(u"12a #*"))
        type(c);
    EXPECT_EQ(view.textOf(NumberLabel), u"12#*") << "letters and blanks are ignored";
    main.onCommand(Call);
    EXPECT_EQ(messages().back(), u"Please enter destination phone number");
    EXPECT_EQ(engine.count("makeCall(0,sip:12#*@127.0.0.1)"), 0);

    main.onCommand(Clear);
    main.onCommand(Call);
    EXPECT_EQ(messages().back(), u"Please Enter Phone Number");
}

TEST_F(Calls, DtmfDuringAConnectedCall) {
    const int id = connectedCall(u"2001");
    engine.calls.clear();
    main.onCommand(Key1 + 4);
    type(u'#');
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"dialDtmf(" + std::to_string(id) + ",5,1)",
                                                      "dialDtmf(" + std::to_string(id) + ",#,1)"}));
    EXPECT_EQ(sound.played.back(), "Dtmf-pound.wav");
    EXPECT_EQ(view.textOf(NumberLabel), u"2001") << "the display keeps what it showed";
}

TEST_F(Calls, RecordingNames) {
    struct Case {
        LocalTime at;
        std::u16string folder, name;
    };
    const Case cases[] = {
        {{2026, 12, 9, 9, 5, 9}, u"/home/demo", u"/home/demo/SoftphoneRecording_09122026_090509_AM_.wav"},
        {{2026, 12, 9, 14, 5, 9}, u"/home/demo", u"/home/demo/SoftphoneRecording_09122026_020509_PM.wav"},
        {{2026, 1, 2, 12, 0, 0}, u"/home/demo/", u"/home/demo/SoftphoneRecording_02012026_000000_AM_.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CallControl::RecordingFileName(c.folder, c.at), c.name);
}

TEST_F(Calls, RecordingStartsStopsAndEndsWithTheLastCall) {
    main.onCommand(Record); // no call: the engine is asked anyway
    EXPECT_EQ(engine.calls.back(),
              "callRecordingStart(-1,/home/demo/SoftphoneRecording_09122026_090509_AM_.wav)");
    main.onCommand(Record);
    EXPECT_EQ(engine.calls.back(), "callRecordingStop()");

    const int id = connectedCall(u"2001");
    main.onCommand(Record);
    EXPECT_TRUE(calls.recording);
    EXPECT_EQ(view.at(Record).face, "recording");
    main.OnCallState(id, 6);
    EXPECT_FALSE(calls.recording);
    EXPECT_EQ(engine.calls.back(), "callRecordingStop()");
    EXPECT_EQ(view.at(Record).face, "");
}

TEST_F(Calls, PlayChoosesAWavFile) {
    view.setText(Play, u"Play");
    view.chosenFiles.push_back(u"/home/demo/a.wav");
    main.onCommand(Play);
    EXPECT_EQ(view.textOf(RecordFileLabel), u"/home/demo/a.wav");
    EXPECT_EQ(view.textOf(Play), u"Stop");
    EXPECT_EQ(sound.played.back(), "/home/demo/a.wav");
    main.onCommand(Play);
    EXPECT_EQ(view.textOf(Play), u"Play");
}

TEST_F(Calls, OddEventsLeaveTheTableConsistent) {
    main.OnCallState(42, 6); // never seen
    main.OnCallState(43, 3);
    main.OnCallState(44, 5);
    main.OnCallState(-1, 6);
    for (const auto& record : table.lines)
        EXPECT_FALSE(record.inUse);
    EXPECT_EQ(status(), u"Ready : demo");

    // Four incoming calls fill the lines; a fifth is attached to none.
    for (int id = 1; id <= 5; ++id)
        main.OnCallState(id, 2);
    for (int index = 0; index < LineCount; ++index)
        EXPECT_EQ(line(index).callId, index + 1);
    main.OnCallIncoming(5, u"sip:5@x");
    main.OnCallState(5, 6);
    main.OnCallState(1, 2); // repeated
    EXPECT_EQ(line(1).callId, 2);
    for (int id = 1; id <= 4; ++id)
        main.OnCallState(id, 6);
    for (const auto& record : table.lines)
        EXPECT_FALSE(record.inUse);
    EXPECT_FALSE(timerRuns(RingTimer));
}

TEST_F(Calls, CommandsWhileNotRegistered) {
    main.ResetLineTable();
    main.onCommand(Key1);
    EXPECT_EQ(view.textOf(NumberLabel), u"");
    main.onCommand(Call);
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"You are not Registered"});
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(Calls, EventsWithoutANetworkAreDroppedWithAMessage) {
    platform.network.asked.clear();
    platform.network.connected = false;
    main.provisioned.registrarip = u"127.0.0.1:5070";
    main.OnCallState(7, 2);
    EXPECT_FALSE(line(0).inUse);
    EXPECT_EQ(messages(), std::vector<std::u16string>{u"Internet is not available!"});
    EXPECT_EQ(platform.network.asked, std::vector<std::string>{"127.0.0.1"})
        << "the registrar's host, port or not";
}

TEST_F(Calls, AutoAnswerTakesTheCall) {
    main.onCommand(AutoAnswer);
    EXPECT_TRUE(view.at(AutoAnswer).down);
    main.OnCallState(9, 2);
    main.OnCallIncoming(9, u"sip:777");
    EXPECT_EQ(view.textOf(NumberLabel), u"777");
    EXPECT_EQ(engine.calls, std::vector<std::string>{"answerCall(9,200)"});
}

TEST_F(Calls, ShortcutsAndTheWindowMenuRunTheCallCommands) {
    const auto& menu = view.contextCommands[u"Call"];
    for (int id : {Hold, Transfer, Conference, Record, Redial, Line1 + 3, AutoAnswer, DoNotDisturb})
        EXPECT_NE(std::find(menu.begin(), menu.end(), id), menu.end()) << id;

    connectedCall(u"2001");
    main.onKey(KeyPress{Key::Character, u'h', true});
    EXPECT_EQ(status(), u"On Hold...");
    main.onKey(KeyPress{Key::Character, u'2', true});
    EXPECT_EQ(table.currentLine, 1);
    EXPECT_EQ(view.textOf(Line1), u"Line 1: Connected... (on hold)");
}
