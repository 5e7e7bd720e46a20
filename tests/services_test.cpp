#include "core/OperatorConfig.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "services/AccountServices.h"
#include "services/CMainLogin.h"
#include "services/Http.h"
#include "services/Provisioning.h"
#include "services/TaggedText.h"
#include "settings/CodecPriorities.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace res;

TEST(SplitUrl, Parts) {
    struct Case {
        std::string address;
        std::string scheme, host;
        int port;
        std::string path;
    };
    const Case cases[] = {
        {"http://prov.example.com:2900/", "HTTP", "PROV.EXAMPLE.COM", 2900, "/"},
        {"http://prov.example.com:2900", "HTTP", "PROV.EXAMPLE.COM", 2900, "/"},
        {"127.0.0.1", "HTTP", "127.0.0.1", 80, "/"},
        {"127.0.0.1:2900/", "127.0.0.1", "2900", 80, "/"}, // the text before the first ":" is the scheme
        {"host.example/Path?Q=Mixed", "HTTP", "HOST.EXAMPLE", 80, "/Path?Q=Mixed"},
        {"https://secure.example/", "HTTPS", "SECURE.EXAMPLE", 80, "/"},
        {"http://a.example/x?user=JoHn", "HTTP", "A.EXAMPLE", 80, "/x?user=JoHn"},
    };
    for (const auto& c : cases) {
        const auto url = SplitUrl(c.address);
        EXPECT_EQ(url.scheme, c.scheme) << c.address;
        EXPECT_EQ(url.host, c.host) << c.address;
        EXPECT_EQ(url.port, c.port) << c.address;
        EXPECT_EQ(url.path, c.path) << c.address;
    }
    EXPECT_EQ(SplitUrl("http://" + std::string(400, 'h') + "/").host.size(), 255u) << "cut to its buffer";
}

