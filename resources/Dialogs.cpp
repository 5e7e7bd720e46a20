#include "Dialogs.h"

#include "ResourceIds.h"

#include <array>

namespace res {
namespace {

using K = ControlKind;

// The skin is 247 x 486 pixels; controls at x >= 260 lie outside it. They exist,
// keep their state and are driven by code, but cannot be clicked.
constexpr int Out = 260;

constexpr std::array mainControls{
    ControlTemplate{HeaderLabel, K::Label, 14, 10, 176, 18, u"", ""},
    ControlTemplate{Minimize, K::Button, 194, 8, 20, 20, u"_", "minimize"},
    ControlTemplate{Close, K::Button, 218, 8, 20, 20, u"x", "close"},
    ControlTemplate{NumberLabel, K::Label, 16, 38, 215, 32, u"", "number"},
    ControlTemplate{StatusLabel, K::Label, 16, 72, 215, 18, u"", "status"},
    ControlTemplate{DurationLabel, K::Label, 16, 92, 100, 16, u"", "small"},
    ControlTemplate{BalanceLabel, K::Label, 116, 92, 115, 16, u"Balance :", "small"},
    ControlTemplate{Key1, K::Button, 24, 118, 60, 38, u"1", "key"},
    ControlTemplate{Key1 + 1, K::Button, 94, 118, 60, 38, u"2", "key"},
    ControlTemplate{Key1 + 2, K::Button, 164, 118, 60, 38, u"3", "key"},
    ControlTemplate{Key1 + 3, K::Button, 24, 162, 60, 38, u"4", "key"},
    ControlTemplate{Key1 + 4, K::Button, 94, 162, 60, 38, u"5", "key"},
    ControlTemplate{Key1 + 5, K::Button, 164, 162, 60, 38, u"6", "key"},
    ControlTemplate{Key1 + 6, K::Button, 24, 206, 60, 38, u"7", "key"},
    ControlTemplate{Key1 + 7, K::Button, 94, 206, 60, 38, u"8", "key"},
    ControlTemplate{Key1 + 8, K::Button, 164, 206, 60, 38, u"9", "key"},
    ControlTemplate{KeyStar, K::Button, 24, 250, 60, 38, u"*", "key"},
    ControlTemplate{Key0, K::Button, 94, 250, 60, 38, u"0", "key"},
    ControlTemplate{KeyPound, K::Button, 164, 250, 60, 38, u"#", "key"},
    ControlTemplate{Back, K::Button, 164, 296, 60, 30, u"\u232b", "tool"},
    ControlTemplate{Call, K::Button, 24, 336, 96, 40, u"Call", "call"},
    ControlTemplate{End, K::Button, 128, 336, 96, 40, u"End", "end"},
    ControlTemplate{Contacts, K::Button, 14, 388, 52, 30, u"Contacts", "tool"},
    ControlTemplate{RecentCalls, K::Button, 70, 388, 52, 30, u"Calls", "tool"},
    ControlTemplate{MyAccount, K::Button, 126, 388, 52, 30, u"Account", "tool"},
    ControlTemplate{Settings, K::Button, 182, 388, 52, 30, u"Settings", "tool"},
    ControlTemplate{MicSlider, K::Slider, 16, 430, 100, 18, u"", "mic"},
    ControlTemplate{SpeakerSlider, K::Slider, 131, 430, 100, 18, u"", "speaker"},
    ControlTemplate{FooterLabel, K::Label, 14, 458, 219, 16, u"Footer", "small"},

    // Outside the visible area.
    ControlTemplate{NumberEdit, K::Edit, Out, 0, 120, 20, u"", ""},
    ControlTemplate{Line1, K::CheckButton, Out, 24, 60, 20, u"Line 1", "line"},
    ControlTemplate{Line1 + 1, K::CheckButton, Out, 48, 60, 20, u"Line 2", "line"},
    ControlTemplate{Line1 + 2, K::CheckButton, Out, 72, 60, 20, u"Line 3", "line"},
    ControlTemplate{Line1 + 3, K::CheckButton, Out, 96, 60, 20, u"Line 4", "line"},
    ControlTemplate{Line5, K::CheckButton, Out, 120, 60, 20, u"Line 5", "line"},
    ControlTemplate{Line6, K::CheckButton, Out, 144, 60, 20, u"Line 6", "line"},
    ControlTemplate{Hold, K::CheckButton, Out, 168, 60, 20, u"Hold", "tool"},
    ControlTemplate{Record, K::CheckButton, Out, 192, 60, 20, u"Record", "tool"},
    ControlTemplate{AutoAnswer, K::CheckButton, Out, 216, 60, 20, u"Auto", "tool"},
    ControlTemplate{DoNotDisturb, K::CheckButton, Out, 240, 60, 20, u"DND", "tool"},
    ControlTemplate{AutoConference, K::CheckButton, Out, 264, 60, 20, u"AutoConf", "tool"},
    ControlTemplate{TransferHidden, K::Button, Out, 288, 60, 20, u"Transfer", "tool"},
    ControlTemplate{Transfer, K::CheckButton, Out, 312, 60, 20, u"Transfer", "tool"},
    ControlTemplate{Conference, K::CheckButton, Out, 336, 60, 20, u"Conference", "tool"},
    ControlTemplate{Redial, K::Button, Out, 360, 60, 20, u"Redial", "tool"},
    ControlTemplate{Clear, K::Button, Out, 384, 60, 20, u"Clear", "tool"},
    ControlTemplate{Play, K::Button, Out, 408, 60, 20, u"Play", "tool"},
    ControlTemplate{RecordFileLabel, K::Label, Out, 432, 120, 20, u"", ""},
    ControlTemplate{IncomingLabel, K::Label, Out, 456, 120, 20, u"", ""},
    ControlTemplate{Help, K::Button, Out + 130, 0, 60, 20, u"Help", "tool"},
    ControlTemplate{Login, K::Button, Out + 130, 24, 60, 20, u"Login", "tool"},
    ControlTemplate{CheckRate, K::Button, Out + 130, 48, 60, 20, u"CheckRate", "tool"},
    ControlTemplate{ShowCallsArrow, K::Button, Out + 130, 72, 60, 20, u"<<", "tool"},
    ControlTemplate{ShowContactsArrow, K::Button, Out + 130, 96, 60, 20, u">>", "tool"},
    ControlTemplate{Feedback, K::Button, Out + 130, 120, 60, 20, u"FeedBack", "tool"},
    ControlTemplate{Games, K::Button, Out + 130, 144, 60, 20, u"Games", "tool"},
    ControlTemplate{VoiceTest, K::Button, Out + 130, 168, 60, 20, u"Voice Test", "tool"},
    ControlTemplate{Submit, K::Button, Out + 130, 192, 60, 20, u"Submit", "tool"},
    ControlTemplate{RateLabel, K::Label, Out + 130, 216, 120, 20, u"", ""},
    ControlTemplate{LastCallLabel, K::Label, Out + 130, 240, 120, 20, u"", ""},
    ControlTemplate{RemainingCaption, K::Label, Out + 130, 264, 120, 20, u"Remaining Time", ""},
    ControlTemplate{RemainingLabel, K::Label, Out + 130, 288, 120, 20, u"", ""},
    ControlTemplate{BalanceValueLabel, K::Label, Out + 130, 312, 120, 20, u"", ""},
    ControlTemplate{UserNameEdit, K::Edit, Out + 130, 336, 120, 20, u"", ""},
    ControlTemplate{PasswordEdit, K::PasswordEdit, Out + 130, 360, 120, 20, u"", ""},
    ControlTemplate{SavePasswordCheck, K::CheckBox, Out + 130, 384, 120, 20, u"Save Password", ""},
    ControlTemplate{WebControl, K::Web, Out + 130, 408, 120, 40, u"", ""},
};

constexpr std::array aboutControls{
    ControlTemplate{AboutIcon, K::Picture, 16, 16, 48, 48, u"", "icon"},
    ControlTemplate{AboutTitle, K::Label, 80, 18, 240, 18, u"Ringlark 1.0.7", ""},
    ControlTemplate{AboutText, K::Label, 80, 40, 240, 18, u"Copyright (C) 2026 Ringlark", ""},
    ControlTemplate{IdOk, K::Button, 244, 72, 70, 26, u"OK", "dialog"},
};

constexpr std::array loginControls{
    ControlTemplate{LoginBackground, K::Picture, 0, 0, 300, 260, u"", "login-background"},
    ControlTemplate{LoginUserCaption, K::Label, 20, 70, 100, 20, u"Username :", "caption"},
    ControlTemplate{UserNameEdit, K::Edit, 124, 70, 156, 22, u"", ""},
    ControlTemplate{LoginPasswordCaption, K::Label, 20, 104, 100, 20, u"Password :", "caption"},
    ControlTemplate{PasswordEdit, K::PasswordEdit, 124, 104, 156, 22, u"", ""},
    ControlTemplate{SavePasswordCheck, K::CheckBox, 124, 136, 156, 20, u"Save Password", ""},
    ControlTemplate{LoginButton, K::Button, 60, 172, 80, 30, u"Login", "call"},
    ControlTemplate{LoginClose, K::Button, 160, 172, 80, 30, u"Close", "end"},
    ControlTemplate{LoginStatus, K::Label, 10, 214, 280, 20, u"", "status-centred"},
    ControlTemplate{LoginBusyPicture, K::Picture, 130, 236, 40, 12, u"", "busy"},
};

// The settings window holds its one page, the general options (dialog 138), in
// the page area right of the tree; the page's controls keep their own ids.
constexpr int IdStatic = -1;
constexpr int PageX = 197, PageY = 3;
constexpr std::array settingsControls{
    ControlTemplate{SettingsTree, K::Tree, 6, 5, 182, 385, u"", ""},
    ControlTemplate{SettingsPageArea, K::Label, PageX, PageY, 387, 387, u"", ""},
    ControlTemplate{IdStatic, K::Label, PageX + 12, PageY + 10, 300, 18, u"Basic Options", "group"},
    ControlTemplate{OptAlwaysOnTop, K::CheckBox, PageX + 24, PageY + 32, 340, 20,
                    u"Always on top of other applications", ""},
    ControlTemplate{OptLaunchAtStartup, K::CheckBox, PageX + 24, PageY + 56, 340, 20,
                    u"Launch when Window starts", ""},
    ControlTemplate{OptConfirmOnClose, K::CheckBox, PageX + 24, PageY + 80, 340, 20,
                    u"Confirm before closing application", ""},
    ControlTemplate{OptPromptUpgrade, K::CheckBox, PageX + 24, PageY + 104, 340, 20,
                    u"Prompt me when an upgrade is available", ""},
    ControlTemplate{OptLettersToDigits, K::CheckBox, PageX + 24, PageY + 128, 340, 20,
                    u"Turn letters into digits when typing into phone*", ""},
    ControlTemplate{IdStatic, K::Label, PageX + 12, PageY + 160, 300, 18, u"Recent Calls", "group"},
    ControlTemplate{IdStatic, K::Label, PageX + 24, PageY + 186, 230, 22, u"Number of calls in each list:",
                    ""},
    ControlTemplate{OptCallsPerList, K::Edit, PageX + 258, PageY + 186, 70, 22, u"", ""},
    ControlTemplate{OptRecordingFolder, K::Edit, PageX + 24, PageY + 226, 340, 22, u"", ""},
    ControlTemplate{OptSendMessage, K::CheckBox, PageX + 24, PageY + 256, 200, 20, u"Send a instant message",
                    ""},
    ControlTemplate{OptPlaceCall, K::CheckBox, PageX + 24, PageY + 280, 200, 20, u"Place a call", ""},
    ControlTemplate{OptOk, K::Button, PageX + 130, PageY + 348, 76, 28, u"OK", "dialog"},
    ControlTemplate{OptApply, K::Button, PageX + 214, PageY + 348, 76, 28, u"Apply", "dialog"},
    ControlTemplate{OptCancel, K::Button, PageX + 298, PageY + 348, 76, 28, u"Cancel", "dialog"},
};

constexpr std::array sipLoginControls{
    ControlTemplate{SipBackground, K::Picture, 0, 0, 300, 290, u"", "login-background"},
    ControlTemplate{SipDomainCaption, K::Label, 20, 62, 110, 20, u"SIP IP /Domain", "caption"},
    ControlTemplate{SipDomainEdit, K::Edit, 134, 62, 146, 22, u"", ""},
    ControlTemplate{SipPhoneIdCaption, K::Label, 20, 96, 110, 20, u"Phone Id", "caption"},
    ControlTemplate{SipPhoneIdEdit, K::Edit, 134, 96, 146, 22, u"", ""},
    ControlTemplate{SipPhonePinCaption, K::Label, 20, 130, 110, 20, u"Phone Pin", "caption"},
    ControlTemplate{SipPhonePinEdit, K::PasswordEdit, 134, 130, 146, 22, u"", ""},
    ControlTemplate{SipSaveCheck, K::CheckBox, 134, 162, 146, 20, u"Save", ""},
    ControlTemplate{SipRegister, K::Button, 24, 196, 80, 30, u"Register", "call"},
    ControlTemplate{SipCancel, K::Button, 110, 196, 80, 30, u"Cancel", "end"},
    ControlTemplate{SipSettings, K::Button, 196, 196, 80, 30, u"Settings", "tool"},
    ControlTemplate{SipSignUp, K::Button, 50, 240, 96, 28, u"Sign Up", "tool"},
    ControlTemplate{SipHome, K::Button, 154, 240, 96, 28, u"Home", "tool"},
};

constexpr std::array<ControlTemplate, 0> noControls{};

// The side panels. Captions without a control of their own have negative ids.
constexpr std::array recentCallsControls{
    ControlTemplate{-1, K::Label, 14, 10, 176, 18, u"Recent Calls", "status"},
    ControlTemplate{Close, K::Button, 218, 8, 20, 20, u"x", "close"},
    ControlTemplate{CallsTree, K::Tree, 10, 36, 227, 390, u"", ""},
    ControlTemplate{CallsMenuButton, K::Button, 10, 436, 100, 30, u"Calls \u25be", "tool"},
    ControlTemplate{CallsHiddenClose, K::Button, Out, 10, 40, 20, u"", "tool"},
    ControlTemplate{PanelDetach, K::Button, Out, 40, 40, 20, u"Detach", "tool"},
    ControlTemplate{PanelReattach, K::Button, Out, 70, 40, 20, u"Reattach", "tool"},
};

constexpr std::array contactsControls{
    ControlTemplate{-1, K::Label, 14, 10, 176, 18, u"Contacts", "status"},
    ControlTemplate{Close, K::Button, 218, 8, 20, 20, u"x", "close"},
    ControlTemplate{ContactSearchCaption, K::Label, 10, 40, 50, 22, u"Name", ""},
    ControlTemplate{ContactSearchEdit, K::Edit, 60, 40, 177, 22, u"", ""},
    ControlTemplate{ContactsTree, K::Tree, 10, 70, 227, 356, u"", ""},
    ControlTemplate{ContactsMenuButton, K::Button, 10, 436, 100, 30, u"Options \u25be", "tool"},
    ControlTemplate{ContactsHiddenClose, K::Button, Out, 10, 40, 20, u"", "tool"},
    ControlTemplate{PanelDetach, K::Button, Out, 40, 40, 20, u"Detach", "tool"},
    ControlTemplate{PanelReattach, K::Button, Out, 70, 40, 20, u"Reattach", "tool"},
};

constexpr std::array contactPropertiesControls{
    ControlTemplate{-1, K::Group, 8, 6, 388, 186, u"Enter Details", ""},
    ControlTemplate{-2, K::Label, 18, 28, 86, 22, u"Name", ""},
    ControlTemplate{ContactNameEdit, K::Edit, 106, 28, 282, 22, u"", ""},
    ControlTemplate{-3, K::Label, 18, 54, 86, 22, u"Nick Name", ""},
    ControlTemplate{ContactNickNameEdit, K::Edit, 106, 54, 282, 22, u"", ""},
    ControlTemplate{-4, K::Label, 18, 80, 86, 22, u"Address", ""},
    ControlTemplate{ContactAddressEdit, K::Edit, 106, 80, 282, 22, u"", ""},
    ControlTemplate{ContactHomeRadio, K::Radio, 106, 104, 80, 20, u"Home", ""},
    ControlTemplate{ContactOfficeRadio, K::Radio, 196, 104, 80, 20, u"Office", ""},
    ControlTemplate{-5, K::Label, 18, 130, 86, 22, u"City", ""},
    ControlTemplate{ContactCityEdit, K::Edit, 106, 130, 100, 22, u"", ""},
    ControlTemplate{-6, K::Label, 214, 130, 76, 22, u"State", ""},
    ControlTemplate{ContactStateEdit, K::Edit, 292, 130, 96, 22, u"", ""},
    ControlTemplate{-7, K::Label, 18, 158, 86, 22, u"Country", ""},
    ControlTemplate{ContactCountryEdit, K::Edit, 106, 158, 100, 22, u"", ""},
    ControlTemplate{-8, K::Label, 214, 158, 76, 22, u"Pin Code", ""},
    ControlTemplate{ContactPinCodeEdit, K::Edit, 292, 158, 96, 22, u"", ""},
    ControlTemplate{-9, K::Group, 8, 198, 388, 116, u"Contact Methods", ""},
    ControlTemplate{-10, K::Label, 18, 220, 70, 22, u"Phone", ""},
    ControlTemplate{ContactPhoneEdit, K::Edit, 90, 220, 116, 22, u"", ""},
    ControlTemplate{-11, K::Label, 214, 220, 76, 22, u"Pager", ""},
    ControlTemplate{ContactPagerEdit, K::Edit, 292, 220, 96, 22, u"", ""},
    ControlTemplate{-12, K::Label, 18, 248, 70, 22, u"Mobile", ""},
    ControlTemplate{ContactMobileEdit, K::Edit, 90, 248, 116, 22, u"", ""},
    ControlTemplate{-13, K::Label, 214, 248, 76, 22, u"Fax", ""},
    ControlTemplate{ContactFaxEdit, K::Edit, 292, 248, 96, 22, u"", ""},
    ControlTemplate{-14, K::Label, 18, 276, 70, 22, u"Email", ""},
    ControlTemplate{ContactEmailEdit, K::Edit, 90, 276, 298, 22, u"", ""},
    ControlTemplate{ContactOk, K::Button, 224, 324, 80, 28, u"OK", ""},
    ControlTemplate{ContactCancel, K::Button, 314, 324, 80, 28, u"Cancel", ""},
};

constexpr std::array dialogs{
    DialogTemplate{DlgAbout, u"About Ringlark", 330, 110, "", aboutControls},
    DialogTemplate{DlgMain, u"Ringlark", 247, 486, "main-skin", mainControls},
    DialogTemplate{DlgLogin, u"Ringlark Login", 300, 260, "login-background", loginControls},
    DialogTemplate{DlgRecentCalls, u"Recent Calls", 247, 486, "", recentCallsControls},
    DialogTemplate{DlgContacts, u"Contacts", 247, 486, "", contactsControls},
    DialogTemplate{DlgContactProperties, u"Contact", 404, 362, "", contactPropertiesControls},
    DialogTemplate{DlgSettings, u"Settings", 585, 392, "", settingsControls},
    DialogTemplate{DlgSipLogin, u"SIP Account", 300, 290, "login-background", sipLoginControls},
};

constexpr std::array mainMenuItems{
    MenuItem{CmdAccountLogin, u"Account Login"},
    MenuItem{0, u""},
    MenuItem{CmdFeedback, u"Feedback"},
    MenuItem{0, u""},
    MenuItem{CmdAbout, u"About..."},
    MenuItem{0, u""},
    MenuItem{CmdExit, u"Exit"},
};

constexpr std::array recentCallsMenuItems{MenuItem{CmdCallBack, u"Call"}};

constexpr std::array contactsMenuItems{
    MenuItem{CmdAddContact, u"Add New Contact..."}, MenuItem{CmdCallContact, u"Call"},     MenuItem{0, u""},
    MenuItem{CmdEditContact, u"Edit..."},           MenuItem{CmdDeleteContact, u"Delete"},
};

constexpr std::array menus{MenuTemplate{MenuMain, mainMenuItems},
                           MenuTemplate{MenuRecentCalls, recentCallsMenuItems},
                           MenuTemplate{MenuContacts, contactsMenuItems}};

} // namespace

const DialogTemplate* findDialog(int id) {
    for (const auto& dialog : dialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

const MenuTemplate* findMenu(int id) {
    for (const auto& menu : menus)
        if (menu.id == id)
            return &menu;
    return nullptr;
}

std::span<const DialogTemplate> allDialogs() {
    return dialogs;
}

std::u16string_view loadString(int id) {
    switch (id) {
    case StrAboutMenu:
        return u"&About Ringlark 1.0.7...";
    default:
        return {};
    }
}

} // namespace res
