#pragma once

#include "addressbook/AddressBookOwner.h"
#include "addressbook/CCall.h"
#include "addressbook/CContact.h"
#include "audio/CVolumeInXXX.h"
#include "audio/CVolumeOutWave.h"
#include "core/DialogLogic.h"
#include "core/OperatorConfig.h"
#include "core/Ports.h"
#include "core/Services.h"
#include "resources/ResourceIds.h"
#include "services/AccountServices.h"
#include "services/CMainLogin.h"
#include "services/Http.h"
#include "services/Provisioning.h"
#include "settings/COptions.h"
#include "telephony/CallControl.h"
#include "telephony/Engine.h"
#include "telephony/LineTable.h"

#include <memory>
#include <string>

// The main window: the hub of every command, timer and engine event. It owns
// the line table, the settings object and the side panels.
class CZUBSoftPhoneDlg : public DialogLogic,
                         public LoginOwner,
                         public CallWindow,
                         public AddressBookOwner,
                         public OptionsOwner {
  public:
    explicit CZUBSoftPhoneDlg(MainWindowServices services);
    ~CZUBSoftPhoneDlg() override;

    int dialogId() const override { return res::DlgMain; }

    // Identity and registration state.
    int savePassword = 0;
    bool autoLogin = false;
    std::u16string userName;
    std::u16string password;
    std::u16string displayUser;
    bool registered = false;            // accepts call commands
    bool registeredSinceStart = false;  // a registration succeeded while autoLogin
    bool registrationConfirmed = false; // tray clicks act only while set
    bool reloginPending = false;
    bool reloginAborted = false;
    bool callRecordsFetched = false;
    bool closeRequested = false; // asked to close before the window ran
    bool ended = false;          // the window has been ended; whatever was under way stops

    // What provisioning delivered, and the engine account registered with it.
    std::u16string requestText, replyHeader, replyText;
    ProvisioningReply provisioned;
    int accountId = -1;
    ServerCallRecords serverCalls;

    // Window state.
    bool visible = true; // tray toggle
    bool shaped = false;
    bool modalGuard = false; // a message box or modal window of ours is up
    std::u16string callsPerList;
    std::u16string recordingFolder;
    bool confirmOnClose = false; // kept for the options; closing always asks

    CallControl& callControl() { return callControl_; }
    COptions& options() { return *options_; }
    CCall& recentCallsPanel() { return calls_; }
    CContact& contactsPanel() { return contacts_; }
    // The login window that started this run, if any; Account Login reuses it.
    void setLoginWindow(CMainLogin* login) { login_ = login; }
    CMainLogin* loginWindow() const { return login_; }
    IVolume* speakerVolume() const { return speakerVolume_.get(); }
    IVolume* microphoneVolume() const { return microphoneVolume_.get(); }
    MainWindowServices& services() override { return services_; }
    WindowPort* mainView() override { return attached() ? &view() : nullptr; }
    void clearRegistrationConfirmed() override { registrationConfirmed = false; }
    bool mainEnded() const override { return ended; }
    LoginIdentity identity() const override { return {userName, password, savePassword}; }
    using DialogLogic::view;

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onTimer(int timerId) override;
    void onFirstSize() override;
    void onShown() override;
    void onBodyPressed() override;
    void onSliderMoving(int id, int position) override;
    void onTrayClick(TrayClick click) override;
    void onCloseRequest() override { QuitSequence(); }
    void onSessionEnd() override;

    void QuitSequence();
    // Saves what must outlive the run and closes the window; false when the
    // data folder could not be made, in which case the window stays open.
    bool ExitSequence();
    void CloseSidePanels() override;
    void ResetLineTable();

    void MainProvisioningPass() override;
    void OnRegistrationState(int first, int code);
    // Registration results reach OnRegistrationState on this window's thread.
    void BindRegistrationHandler() override;
    void QueryBalance() override;
    // Fetches the server's call records; false when the window is not up yet.
    bool FetchCallRecords() override;
    // Ends the program: closes the window, or keeps it from opening.
    void CloseMainWindow() override;
    // Shows a message on this window when it is up, else without owner.
    void notify(std::u16string_view text) override;

    // Engine events, on this window's thread.
    void OnCallState(int callId, int state) { callControl_.OnCallState(callId, state); }
    void OnCallIncoming(int callId, const std::u16string& remoteUri) {
        callControl_.OnCallIncoming(callId, remoteUri);
    }
    void BuildRecentCallsTree() override { calls_.BuildRecentCallsTree(); }
    void RecordFinishedCall(int line) override;
    // A finished call of `kind` ('D', 'R', 'M'); "adjust" re-trims that list.
    void AddRecentCall(const std::u16string& number, const std::u16string& duration, char16_t kind) {
        calls_.AddRecentCall(number, duration, kind);
    }

    // AddressBookOwner
    bool currentLineBusy() const override { return lineTable.current().busy(); }
    void showNumber(std::u16string text) override { callControl_.showNumber(std::move(text)); }
    void dialNumber(std::u16string number) override;
    void panelClosed(int reopenButton) override { view().setVisible(reopenButton, true); }
    const ServerCallRecords& serverCallRecords() const override { return serverCalls; }
    std::u16string callsPerListText() const override { return callsPerList; }

    // OptionsOwner
    void setAlwaysOnTop(bool on) override { view().setTopmost(on); }
    void setConfirmOnClose(bool on) override { confirmOnClose = on; }
    std::u16string recordingFolderText() const override { return recordingFolder; }
    void takeRecentCallsOptions(const std::u16string& calls, const std::u16string& folder) override {
        callsPerList = calls;
        recordingFolder = folder;
    }
    // The lists follow a new calls-per-list at once.
    void RetrimRecentCalls() override {
        for (char16_t kind : {u'D', u'R', u'M'})
            AddRecentCall(u"adjust", u"", kind);
    }

    // CallWindow
    WindowPort& callView() override { return view(); }
    bool isRegistered() const override { return registered; }
    std::u16string readyUser() const override { return displayUser; }
    std::u16string registrarHost() const override { return provisioned.registrarip; }
    int engineAccount() const override { return accountId; }
    std::u16string recordingPath() const override { return recordingFolder; }
    bool modalGuardRaised() const override { return modalGuard; }
    MessageResult guardedMessage(std::u16string_view text) override { return guardedBox(text); }

  private:
    void end(int result);
    void addTooltips();
    void applyApplicationFile();
    void showSettingsMenu();
    void runMenuCommand(int command);
    void accountLogin();
    // The SIP account login window, from "Login" or "CheckRate".
    void sipAccountLogin(int opener);
    void openOptions();
    void showAbout();
    void createVolumes();
    void showPanel(SidePanel& panel, int reopenButton, bool dock);
    // Shows a message with the side panels closed and the guard raised.
    MessageResult guardedBox(std::u16string_view text, std::u16string_view title = u"Ringlark",
                             MessageButtons buttons = MessageButtons::Ok);
    bool confirmQuit(std::u16string_view question);
    bool currentLineInCall() const;

    MainWindowServices services_;
    CallControl callControl_;

  public:
    LineTable& lineTable = callControl_.lineTable;

  private:
    std::unique_ptr<COptions> options_;
    CCall calls_;
    CContact contacts_;
    bool panelsCreated_ = false;
    CMainLogin* login_ = nullptr;
    std::unique_ptr<CMainLogin> ownLogin_; // for Account Login after an automatic start
    std::unique_ptr<CVolumeOutWave> speakerVolume_;
    std::unique_ptr<CVolumeInXXX> microphoneVolume_;
};