TEST(Request, BytesOfAPostAndAGet) {
    const std::string body = "&qdstsa=00-1A-2B-3C-4D-5E&fjfptm=1.0.7&faazdj=wbapux";
    const std::string post = BuildRequestText(SplitUrl("http://prov.example:2900"), &body,
                                              "Content-Type: application/x-www-form-urlencoded\r\n");
    EXPECT_EQ(post, "POST / HTTP/1.0\r\n"
                    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
                    "application/msword, application/vnd.ms-powerpoint, */*\r\n"
                    "Accept-Language: en-us\r\n"
                    "Accept-Encoding: gzip, deflate\r\n"
                    "User-Agent: Mozilla/4.0\r\n"
                    "Content-Length: 52\r\n"
                    "Host: PROV.EXAMPLE\r\n"
                    "Content-Type: application/x-www-form-urlencoded\r\n"
                    "\r\n" +
                        body);
    const std::string empty;
    const std::string emptyPost = BuildRequestText(SplitUrl("http://h/"), &empty, "X: y\r\n");
    EXPECT_EQ(emptyPost.rfind("POST / HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(emptyPost.find("Content-Length"), std::string::npos);
    EXPECT_EQ(emptyPost.substr(emptyPost.size() - 8), "X: y\r\n\r\n") << "no body after the empty line";
    const std::string get = BuildRequestText(SplitUrl("http://h/Cdr?User=Ann"), nullptr, "");
    EXPECT_EQ(get.rfind("GET /Cdr?User=Ann HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(get.substr(get.size() - 11), "Host: H\r\n\r\n") << "no Content-Type and no body";
}

TEST(Request, HeaderBlockEndsAtTheEmptyLine) {
    const std::string reply = "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nbody";
    HeaderBlockEnd end;
    std::size_t at = 0;
    while (at < reply.size() && !end.feed(reply[at]))
        ++at;
    EXPECT_EQ(reply.substr(0, at + 1), "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n");
    HeaderBlockEnd bare;
    EXPECT_TRUE(bare.feed('\n')) << "a reply starting with an empty line has an empty header";
}

TEST(Request, DescramblingUsesTheKeyCyclically) {
    std::vector<std::uint8_t> bytes(31, 0);
    DescrambleReply(bytes);
    for (std::size_t i = 0; i < 30; ++i)
        EXPECT_EQ(bytes[i], static_cast<std::uint8_t>(DescrambleKey[i]));
    EXPECT_EQ(bytes[30], static_cast<std::uint8_t>('T')) << "byte 30 uses key position 0 again";
    DescrambleReply(bytes);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(31, 0));
}

TEST(Request, SendRequestDescramblesAndStopsAtNul) {
    FakeHttp http;
    http.queueScrambled(std::string("<ip>1</ip>\0hidden", 17));
    std::u16string body = u"a=b", header, reply;
    SendRequest(http, true, "http://h:2900/", body, header, reply);
    EXPECT_EQ(reply, u"<ip>1</ip>");
    EXPECT_EQ(header, u"HTTP/1.0 200 OK\r\n\r\n");
    EXPECT_EQ(body.rfind(u"POST / HTTP/1.0", 0), 0u);
    ASSERT_TRUE(http.sent[0].body);
    EXPECT_EQ(*http.sent[0].body, "a=b");

    std::u16string keep = u"kept", keepHeader = u"h", keepReply = u"r";
    SendRequest(http, true, "http://h:2900/", keep, keepHeader, keepReply); // no answer queued
    EXPECT_EQ(keep, u"kept");
    EXPECT_EQ(keepReply, u"r");
}

TEST(TaggedText, ExtractTag) {
    struct Case {
        std::u16string text, name, value;
    };
    const Case cases[] = {
        {u"<ip>10</ip>", u"ip", u"10"},
        {u"<ip></ip>", u"ip", u""},
        {u"no tags </email>", u"email", u""},
        {u"<email>x", u"email", u""},
        {u"<Number>5</Number>", u"number", u""},
        {u"<a>1</a><a>2</a>", u"a", u"1"},
        {u"<a><b>x</b></a>", u"a", u"<b>x</b>"},
        {u"</a>late<a>", u"a", u""},
        {u"<a>x</a >", u"a", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractTag(c.text, c.name), c.value) << toUtf8(c.text);
    EXPECT_EQ(TrimReply(u" \r\n\t x y \r\n"), u"x y");
    EXPECT_EQ(TrimLineBreaks(u"\r\n x \n"), u" x ");
    EXPECT_EQ(ParseDecimal(u"  42abc"), 42);
    EXPECT_EQ(ParseDecimal(u"abc"), 0);
    EXPECT_EQ(ParseDecimal(u""), 0);
}

TEST(ProvisioningReply, ReadsInOrderAndLosesWhatStandsBeforeACutTag) {
    const auto reply = ProvisioningReply::read(fromUtf8(sampleProvisioningReply("sip.example")), true);
    EXPECT_EQ(reply.registrarip, u"sip.example");
    EXPECT_EQ(reply.header, u"Ringlark Telecom");
    EXPECT_EQ(reply.rereg, u"300");
    EXPECT_EQ(reply.sprt, u"5070");
    EXPECT_EQ(reply.email, u"care@ringlark.example");

    // email before oldkey is cut away when oldkey is passed.
    const auto early = ProvisioningReply::read(u"<email>e@x</email><oldkey>k</oldkey><keep>1</keep>", true);
    EXPECT_EQ(early.email, u"");
    EXPECT_EQ(early.oldkey, u"k");
    // sprt before rereg: only the main pass loses it.
    const std::u16string sprtFirst = u"<sprt>5070</sprt><rereg>60</rereg>";
    EXPECT_EQ(ProvisioningReply::read(sprtFirst, true).sprt, u"");
    EXPECT_EQ(ProvisioningReply::read(sprtFirst, false).sprt, u"5070");
    EXPECT_EQ(ProvisioningReply::read(u"", true).registrarip, u"");
}

TEST(ProvisioningReply, KeysAndPrefixAtFixedPositions) {
    ProvisioningReply r;
    r.newkey = u"101-202-303";
    r.prefix = u"12-345-678";
    EXPECT_EQ(r.dashCount(), 2);
    EXPECT_EQ(r.key1(), 101);
    EXPECT_EQ(r.key2(), 202);
    EXPECT_EQ(r.key3(), 303);
    EXPECT_EQ(r.prefix1(), 12);
    EXPECT_EQ(r.prefix2(), 45);
    EXPECT_EQ(r.prefix3(), 78);
    r.newkey = u"101-202";
    EXPECT_EQ(r.key3(), 0);
    r.vpn = u"ON";
    EXPECT_FALSE(r.vpnOn()) << "only lower-case on counts";
    r.oldkey = u"k\u0141y"; // cut to the low byte
    EXPECT_EQ(r.keyText(), std::string("k\x41y"));
}

TEST(ProvisioningReply, NumbersOutsideTheirRangeCountAsNone) {
    struct Case {
        std::u16string text;
        int port, seconds;
    };
    const Case cases[] = {
        {u"5070", 5070, 5070}, {u"65535", 65535, 65535},  {u"65536", 0, 65536}, {u"86401", 0, 0},
        {u"2147483647", 0, 0}, {u"99999999999999", 0, 0}, {u"-1", 0, 0},        {u"", 0, 0},
    };
    for (const auto& c : cases) {
        ProvisioningReply r;
        r.sprt = r.rtrp = r.size = r.keep = r.rereg = c.text;
        EXPECT_EQ(r.sipPort(), c.port) << toUtf8(c.text);
        EXPECT_EQ(r.rtpPort(), c.port) << toUtf8(c.text);
        EXPECT_EQ(r.sizeValue(), c.port) << toUtf8(c.text);
        EXPECT_EQ(r.keepAliveSeconds(), c.seconds) << toUtf8(c.text);
        EXPECT_EQ(r.reregisterSeconds(), c.seconds) << toUtf8(c.text);
    }
}

TEST(ProvisioningReply, OverlongTextsForTheEngineMakeItUnusable) {
    ProvisioningReply r = ProvisioningReply::read(fromUtf8(sampleProvisioningReply()), true);
    EXPECT_TRUE(r.usable());
    for (auto field : {&ProvisioningReply::ip, &ProvisioningReply::registrarip, &ProvisioningReply::oldkey}) {
        ProvisioningReply bad = r;
        bad.*field = std::u16string(256, u'x');
        EXPECT_FALSE(bad.usable());
        bad.*field = std::u16string(255, u'x');
        EXPECT_TRUE(bad.usable());
    }
}

TEST(ProvisioningReply, ConfigureEncryptionRows) {
    struct Case {
        std::u16string vpn, newkey;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {u"off", u"101-202", {"setSipEncryption2(0,)", "setRtpEncryption(0,0,0,0,0,0,0)"}},
        {u"ON", u"101-202", {"setSipEncryption2(0,)", "setRtpEncryption(0,0,0,0,0,0,0)"}},
        {u"on",
         u"off",
         {"setRtpEncryption(0,0,0,0,0,0,0)", "setSipEncryption2(1,secretkey)",
          "setRtpEncryption2(1,secretkey)"}},
        {u"on",
         u"101-202-303",
         {"newSetSipEncryption(1,202,101,303)", "setNewRtpEncryption(1,202,101,303,1,45,78,12)"}},
        {u"on", u"101-202", {"setSipEncryption(1,202,101)", "setRtpEncryption(1,202,101,1,45,78,12)"}},
        {u"on", u"101", {}},
    };
    for (const auto& c : cases) {
        ProvisioningReply r;
        r.vpn = c.vpn;
        r.newkey = c.newkey;
        r.oldkey = u"secretkey";
        r.prefix = u"12-345-678";
        FakeEngine engine;
        ConfigureEncryption(engine, r);
        EXPECT_EQ(engine.calls, c.calls) << toUtf8(c.vpn + u" " + c.newkey);
    }
}

TEST(ProvisioningReply, RegistrationThroughTheProxyOnlyWithVpn) {
    ProvisioningReply r;
    r.registrarip = u"reg.example";
    r.ip = u"10.0.0.9";
    r.rereg = u"300";
    r.rtrp = u"7078";
    r.keep = u"";
    FakeEngine engine;
    RegisterSubscriber(engine, r, u"ann", u"pw");
    r.vpn = u"on";
    RegisterSubscriber(engine, r, u"ann", u"pw");
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{
                  "registerAccount(sip:ann@reg.example,sip:ann@reg.example,*,ann,pw,null,1,300,7078,0)",
                  "registerAccount(sip:ann@reg.example,sip:ann@reg.example,*,ann,pw,sip:10.0.0.9,1,"
                  "300,7078,0)"}));
    EXPECT_EQ(ProvisioningRequestBody(
                  AdapterAddressText(std::array<std::uint8_t, 6>{0, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e})),
              u"&qdstsa=00-1A-2B-3C-4D-5E&fjfptm=1.0.7&faazdj=wbapux");
    EXPECT_EQ(BalanceRequestBody(u"ann", u"pw", u"00-00-00-00-00-00"),
              u"dzbytx=ann&ywfkkv=pw&qdstsa=00-00-00-00-00-00&fjfptm=1.0.7&faazdj=kgbyku");
}

TEST(CodecPriorities, FromTheCodecFile) {
    const std::vector<std::string> defaults{
        "setCodecPriority(G729/8000/1,255)", "setCodecPriority(G723/8000/1,0)",
        "setCodecPriority(PCMU/8000/1,0)", "setCodecPriority(PCMA/8000/1,0)"};
    auto then = [&](std::vector<std::string> more) {
        auto all = defaults;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const auto example =
        CodecSettings{{u"PCMU/8000/1", u"G729/8000/1"}, {u"G723/8000/1", u"PCMA/8000/1"}}.write();
    auto shortFile = CodecSettings{{u"PCMU/8000/1", u"opus/48000/2"}, {u"G723/8000/1"}}.write();
    shortFile.resize(shortFile.size() - 2);
    struct Case {
        const char* what;
        std::optional<std::vector<std::uint8_t>> file;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"no file", std::nullopt, then(defaults)},
        {"the worked example", example,
         then({"setCodecPriority(PCMU/8000/1,255)", "setCodecPriority(G729/8000/1,254)",
               "setCodecPriority(G723/8000/1,0)", "setCodecPriority(PCMA/8000/1,0)"})},
        {"empty lists", CodecSettings{}.write(), defaults},
        {"disabled list cut short: enabled ones stay, defaults again", shortFile,
         then({"setCodecPriority(PCMU/8000/1,255)", "setCodecPriority(opus/48000/2,254)"})},
    };
    for (const auto& c : cases) {
        TempDir temp;
        DataFolder files(temp.str());
        if (c.file)
            files.save(CodecFileName, *c.file, false);
        FakeEngine engine;
        ApplyCodecPriorities(engine, files);
        auto expected = c.calls;
        if (std::string(c.what).find("cut short") != std::string::npos)
            expected.insert(expected.end(), defaults.begin(), defaults.end());
        EXPECT_EQ(engine.calls, expected) << c.what;
    }
}

TEST(Balance, DisplayTexts) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"postpaid#12.50", u"Amount Used :12.50 Euro"},
        {u"prepaid#3.20", u"Balance :3.20 USD"},
        {u"<balance>7.5</balance>", u"Balance: 7.5 USD"},
        {u"prepaid#1 postpaid#2", u"Amount Used :prepaid#1 2 Euro"},
        {u"\r\n\r\n  prepaid#3.20\r\n\r\n", u"Balance :3.20 USD"},
        {u"", u"Balance:  USD"},
        {u"<html>502 Bad Gateway</html>", u"Balance:  USD"},
    };
    for (const auto& [reply, text] : cases)
        EXPECT_EQ(BalanceText(reply), text) << toUtf8(reply);
}

