#pragma once

// Resource ids shared by the dialer logic and its windows. The numbers are the
// vocabulary between a window's logic and its view, so they never change.

namespace res {

// Standard dialog results and buttons.
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;

// Dialogs.
inline constexpr int DlgAbout = 100;
inline constexpr int DlgMain = 102;
inline constexpr int DlgSettings = 134;
inline constexpr int DlgGeneralOptions = 138;
inline constexpr int DlgSipLogin = 225;
inline constexpr int DlgRecentCalls = 181;
inline constexpr int DlgContacts = 186;
inline constexpr int DlgLogin = 319;

// Menus and their commands.
inline constexpr int MenuMain = 133;
inline constexpr int CmdAccountLogin = 32771;
inline constexpr int CmdAbout = 32777;
inline constexpr int CmdExit = 32778;
inline constexpr int CmdFeedback = 32796;
inline constexpr int CmdSysAbout = 16;   // system-menu entry added by the main window
inline constexpr int CmdSysOptions = 32; // context-menu entry that opens the settings window

// Strings.
inline constexpr int StrAboutMenu = 101;

// Images.
inline constexpr int IconApp = 302;
inline constexpr int BmpMainSkin = 317;
inline constexpr int BmpLoginSkin = 322;
inline constexpr int BmpLoginBusy = 324;

// Main window controls (dialog 102).
inline constexpr int Key1 = 1000; // 1000-1008: digits 1-9
inline constexpr int KeyStar = 1009;
inline constexpr int Key0 = 1010;
inline constexpr int KeyPound = 1011;
inline constexpr int Call = 1012;
inline constexpr int End = 1013;
inline constexpr int StatusLabel = 1015;
inline constexpr int NumberLabel = 1016;
inline constexpr int Line1 = 1018; // 1018-1021: lines 1-4
inline constexpr int Line5 = 1022;
inline constexpr int Line6 = 1023;
inline constexpr int UserNameEdit = 1026;
inline constexpr int PasswordEdit = 1027;
inline constexpr int Minimize = 1078;
inline constexpr int Close = 1079;
inline constexpr int MicSlider = 1080;
inline constexpr int SpeakerSlider = 1081;
inline constexpr int Help = 1082;
inline constexpr int TransferHidden = 1083;
inline constexpr int Hold = 1084;
inline constexpr int Record = 1085;
inline constexpr int AutoAnswer = 1086;
inline constexpr int AutoConference = 1087;
inline constexpr int DoNotDisturb = 1088;
inline constexpr int ShowContactsArrow = 1090; // ">>"
inline constexpr int DurationLabel = 1126;
inline constexpr int RecordFileLabel = 1146;
inline constexpr int Play = 1147;
inline constexpr int IncomingLabel = 1148;
inline constexpr int ShowCallsArrow = 1155; // "<<"
inline constexpr int NumberEdit = 1164;
inline constexpr int BalanceLabel = 1167;
inline constexpr int BalanceValueLabel = 1168;
inline constexpr int RemainingCaption = 1169;
inline constexpr int RemainingLabel = 1170;
inline constexpr int LastCallLabel = 1172;
inline constexpr int CheckRate = 1191;
inline constexpr int RateLabel = 1220;
inline constexpr int Redial = 1227;
inline constexpr int Back = 1228;
inline constexpr int Clear = 1229;
inline constexpr int Login = 1230;
inline constexpr int RecentCalls = 1231;
inline constexpr int Feedback = 1232;
inline constexpr int Contacts = 1233;
inline constexpr int Transfer = 1234;
inline constexpr int Conference = 1235;
inline constexpr int HeaderLabel = 1236;
inline constexpr int Games = 1241;
inline constexpr int MyAccount = 1242;
inline constexpr int Submit = 1264;
inline constexpr int Settings = 1265;
inline constexpr int FooterLabel = 1266;
inline constexpr int WebControl = 1268;
inline constexpr int SavePasswordCheck = 1269;
inline constexpr int VoiceTest = 1304;

// About box (dialog 100).
inline constexpr int AboutIcon = 1300;
inline constexpr int AboutTitle = 1301;
inline constexpr int AboutText = 1303;

// Login window (dialog 319); the user name and password edits share 1026 and 1027.
inline constexpr int LoginBackground = 1298;
inline constexpr int LoginUserCaption = 1199;
inline constexpr int LoginPasswordCaption = 1200;
inline constexpr int LoginButton = 1302;
inline constexpr int LoginClose = 1304;
inline constexpr int LoginStatus = 1305;
inline constexpr int LoginBusyPicture = 1313;

// Contacts and recent-calls panels (dialogs 186 and 181); both close with
// Close (1079). Detach and Reattach are hidden and do nothing.
inline constexpr int DlgContactProperties = 187;
inline constexpr int MenuRecentCalls = 184;
inline constexpr int MenuContacts = 185;
inline constexpr int CmdCallBack = 32781;
inline constexpr int CmdAddContact = 32782;
inline constexpr int CmdCallContact = 32783;
inline constexpr int CmdEditContact = 32784;
inline constexpr int CmdDeleteContact = 32785;
inline constexpr int PanelDetach = 1092;
inline constexpr int PanelReattach = 1128;
inline constexpr int ContactsHiddenClose = 1093;
inline constexpr int CallsHiddenClose = 1156;
inline constexpr int CallsMenuButton = 1165;    // "cmdcalls"
inline constexpr int ContactsMenuButton = 1166; // "cmdcontacts"
inline constexpr int CallsTree = 1095;
inline constexpr int ContactsTree = 1096;
inline constexpr int ContactSearchCaption = 1121;
inline constexpr int ContactSearchEdit = 1122;
inline constexpr int PanelTitle = 1094;

// Contact details window (dialog 187).
inline constexpr int ContactNameEdit = 1098;
inline constexpr int ContactNickNameEdit = 1244;
inline constexpr int ContactAddressEdit = 1099;
inline constexpr int ContactHomeRadio = 1245;
inline constexpr int ContactOfficeRadio = 1246;
inline constexpr int ContactCityEdit = 1100;
inline constexpr int ContactStateEdit = 1101;
inline constexpr int ContactCountryEdit = 1102;
inline constexpr int ContactPinCodeEdit = 1103;
inline constexpr int ContactPhoneEdit = 1104;
inline constexpr int ContactPagerEdit = 1105;
inline constexpr int ContactMobileEdit = 1106;
inline constexpr int ContactFaxEdit = 1107;
inline constexpr int ContactEmailEdit = 1108;
inline constexpr int ContactOk = 1120;
inline constexpr int ContactCancel = 1034;

// Settings window (dialog 134) and the general options page it hosts (dialog 138).
inline constexpr int SettingsTree = 1024;
inline constexpr int SettingsPageArea = 1035;
inline constexpr int OptAlwaysOnTop = 1065;
inline constexpr int OptLaunchAtStartup = 1066;
inline constexpr int OptConfirmOnClose = 1067;
inline constexpr int OptPromptUpgrade = 1068;
inline constexpr int OptLettersToDigits = 1069;
inline constexpr int OptCallsPerList = 1070;
inline constexpr int OptSendMessage = 1071;
inline constexpr int OptPlaceCall = 1072;
inline constexpr int OptRecordingFolder = 1073;
inline constexpr int OptApply = 1051;
inline constexpr int OptCancel = 1034;
inline constexpr int OptOk = 1120;

// SIP account login window (dialog 225).
inline constexpr int SipBackground = 1149;
inline constexpr int SipDomainCaption = 1132;
inline constexpr int SipPhoneIdCaption = 1133;
inline constexpr int SipPhonePinCaption = 1134;
inline constexpr int SipDomainEdit = 1122;
inline constexpr int SipPhoneIdEdit = 1123;
inline constexpr int SipPhonePinEdit = 1124;
inline constexpr int SipSaveCheck = 1193;
inline constexpr int SipRegister = 1130;
inline constexpr int SipCancel = 1131;
inline constexpr int SipSettings = 1148;
inline constexpr int SipSignUp = 1259;
inline constexpr int SipHome = 1261;

// Timers.
inline constexpr int RingTimer = 3002;
inline constexpr int LineTimerBase = 4000; // + line index

} // namespace res
