#include "CZUBSoftPhoneDlg.h"

#include "CAboutDlg.h"
#include "core/Text.h"
#include "resources/Dialogs.h"
#include "services/CLogin.h"
#include "services/CMainLogin.h"
#include "settings/SettingsFiles.h"

using namespace res;

namespace {

struct Tooltip {
    int id;
    std::u16string_view text;
};

constexpr Tooltip Tooltips[] = {
    {Call, u"Dial"},
    {End, u"Hang Up"},
    {Line1, u"Line 1"},
    {Line1 + 1, u"Line 2"},
    {Line1 + 2, u"Line 3"},
    {Line1 + 3, u"Line 4"},
    {Line5, u"Line 5"},
    {Line6, u"Line 6"},
    {Hold, u"Place call on hold"},
    {Record, u"Record"},
    {AutoAnswer, u"Auto answer"},
    {DoNotDisturb, u"Do not disturb"},
    {AutoConference, u"Auto conference"},
    {TransferHidden, u"Transfer"},
    {Transfer, u"Transfer"},
    {Conference, u"Conference"},
    {Back, u"Back"},
    {Clear, u"Clear"},
    {RecentCalls, u"Recent Calls"},
    {Contacts, u"Contacts"},
    {MyAccount, u"My Account"},
    {Login, u"Login"},
    {Settings, u"Settings"},
    {Minimize, u"Minimize"},
    {Close, u"Close"},
    {Help, u"Help"},
    {MicSlider, u"Mic"},
    {SpeakerSlider, u"Speaker"},
};

constexpr int AutoLoginWaitMs = 2000;
constexpr int AutoLoginPollMs = 20;

constexpr int CallMenuCommands[] = {Line1,      Line1 + 1, Line1 + 2, Line1 + 3,  Hold,         Transfer,
                                    Conference, Record,    Redial,    AutoAnswer, DoNotDisturb, Play};

// Ctrl + key runs these commands, the same as their buttons.
struct Shortcut {
    char16_t key;
    int command;
};
constexpr Shortcut Shortcuts[] = {{u'h', Hold},      {u't', Transfer},     {u'k', Conference},
                                  {u'r', Record},    {u'd', Redial},       {u'1', Line1},
                                  {u'2', Line1 + 1}, {u'3', Line1 + 2},    {u'4', Line1 + 3},
                                  {u'l', Login},     {u'o', CmdSysOptions}};

constexpr int LabelsEmptiedAtStart[] = {StatusLabel,     NumberLabel, DurationLabel, IncomingLabel,
                                        RecordFileLabel, HeaderLabel, FooterLabel};

} // namespace

CZUBSoftPhoneDlg::CZUBSoftPhoneDlg(MainWindowServices services)
    : services_(services),
      callControl_(*this, {services.engine, services.sound, services.clock, services.network}),
      options_(std::make_unique<COptions>(
          OptionsServices{services.ui, services.files, services.autostart, services.program}, *this)),
      calls_(*this, services.files, services.clock), contacts_(*this, services.ui, services.files) {}

CZUBSoftPhoneDlg::~CZUBSoftPhoneDlg() {
    // The engine's handlers point at this window.
    services_.engine.onRegState(nullptr);
    services_.engine.onCallState(nullptr);
    services_.engine.onCallIncoming(nullptr);
    services_.engine.onDtmfDigit(nullptr);
    services_.engine.onCallHoldConfirm(nullptr);
    if (panelsCreated_) {
        services_.ui.destroyModeless(calls_);
        services_.ui.destroyModeless(contacts_);
    }
}