TEST(Balance, QueryShowsTheLabels) {
    FakeHttp http;
    FakeView view;
    view.at(BalanceLabel).visible = false;
    http.queueScrambled("prepaid#3.20");
    QueryBalance(http, view, "http://127.0.0.1:2900/", u"00-1A-2B-3C-4D-5E", u"ann", u"pw", u"ann");
    EXPECT_EQ(view.textOf(BalanceLabel), u"Balance :3.20 USD");
    EXPECT_TRUE(view.at(BalanceLabel).visible);
    EXPECT_EQ(view.textOf(StatusLabel), u"Ready : ann");
    ASSERT_EQ(http.sent.size(), 1u);
    EXPECT_EQ(*http.sent[0].body, "dzbytx=ann&ywfkkv=pw&qdstsa=00-1A-2B-3C-4D-5E&fjfptm=1.0.7&faazdj=kgbyku");
}

namespace {

std::u16string calls(int count, std::u16string_view extra = u"") {
    std::u16string text = u"<?xml version=\"1.0\"?>\r\n<Status><code>0</code></Status>\r\n<cdr>";
    for (int i = 0; i < count; ++i)
        text += u"<call><number>" + fromUtf8(std::to_string(1000 + i)) +
                u"</number><callStartDate>2026-12-01</callStartDate><callStartTime>10:00</callStartTime>"
                u"<durationCost>0:30/0.10</durationCost></call>\r\n";
    return text + std::u16string(extra) + u"</cdr>";
}

} // namespace

