#pragma once

#include "DialogLogic.h"
#include "Ports.h"
#include "addressbook/CCall.h"
#include "addressbook/CContact.h"
#include "resources/ResourceIds.h"
#include "settings/COptions.h"
#include "telephony/Engine.h"
#include "telephony/LineTable.h"

#include <memory>
#include <string>

class CMainLogin;

// What the main window reaches beyond its own view.
struct MainWindowServices {
    Ui& ui;
    Files& files;
    Engine& engine;
    Clock& clock;
    MixerProbe& mixer;
    Autostart& autostart;
    ProgramInfo& program;
};

// The main window: the hub of every command, timer and engine event. It owns
// the line table, the settings object and the side panels.
class CZUBSoftPhoneDlg : public DialogLogic {
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

    // Window state.
    bool visible = true; // tray toggle
    bool shaped = false;
    bool modalGuard = false; // a message box or modal window of ours is up
    std::u16string callsPerList;
    std::u16string recordingFolder;

    LineTable lineTable;
    COptions& options() { return *options_; }
    CCall& recentCallsPanel() { return calls_; }
    CContact& contactsPanel() { return contacts_; }
    // The login window that started this run, if any; Account Login reuses it.
    void setLoginWindow(CMainLogin* login) { login_ = login; }

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onFirstSize() override;
    void onShown() override;
    void onBodyPressed() override;
    void onTrayClick(TrayClick click) override;
    void onCloseRequest() override { QuitSequence(); }
    void onSessionEnd() override;

    void QuitSequence();
    // Saves what must outlive the run and closes the window; false when the
    // data folder could not be made, in which case the window stays open.
    bool ExitSequence();
    void CloseSidePanels();
    void ResetLineTable();

    // Filled in by the provisioning and balance work; for now the pass only
    // names the user shown in the status line.
    void MainProvisioningPass() { displayUser = userName; }
    void QueryBalance() {}

  private:
    void addTooltips();
    void applyApplicationFile();
    void showSettingsMenu();
    void runMenuCommand(int command);
    void accountLogin();
    void showAbout();
    void showPanel(SidePanel& panel);
    // Shows a message with the side panels closed and the guard raised.
    MessageResult guardedMessage(std::u16string_view text, std::u16string_view title = u"Ringlark",
                                 MessageButtons buttons = MessageButtons::Ok);
    bool confirmQuit(std::u16string_view question);
    bool currentLineInCall() const;

    MainWindowServices services_;
    std::unique_ptr<COptions> options_;
    CCall calls_;
    CContact contacts_;
    bool panelsCreated_ = false;
    CMainLogin* login_ = nullptr;
};