void CZUBSoftPhoneDlg::onInitDialog() {
    auto& v = view();
    if (closeRequested) {
        end(IdCancel);
        return;
    }
    if (login_ && login_->relogin)
        v.showWindow(false);

    if (!services_.mixer.canOpenMixer()) {
        modalGuard = true;
        v.messageBox(u"Sound Card Not Detected ", u"Ringlark", MessageButtons::Ok);
        modalGuard = false;
        if (ended)
            return; // the session ended while the message was up
    }

    registrationConfirmed = true;
    lineTable.autoAnswer = lineTable.doNotDisturb = lineTable.transferMode = lineTable.conferenceMode = false;
    v.setFocus(NumberEdit);
    v.setDown(Line1, true);

    v.addSystemMenuItem(0, u"");
    v.addSystemMenuItem(CmdSysAbout, loadString(StrAboutMenu));
    // Nothing on the skin opens these two windows; the window's menu does.
    v.addSystemMenuItem(Login, u"SIP Account...");
    v.addSystemMenuItem(CmdSysOptions, u"Options...");
    // The call controls lie outside the skin; the window's menu reaches them.
    for (int id : CallMenuCommands)
        v.addContextCommand(u"Call", id);
    v.setIcon(IconApp);
    v.setText(WebControl, u"about:blank");

    for (int id = Key1; id <= KeyPound; ++id)
        v.setEnabled(id, true);
    v.setEnabled(Call, true);
    v.setEnabled(End, true);
    v.setVisible(MicSlider, true);
    v.setVisible(SpeakerSlider, true);
    v.setVisible(BalanceLabel, false); // until the first balance reply
    for (int id : LabelsEmptiedAtStart)
        v.setText(id, u"");

    addTooltips();
    v.setRange(SpeakerSlider, 0, 65535);
    v.setRange(MicSlider, 0, 65535);
    createVolumes();

    services_.ui.createModeless(contacts_);
    services_.ui.createModeless(calls_);
    panelsCreated_ = true;

    applyApplicationFile();

    if (!options_->hasDefaultAccount()) {
        v.setText(UserNameEdit, u"");
        v.setText(PasswordEdit, u"");
    }

    v.addTrayIcon(IconApp, u"Ringlark");

    ResetLineTable();
    MainProvisioningPass();
    if (ended)
        return;

    if (autoLogin) {
        // Up to two seconds for the registration; the window need not wait longer than it takes.
        for (int waited = 0; waited < AutoLoginWaitMs && !registeredSinceStart && !ended;
             waited += AutoLoginPollMs)
            services_.clock.wait(AutoLoginPollMs);
        if (ended)
            return; // ended meanwhile, and saved as it ended
        if (!registeredSinceStart) {
            // The saved login no longer works: ask for it at the next start.
            if (services_.files.ensureFolder())
                options_->SaveLoginIdentity(0, userName, password);
            v.removeTrayIcon();
            end(IdCancel);
            return;
        }
    }
    // A first login registered while only the login window was up: the
    // records could not be fetched then.
    if (login_ && login_->registered && !callRecordsFetched)
        callRecordsFetched = FetchCallRecords();

    QueryBalance();
    v.setVisible(HeaderLabel, true);
    v.setVisible(FooterLabel, true);
    v.setText(StatusLabel, u"Ready : " + displayUser);
    registered = true;
}

void CZUBSoftPhoneDlg::addTooltips() {
    for (const auto& tip : Tooltips)
        view().setTooltip(tip.id, tip.text);
}

void CZUBSoftPhoneDlg::applyApplicationFile() {
    ApplicationSettings settings;
    if (services_.files.ensureFolder()) {
        if (auto bytes = services_.files.read(ApplicationFileName)) {
            // Here the options count only when the whole file could be read.
            if (auto result = ApplicationSettings::read(*bytes); result.complete)
                settings = result.record;
        }
    }
    if (settings.alwaysOnTop)
        view().setTopmost(true);
    if (settings.launchAtStartup) {
        const auto program = services_.program.programPath();
        if (!services_.autostart.runsProgram(program))
            services_.autostart.registerProgram(program);
    }
    settings.applyDefaults(services_.program.homeFolder());
    callsPerList = settings.callsPerList;
    recordingFolder = settings.recordingFolder;
}