TEST(CallRecords, LimitsAndOddCalls) {
    ServerCallRecords table;
    EXPECT_EQ(ReadCallRecords(calls(25), table), 20);
    EXPECT_EQ(table.records[19].number, u"1019");
    EXPECT_EQ(table.records[0].durationCost, u"0:30/0.10");

    // A call without its number ends the reading there; later records keep older values.
    EXPECT_EQ(
        ReadCallRecords(
            calls(2, u"<call><callStartDate>x</callStartDate></call><call><number>9</number></call>"), table),
        2);
    EXPECT_EQ(table.records[5].number, u"1005");

    EXPECT_EQ(ReadCallRecords(u"<call><number>1</number><durationCost></durationCost></call>"
                              u"<call><number>1</number><durationCost></durationCost></call>",
                              table),
              1)
        << "identical calls are removed together";
    EXPECT_EQ(table.records[0].durationCost, u"");
    EXPECT_EQ(ReadCallRecords(u"", table), 0);
    EXPECT_EQ(ReadCallRecords(u"<call><number>7</number></call>", table), 1) << "no status part is fine";
    EXPECT_EQ(CallRecordsAddress(u"http://a/cdr?u=u1s1er&v=u1s1er", u"xu1s1erx"),
              u"http://a/cdr?u=xu1s1erx&v=xu1s1erx");
}

TEST(CallRecords, FetchFailureKeepsTheTable) {
    FakeHttp http;
    FakeView view;
    ServerCallRecords table;
    table.count = 3;
    EXPECT_FALSE(FetchCallRecords(http, view, u"http://a/cdr?user=u1s1er", u"ann", table));
    EXPECT_EQ(table.count, 3);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, u"Unable to fetch the CDR details,Please contact your support");
    EXPECT_EQ(view.messages[1].text, u"Error in OpenURL");
    EXPECT_EQ(http.fetched[0], "http://a/cdr?user=ann");

    http.pages["http://a/cdr?user=ann"] = toUtf8(calls(1)) + std::string(12000, ' ');
    EXPECT_TRUE(FetchCallRecords(http, view, u"http://a/cdr?user=u1s1er", u"ann", table));
    EXPECT_EQ(table.count, 1);
}

TEST(WebLinks, FeedbackAndPages) {
    FakeShell shell;
    FakeView view;
    SendFeedback(shell, view, u"");
    EXPECT_EQ(shell.opened.back(), "mailto:?subject=PC Ringlark Feedback");
    EXPECT_TRUE(view.messages.empty());
    shell.handled = false;
    SendFeedback(shell, view, u"care@ringlark.example");
    EXPECT_EQ(shell.opened.back(), "mailto:care@ringlark.example?subject=PC Ringlark Feedback");
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, u"Outlook is not configured on your system");
    EXPECT_EQ(SignUpPageAddress("subs.example:8080"),
              "http://subs.example:8080/NewUserSignUp.jsp?groupId=Kestrelcard");
    EXPECT_EQ(HomePageAddress("subs.example"), "http://subs.example");
}

TEST(OperatorConfigFile, KeysDefaultsAndComments) {
    const auto config =
        OperatorConfig::parse("; operator\n[other]\nprovisioning_url = http://wrong/\n"
                              "[services]\nprovisioning_url = http://prov.example:2900/   ; login\n"
                              "subscriber_host=\n# nothing\nmy_account_url = http://a/?u=u1s1er\n");
    EXPECT_EQ(config.provisioningUrl, "http://prov.example:2900/");
    EXPECT_EQ(config.subscriberHost, "127.0.0.1:8080") << "an empty value keeps the default";
    EXPECT_EQ(config.myAccountUrl, "http://a/?u=u1s1er");
    EXPECT_EQ(OperatorConfig::parse("").provisioningUrl, "http://127.0.0.1:2900/");
}