void CZUBSoftPhoneDlg::ResetLineTable() {
    auto& v = view();
    registered = false;
    callControl_.ResetLineTable();
    displayUser.clear();
    v.setVisible(HeaderLabel, false);
    v.setVisible(FooterLabel, false);
    v.setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::onCommand(int id) {
    auto& v = view();
    // Dialing on the keypad puts the side panels away.
    if (id >= Key1 && id <= KeyPound)
        CloseSidePanels();
    switch (id) {
    case Settings:
        if (!lineTable.current().busy())
            showSettingsMenu();
        break;
    case Minimize:
        v.minimizeWindow();
        break;
    case Close:
        QuitSequence();
        break;
    case Help:
    case CmdSysAbout:
        if (!modalGuard)
            showAbout();
        break;
    case Feedback:
    case Games:
    case VoiceTest:
    case Submit:
        v.setFocus(NumberEdit);
        break;
    case ShowCallsArrow:
        showPanel(calls_, ShowCallsArrow, false);
        break;
    case ShowContactsArrow:
        showPanel(contacts_, ShowContactsArrow, false);
        break;
    case RecentCalls:
    case Contacts:
    case MyAccount:
        if (!registered) {
            guardedBox(u"You are not Registered");
        } else if (id == RecentCalls) {
            showPanel(calls_, ShowCallsArrow, true);
        } else if (id == Contacts) {
            showPanel(contacts_, ShowContactsArrow, true);
        } else {
            services_.shell.open(
                toUtf8(CallRecordsAddress(fromUtf8(services_.operatorConfig.myAccountUrl), userName)));
        }
        break;
    case CmdAccountLogin:
    case CmdAbout:
    case CmdExit:
    case CmdFeedback:
        runMenuCommand(id);
        break;
    case Login:
    case CheckRate:
        sipAccountLogin(id);
        break;
    case CmdSysOptions:
        openOptions();
        break;
    default:
        callControl_.onCommand(id);
        break;
    }
}

void CZUBSoftPhoneDlg::onTimer(int timerId) {
    callControl_.onTimer(timerId);
}

constexpr int PanelWidth = 247;

void CZUBSoftPhoneDlg::showPanel(SidePanel& panel, int reopenButton, bool dock) {
    // Recent calls dock at the left edge, contacts at the right; the arrow
    // buttons bring a panel back where it was left.
    if (dock && panel.attached()) {
        const auto here = view().windowRect();
        panel.moveTo(reopenButton == ShowCallsArrow ? here.x - PanelWidth : here.x + here.width, here.y);
    }
    panel.show();
    view().setVisible(reopenButton, false);
    if (reopenButton == ShowContactsArrow)
        view().setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::dialNumber(std::u16string number) {
    callControl_.showNumber(std::move(number));
    callControl_.Call();
}

void CZUBSoftPhoneDlg::RecordFinishedCall(int line) {
    if (line >= 0 && line < LineCount)
        calls_.RecordFinishedCall(lineTable.lines[std::size_t(line)]);
}

void CZUBSoftPhoneDlg::showSettingsMenu() {
    const auto rect = view().windowRect();
    runMenuCommand(view().popupMenu(MenuMain, rect.x + 30, rect.y + 210));
}

void CZUBSoftPhoneDlg::runMenuCommand(int command) {
    switch (command) {
    case CmdAccountLogin:
        accountLogin();
        break;
    case CmdAbout:
        if (modalGuard)
            break;
        if (currentLineInCall()) {
            guardedBox(u"Call is in progress");
            break;
        }
        showAbout();
        break;
    case CmdExit:
        QuitSequence();
        break;
    case CmdFeedback:
        SendFeedback(services_.shell, view(), provisioned.email);
        break;
    default: // 0: the menu was dismissed
        break;
    }
}

bool CZUBSoftPhoneDlg::currentLineInCall() const {
    const auto& line = lineTable.current();
    return line.inUse || line.calling || line.ringing || line.answering || line.connected;
}

void CZUBSoftPhoneDlg::showAbout() {
    CloseSidePanels();
    modalGuard = true;
    CAboutDlg about;
    services_.ui.runModal(about);
    modalGuard = false;
}

void CZUBSoftPhoneDlg::accountLogin() {
    if (!registered) {
        guardedBox(u"You are not Registered");
        return;
    }
    if (modalGuard)
        return;
    if (lineTable.current().busy()) {
        guardedBox(u"Call is in progress");
        return;
    }
    CloseSidePanels();
    // Each re-login starts from a fresh window: the flags of an earlier login must not carry over.
    ownLogin_ = std::make_unique<CMainLogin>(*this);
    login_ = ownLogin_.get();
    CMainLogin* login = login_;
    login->relogin = true;
    reloginPending = true;
    services_.engine.shutdown();
    autoLogin = false;
    registeredSinceStart = false;
    login->userName = userName;
    login->password = password;
    login->savePassword = savePassword;
    services_.clock.wait(3000);
    if (ended)
        return;
    if (reloginAborted) {
        end(IdCancel);
        return;
    }
    reloginPending = false;
    modalGuard = true;
    if (services_.ui.runModal(*login) == IdOk && !ended) {
        // The new identity; whether it is saved stays the subscriber's earlier choice.
        userName = login->userName;
        password = login->password;
        displayUser = userName;
        MainProvisioningPass();
        QueryBalance();
    }
    if (!ended)
        view().showWindow(true);
    modalGuard = false;
}

void CZUBSoftPhoneDlg::sipAccountLogin(int opener) {
    if (modalGuard)
        return;
    if (opener == Login) {
        for (const auto& line : lineTable.lines)
            if (line.busy())
                return;
    }
    CloseSidePanels();
    modalGuard = true;
    CLogin window(*options_, services_.shell, services_.operatorConfig);
    services_.ui.runModal(window);
    modalGuard = false;
    // "CheckRate" would also copy a SIP identity of this window into entry 0; nothing
    // ever fills that identity, so the copy would only wipe what the subscriber entered.
    if (!ended)
        view().setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::openOptions() {
    if (modalGuard)
        return;
    CloseSidePanels();
    modalGuard = true;
    options_->RunSettings();
    modalGuard = false;
    if (!ended)
        view().setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::CloseSidePanels() {
    calls_.hide();
    contacts_.hide();
}

MessageResult CZUBSoftPhoneDlg::guardedBox(std::u16string_view text, std::u16string_view title,
                                           MessageButtons buttons) {
    CloseSidePanels();
    modalGuard = true;
    const auto result = view().messageBox(text, title, buttons);
    modalGuard = false;
    return result;
}

bool CZUBSoftPhoneDlg::confirmQuit(std::u16string_view question) {
    return guardedBox(question, u"Confirm to Quit", MessageButtons::OkCancel) == MessageResult::Ok;
}

void CZUBSoftPhoneDlg::QuitSequence() {
    if (registered && lineTable.current().busy()) {
        if (!modalGuard)
            guardedBox(u"Please disconnect call first");
        return;
    }
    if (modalGuard)
        return;
    if (!confirmQuit(u"Are you sure you want to close the Application?"))
        return;
    if (registered)
        services_.engine.shutdown();
    ExitSequence();
}

bool CZUBSoftPhoneDlg::ExitSequence() {
    auto& files = services_.files;
    if (!files.ensureFolder())
        return false;
    // The call log is written even when the contacts could not be: one
    // failed file is no reason to lose the other.
    contacts_.SaveContacts();
    if (!files.ensureFolder())
        return false;
    calls_.SaveCallLog();
    if (!files.ensureFolder())
        return false;
    options_->SaveLoginIdentity(savePassword, userName, password);
    view().removeTrayIcon();
    end(IdOk);
    return true;
}

void CZUBSoftPhoneDlg::onSessionEnd() {
    // Nobody is there to answer a question: save and go.
    if (ended)
        return;
    if (registered)
        services_.engine.shutdown();
    if (!ExitSequence())
        end(IdCancel);
}

void CZUBSoftPhoneDlg::end(int result) {
    ended = true;
    view().endDialog(result);
}

bool CZUBSoftPhoneDlg::onKey(const KeyPress& key) {
    auto& v = view();
    if (key.control) {
        for (const auto& shortcut : Shortcuts)
            if (shortcut.key == key.character) {
                onCommand(shortcut.command);
                return true;
            }
        return false;
    }
    if (registered)
        return callControl_.onKey(key);
    switch (key.key) {
    case Key::Escape:
    case Key::F4:
        if (confirmQuit(key.key == Key::Escape ? u"Are you sure you want to close the Application ?"
                                               : u"Are you sure you want to close the Application?"))
            ExitSequence();
        return true;
    case Key::Backtab:
        guardedBox(u"Shif+Tab is not working on this registration page");
        return true;
    case Key::Tab:
        v.setFocus(v.focusedControl() == UserNameEdit ? PasswordEdit : UserNameEdit);
        return true;
    case Key::Enter:
        onCommand(Submit);
        return true;
    default:
        return false;
    }
}

void CZUBSoftPhoneDlg::onFirstSize() {
    shaped = true;
    view().applyShape();
    view().centreOnScreen(0);
}

void CZUBSoftPhoneDlg::onShown() {
    view().setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::createVolumes() {
    constexpr int SliderStart = 32000;
    view().setPosition(MicSlider, SliderStart);
    view().setPosition(SpeakerSlider, SliderStart);
    speakerVolume_ = std::make_unique<CVolumeOutWave>(services_.mixer, services_.poster);
    speakerVolume_->Enable();
    int microphone = -1;
    FindMicrophoneSource(services_.mixer, [&microphone](int index, const MixerElement& source) {
        if (!source.microphone)
            return true;
        microphone = index;
        return false;
    });
    microphoneVolume_ = std::make_unique<CVolumeInXXX>(services_.mixer, services_.poster, microphone);
    // Full volume, whatever the sliders show; the first drag brings the two in line.
    speakerVolume_->SetVolume(65535);
    microphoneVolume_->SetVolume(65535);
}

void CZUBSoftPhoneDlg::onSliderMoving(int id, int position) {
    // The top of a slider is the loudest; only a drag changes a volume.
    IVolume* volume = nullptr;
    if (id == MicSlider)
        volume = microphoneVolume_.get();
    else if (id == SpeakerSlider)
        volume = speakerVolume_.get();
    if (volume && position >= 0 && position <= 65535)
        volume->SetVolume(static_cast<unsigned long>(65535 - position));
}

void CZUBSoftPhoneDlg::onBodyPressed() {
    view().startDrag();
    view().setFocus(NumberEdit);
}

void CZUBSoftPhoneDlg::onTrayClick(TrayClick click) {
    auto& v = view();
    switch (click) {
    case TrayClick::LeftDown:
        if (!registrationConfirmed)
            return;
        if (visible) {
            v.showWindow(false);
            CloseSidePanels();
            visible = false;
        } else {
            v.showWindow(true);
            visible = true;
        }
        break;
    case TrayClick::LeftDoubleClick:
        if (!registrationConfirmed)
            return;
        v.showWindow(true);
        CloseSidePanels();
        break;
    case TrayClick::RightUp:
        v.raiseWindow();
        runMenuCommand(v.popupMenuAtCursor(MenuMain));
        break;
    }
}

void CZUBSoftPhoneDlg::QueryBalance() {
    ::QueryBalance(services_.http, view(), services_.operatorConfig.provisioningUrl,
                   AdapterAddressText(services_.network.firstAdapterAddress()), userName, password,
                   displayUser);
}

bool CZUBSoftPhoneDlg::FetchCallRecords() {
    if (!attached())
        return false; // its messages need the window; the main window fetches once it is up
    modalGuard = true;
    ::FetchCallRecords(services_.http, view(), provisioned.myaccounts, userName, serverCalls);
    modalGuard = false;
    return true;
}

void CZUBSoftPhoneDlg::CloseMainWindow() {
    if (attached())
        end(IdCancel);
    else
        closeRequested = true;
}

void CZUBSoftPhoneDlg::notify(std::u16string_view text) {
    if (attached())
        guardedBox(text);
    else
        services_.ui.messageBox(text, u"Ringlark", MessageButtons::Ok);
}