// Registration results as the windows see them.
namespace {

// A main window and its login window on fakes.
struct Login : testing::Test {
    TempDir temp;
    DataFolder files{temp.str()};
    FakePlatform platform;
    CZUBSoftPhoneDlg main{platform.window(files)};
    CMainLogin login{main};
};

// The same, with both windows on views of their own, as while the login window waits.
struct Registration : Login {
    FakeView mainView, loginView;

    void SetUp() override {
        main.setLoginWindow(&login);
        login.attach(&loginView);
        loginView.at(UserNameEdit).enabled = false;
        loginView.at(PasswordEdit).enabled = false;
    }
    void openMain() {
        main.attach(&mainView);
        main.onInitDialog();
    }
};

} // namespace

TEST_F(Registration, RefusalsShowInTheLoginWindow) {
    struct Case {
        int code;
        std::u16string status;
        bool CMainLogin::*marker;
    };
    const Case cases[] = {
        {401, u"Wrong Username/Password", &CMainLogin::fail401or408},
        {403, u"Wrong Username/Password", &CMainLogin::fail403},
        {404, u"User Not Found", &CMainLogin::fail404},
        {408, u"Request Timeout", &CMainLogin::fail401or408},
    };
    for (const auto& c : cases) {
        login.fail401or408 = login.fail403 = login.fail404 = false;
        loginView.at(UserNameEdit).enabled = false;
        main.OnRegistrationState(0, c.code);
        EXPECT_EQ(loginView.textOf(LoginStatus), c.status) << c.code;
        EXPECT_TRUE(login.*c.marker) << c.code;
        EXPECT_TRUE(login.failed);
        EXPECT_TRUE(loginView.at(UserNameEdit).enabled);
    }
    main.OnRegistrationState(0, 500);
    EXPECT_EQ(loginView.textOf(LoginStatus), u"Request Timeout") << "other codes change nothing";
    EXPECT_TRUE(platform.ui.messages.empty());
}

TEST_F(Registration, SuccessFetchesTheCallRecordsOnce) {
    main.provisioned.myaccounts = u"http://a/cdr?user=u1s1er";
    main.userName = u"ann";
    openMain();
    platform.http.pages["http://a/cdr?user=ann"] = "<call><number>5</number></call>";
    main.registrationConfirmed = false;
    main.OnRegistrationState(0, 200);
    main.OnRegistrationState(0, 200);
    EXPECT_TRUE(main.registrationConfirmed);
    EXPECT_TRUE(login.registered);
    EXPECT_EQ(platform.http.fetched.size(), 1u);
    EXPECT_EQ(main.serverCalls.count, 1);
}

TEST_F(Registration, ForbiddenAfterConfirmationClosesTheProgram) {
    openMain();
    main.OnRegistrationState(0, 403);
    ASSERT_EQ(mainView.messages.size(), 1u);
    EXPECT_EQ(mainView.messages[0].text, u"Wrong Username/Password \nPlease contact support team");
    EXPECT_TRUE(mainView.ended);
}

TEST_F(Registration, TimeoutDuringReloginAbortsIt) {
    main.registrationConfirmed = false;
    main.reloginPending = true;
    main.OnRegistrationState(0, 408);
    EXPECT_TRUE(main.reloginAborted);
    ASSERT_EQ(platform.ui.messages.size(), 1u);
    EXPECT_EQ(platform.ui.messages[0].text, u"Request Timedout \nPlease contact support team");
}

TEST_F(Registration, ResultsArriveThroughTheWindowThread) {
    main.BindRegistrationHandler();
    platform.engine.regState(0, 404); // on the engine's thread
    EXPECT_EQ(loginView.textOf(LoginStatus), u"") << "nothing changes until the window thread runs it";
    platform.poster.runAll();
    EXPECT_EQ(loginView.textOf(LoginStatus), u"User Not Found");
}

// The main window's provisioning pass under its conditions.
TEST_F(Registration, SavedPasswordPassStartsAndRegisters) {
    main.savePassword = 1;
    main.autoLogin = true;
    main.setLoginWindow(nullptr);
    main.userName = u"ann";
    main.password = u"pw";
    platform.http.queueScrambled(sampleProvisioningReply("reg.example"));
    platform.engine.registrationAnswer = 200;
    openMain();
    EXPECT_EQ(platform.http.posts("&faazdj=wbapux"), 1);
    EXPECT_EQ(platform.engine.count("init(4,5070)"), 1);
    EXPECT_EQ(platform.engine.count(
                  "registerAccount(sip:ann@reg.example,sip:ann@reg.example,*,ann,pw,null,1,300,7078,30)"),
              1);
    EXPECT_EQ(platform.engine.count("setCodecPriority(G729/8000/1,255)"), 2);
    EXPECT_TRUE(main.registered) << "the 200 arrived within the two seconds";
    EXPECT_EQ(mainView.textOf(StatusLabel), u"Ready : ann");
}

TEST_F(Registration, NoReplyLeavesTheLoginControlsOpen) {
    main.savePassword = 1;
    main.setLoginWindow(nullptr);
    openMain();
    EXPECT_TRUE(mainView.at(SavePasswordCheck).enabled);
    EXPECT_TRUE(mainView.at(Submit).visible);
    EXPECT_EQ(platform.engine.count("init(4,5070)"), 0);
}

TEST_F(Login, ServerThatDoesNotAnswerEndsTheLogin) {
    platform.ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& view) {
        view.setText(UserNameEdit, u"ann");
        view.setText(PasswordEdit, u"pw");
        logic.onCommand(LoginButton);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, u"Server is not responding");
    };
    EXPECT_EQ(platform.ui.runModal(login), IdCancel);
    EXPECT_TRUE(main.closeRequested);
    EXPECT_TRUE(platform.engine.calls.empty());
}

TEST_F(Login, UserNamesWithForbiddenCharactersAreRefused) {
    platform.ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& view) {
        view.setText(PasswordEdit, u"pw");
        for (const char16_t* name : {u"a b", u"a@b", u"a:b", u"a<b", u"a^b", u"a\\b"}) {
            view.setText(UserNameEdit, name);
            logic.onCommand(LoginButton);
        }
        ASSERT_EQ(view.messages.size(), 6u);
        for (const auto& message : view.messages)
            EXPECT_EQ(message.text, u"Invalid Username");
        logic.onCommand(LoginClose);
    };
    platform.ui.runModal(login);
    EXPECT_TRUE(platform.http.sent.empty());
}

TEST_F(Login, LoginCommandChecksComeFirst) {
    const std::u16string forty(40, u'a');
    struct Case {
        const char* name;
        bool connected;
        std::u16string user, password;
        std::vector<std::u16string> messages;
        bool requested;
    };
    std::vector<Case> cases = {
        {"no internet", false, u"ann", u"pw", {u"Internet is not available!"}, false},
        {"blank user", true, u"", u"pw", {u"Username/Password must Not be blank"}, false},
        {"blank password", true, u"ann", u"", {u"Username/Password must Not be blank"}, false},
        {"spaces are a user name", true, u"   ", u"pw", {u"Invalid Username"}, false},
        {"forty characters", true, forty, forty, {}, true},
    };
    for (char16_t refused : std::u16string_view(u"\\><\":][}|{` @^"))
        cases.push_back({"refused character",
                         true,
                         u"an" + std::u16string(1, refused) + u"n",
                         u"pw",
                         {u"Invalid Username"},
                         false});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.network.connected = c.connected;
        platform.http.queueScrambled(sampleProvisioningReply());
        CZUBSoftPhoneDlg window{platform.window(files)};
        CMainLogin login{window};
        std::vector<std::u16string> messages;
        bool editsOpen = false;
        platform.ui.onModal[DlgLogin] = [&](DialogLogic& logic, FakeView& view) {
            view.setText(UserNameEdit, c.user);
            view.setText(PasswordEdit, c.password);
            logic.onCommand(LoginButton);
            for (const auto& m : view.messages)
                messages.push_back(m.text);
            editsOpen = view.isEnabled(UserNameEdit) && view.isEnabled(PasswordEdit);
        };
        platform.ui.runModal(login);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(platform.http.sent.size(), c.requested ? 1u : 0u);
        if (!c.requested) {
            EXPECT_TRUE(editsOpen) << "nothing started, nothing locked";
            EXPECT_TRUE(platform.engine.calls.empty());
        }
    }
}

TEST_F(Login, EachRegistrationOutcomeDuringTheWait) {
    struct Case {
        int code;
        std::u16string status; // empty: the window ended with OK
    };
    const Case cases[] = {
        {200, u""},
        {401, u"Wrong Username/Password"},
        {403, u"Wrong Username/Password"},
        {404, u"User Not Found"},
        {408, u"Request Timeout"},
        {0, u"Registering...Please wait"}, // no answer within the five pauses
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        FakePlatform platform;
        for (int i = 0; i < 2; ++i)
            platform.http.queueScrambled(sampleProvisioningReply());
        platform.engine.registrationAnswer = c.code;
        CZUBSoftPhoneDlg window{platform.window(files)};
        CMainLogin login{window};
        window.setLoginWindow(&login);
        int waited = -1;
        std::vector<std::string> secondPress;
        platform.ui.onModal[DlgLogin] = [&](DialogLogic& logic, FakeView& view) {
            view.setText(UserNameEdit, u"ann");
            view.setText(PasswordEdit, u"pw");
            logic.onCommand(LoginButton);
            waited = platform.clock.waited;
            if (view.ended)
                return;
            EXPECT_EQ(view.textOf(LoginStatus), c.status);
            EXPECT_EQ(view.isEnabled(UserNameEdit), c.code != 0) << "a refusal opens the edits again";
            EXPECT_TRUE(view.isVisible(LoginBusyPicture));
            platform.engine.calls.clear();
            platform.engine.registrationAnswer = 200;
            logic.onCommand(LoginButton);
            secondPress = platform.engine.calls;
        };
        const int result = platform.ui.runModal(login);
        EXPECT_EQ(result, IdOk) << "at once, or after the second press";
        EXPECT_EQ(waited, c.code == 200 ? 500 : 2500);
        if (!c.status.empty()) {
            ASSERT_GE(secondPress.size(), 3u);
            EXPECT_EQ(secondPress[0], "shutdown()") << "a second press starts the engine afresh";
            EXPECT_EQ(secondPress[1], "load()");
            EXPECT_EQ(std::count(secondPress.begin(), secondPress.end(), "init(4,5070)"), 1);
            EXPECT_TRUE(login.registered);
        }
    }
}

TEST_F(Login, TabGoesRoundUserPasswordAndSavePassword) {
    platform.ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& view) {
        EXPECT_EQ(view.focus, UserNameEdit);
        std::vector<int> visited;
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(logic.onKey({Key::Tab}));
            visited.push_back(view.focus);
        }
        EXPECT_EQ(visited, (std::vector<int>{PasswordEdit, SavePasswordCheck, UserNameEdit, PasswordEdit}));
        EXPECT_TRUE(logic.onKey({Key::Escape}));
        EXPECT_FALSE(view.ended) << "Escape does not close the login window";
        logic.onBodyPressed();
        EXPECT_EQ(view.drags, 1);
    };
    platform.ui.runModal(login);
}

TEST_F(Login, PressesWhileALoginWaitsBelongToIt) {
    platform.http.queueScrambled(sampleProvisioningReply());
    platform.http.queueScrambled(sampleProvisioningReply());
    platform.ui.onModal[DlgLogin] = [&](DialogLogic& logic, FakeView& view) {
        view.setText(UserNameEdit, u"ann");
        view.setText(PasswordEdit, u"pw");
        platform.clock.duringWait = [&](int) {
            logic.onCommand(LoginButton);
            logic.onKey({Key::Enter});
        };
        logic.onCommand(LoginButton);
        platform.clock.duringWait = nullptr;
    };
    platform.ui.runModal(login);
    EXPECT_EQ(platform.http.sent.size(), 1u);
    EXPECT_EQ(platform.engine.count("init(4,5070)"), 1);
}
