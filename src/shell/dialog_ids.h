// Template names and control ids of the dialogs in resources/palvex32.rc.
// Most ids are fixed by the dialog procedures' contracts (OK 400, Cancel 300,
// Help 998 and the numbered fields of each dialog); the rest were free and are
// chosen here, marked "chosen". tests/resources checks every number below
// against the templates, so a template change that moves a control fails there
// before it fails in a dialog.
#pragma once

namespace palvex::dlg {

// Buttons most dialogs share. Escape still arrives as IDCANCEL (2) from
// IsDialogMessage, so procedures treat 2 like kCancel.
inline constexpr int kOk = 400;
inline constexpr int kCancel = 300;
inline constexpr int kHelp = 998;
// Escape (and the close box) as the dialog manager reports it: IDCANCEL.
inline constexpr int kEscape = 2;

// "MSGDIALOG": the result of a button is its id, so these are the MessageBox
// codes. All four exist in the template; only OK is visible until the procedure
// shows the ones the style asks for. Yes and NO sit where OK and CANCEL sit;
// a lone OK belongs in the centre (x = 85 dialog units).
inline constexpr int kMsgIcon = 100;  // chosen; SS_ICON static, set with STM_SETICON
inline constexpr int kMsgText = 101;  // chosen; the message text (SS_NOPREFIX)
inline constexpr int kMsgOk = 1;
inline constexpr int kMsgCancel = 2;
inline constexpr int kMsgYes = 6;
inline constexpr int kMsgNo = 7;
inline constexpr int kMsgOkCentreX = 85;  // dialog units

// "DEFDIR"
inline constexpr int kDirDownload = 101;
inline constexpr int kDirSession = 102;
inline constexpr int kDirCapture = 104;

// "ABOUT"
inline constexpr int kAboutMemory = 101;  // chosen; "%d bytes total memory"

// "COMMSTATUS"
inline constexpr int kStatusCtsHold = 20;    // "X" or " "
inline constexpr int kStatusXoffHold = 10;   // check box
inline constexpr int kStatusInQueue = 50;
inline constexpr int kStatusOutQueue = 60;
inline constexpr int kStatusResetTerm = 11;  // button

// "DATABIT" and the service editor "SERVICE" share the line-setting radios:
// the button of a value is its base + the value.
inline constexpr int kParityBase = 11;    // 11 None, 12 Odd, 13 Even
inline constexpr int kStopBitsBase = 20;  // 20 "1", 22 "2"; no 21 in the templates
inline constexpr int kDataBitsBase = 50;  // 50 "8", 51 "7" (the data-bits index)

// "TERMDLG"
inline constexpr int kTermTypeList = 120;    // list box
inline constexpr int kTermFlowList = 14;     // list box
inline constexpr int kTermWidth80 = 18;
inline constexpr int kTermWidth132 = 19;
inline constexpr int kTermHeight = 13;
inline constexpr int kTermScrollRange = 200;
inline constexpr int kTermDisplayControls = 12;
inline constexpr int kTermLocalEcho = 17;
inline constexpr int kTermCrLfIn = 15;
inline constexpr int kTermCrLfOut = 16;
inline constexpr int kTermAutowrap = 21;
inline constexpr int kTermBsDel = 10;
inline constexpr int kTermScrollLock = 11;
inline constexpr int kTermKeypadApp = 24;
inline constexpr int kTermResizeBase = 100;  // 100 None, 101 Term, 102 Font
inline constexpr int kTermKeyboard = 20;
inline constexpr int kTermColor = 22;
inline constexpr int kTermFont = 23;

// "COLOR" (all chosen)
inline constexpr int kColorItemList = 101;   // "Background", "Window Text"
inline constexpr int kColorRedBar = 111;
inline constexpr int kColorGreenBar = 112;
inline constexpr int kColorBlueBar = 113;
inline constexpr int kColorRedValue = 121;   // read-only number beside each bar
inline constexpr int kColorGreenValue = 122;
inline constexpr int kColorBlueValue = 123;
inline constexpr int kColorPreview = 130;    // owner-drawn static
inline constexpr int kColorSwatchFirst = 140;  // 16 owner-drawn statics with SS_NOTIFY,
inline constexpr int kColorSwatchCount = 16;   // 140 + k shows table colour k
inline constexpr int kColorDefault = 401;

// "FONTDLG" (all chosen)
inline constexpr int kFontFaceList = 101;      // sorted list box
inline constexpr int kFontSizeList = 102;      // list box
inline constexpr int kFontCharsetCombo = 103;  // drop-down list
inline constexpr int kFontSample = 104;        // static; give it the chosen font with WM_SETFONT

// "KEYMAP" (all chosen). A key with a keymap slot is button kKeySlotBase +
// slot; a key that only shows its code is button kKeyCodeBase + virtual-key
// code. Modifier keys, Num Lock and Delete are disabled pictures.
inline constexpr int kKeySlotBase = 600;   // F1 = 631, keypad 0 = 615, "Etr" = 608
inline constexpr int kKeyCodeBase = 1000;  // "A" = 1065, Space = 1032, Esc = 1027
inline constexpr int kKeymapNumLock = 110;     // check box, shown only
inline constexpr int kKeymapAppMode = 111;     // check box, shown only, disabled
inline constexpr int kKeymapDefault = 401;

// "KEYFUNCTION" (chosen)
inline constexpr int kKeyFuncName = 101;  // static: the key's name
inline constexpr int kKeyFuncText = 102;  // edit: the definition in ^X / \hh form

// "KEYCODE" (chosen)
inline constexpr int kKeyCodeUnshifted = 101;  // radios
inline constexpr int kKeyCodeShifted = 102;
inline constexpr int kKeyCodeControl = 103;
inline constexpr int kKeyCodeChar = 104;   // static: the character
inline constexpr int kKeyCodeValue = 105;  // static: its code, "%x"

// "MODEM": the manufacturer list has id 1 (IDOK); the default button is OK
// (400), so Enter never arrives as 1.
inline constexpr int kModemList = 1;
inline constexpr int kModemSelect = 301;

// "MODEMDLG"
inline constexpr int kProfilePrefix = 500;
inline constexpr int kProfileSuffix = 501;
inline constexpr int kProfileHangup = 502;
inline constexpr int kProfileInit = 505;
inline constexpr int kProfileEscape = 506;
inline constexpr int kProfileReset = 507;
inline constexpr int kProfileResultCodes = 508;  // "Result Code >>"
inline constexpr int kProfileValidChars = 510;

// "MODEMRESULTCODE"
inline constexpr int kResultBusy = 101;
inline constexpr int kResultDialtone = 102;
inline constexpr int kResultCarrier = 103;
inline constexpr int kResultAnswer = 104;
inline constexpr int kResultTimeout = 105;
inline constexpr int kResultError = 106;
inline constexpr int kResultConnect = 107;
inline constexpr int kResultOk = 111;

// "DIALDIALOG" (modeless, WS_VISIBLE)
inline constexpr int kDialNumber = 4;
inline constexpr int kDialStatus = 6;
inline constexpr int kDialLastStatus = 10;
inline constexpr int kDialTimer = 20;
inline constexpr int kDialRetries = 11;

// "PORT"
inline constexpr int kPortStatus = 12;

// "PHONEDIALOG"
inline constexpr int kPhoneList = 101;
inline constexpr int kPhoneBatchList = 110;
inline constexpr int kPhoneDirList = 112;  // chosen; hidden, unused: the book sorts its names itself
inline constexpr int kPhoneNumber = 106;
inline constexpr int kPhonePortSummary = 109;
inline constexpr int kPhoneBatchDial = 108;
inline constexpr int kPhoneDial = 500;
inline constexpr int kPhoneAutolog = 102;
inline constexpr int kPhoneNew = 103;
inline constexpr int kPhoneDelete = 104;
inline constexpr int kPhoneEdit = 105;
inline constexpr int kPhoneOptions = 107;
inline constexpr int kPhoneRemove = 111;
inline constexpr int kPhoneCopy = 205;

// "COPYOPTION"
inline constexpr int kCopyName = 101;
inline constexpr int kCopyPhone = 102;
inline constexpr int kCopyPrefix = 103;

// "DIALOPTION"
inline constexpr int kDialOptRetries = 101;
inline constexpr int kDialOptTimeout = 108;

// "SERVICE" (the line-setting radios are the bases above)
inline constexpr int kServiceName = 100;
inline constexpr int kServiceNumber = 200;
inline constexpr int kServicePrefix = 15;
inline constexpr int kServicePort = 170;  // drop-down list
inline constexpr int kServiceBaud = 160;  // drop-down list
inline constexpr int kPhoneTypeBase = 52;  // 52 Pulse, 53 Tone, 54 None
inline constexpr int kServiceDefaults = 18;
inline constexpr int kServiceModem = 60;
inline constexpr int kServiceTerm = 70;
inline constexpr int kServiceProtocol = 80;

// "XFRDLG" (modeless, WS_VISIBLE)
inline constexpr int kXfrFileName = 10;
inline constexpr int kXfrProtocol = 11;
inline constexpr int kXfrStatus = 12;
inline constexpr int kXfrBytes = 13;
inline constexpr int kXfrElapsed = 14;
inline constexpr int kXfrFileSize = 15;
inline constexpr int kXfrError = 16;
inline constexpr int kXfrCps = 17;
inline constexpr int kXfrPercent = 18;
inline constexpr int kXfrProgressBar = 19;  // owner-drawn static
inline constexpr int kXfrMinimize = 20;
inline constexpr int kXfrTotalErrors = 100;
inline constexpr int kXfrButton = 300;      // "Cancel", then "OK"

// "PROTODLG"
inline constexpr int kProtoList = 3007;
inline constexpr int kProtoMaxErrors = 255;
inline constexpr int kProtoKeepBackup = 256;
inline constexpr int kProtoOptions = 3006;
inline constexpr int kProtoDefDir = 301;

// "ZMODEMOPTION"
inline constexpr int kZSkipExisting = 102;
inline constexpr int kZCrashRecover = 103;
inline constexpr int kZSegmented = 104;
inline constexpr int kZEscapeControl = 105;

// "KERMITOPTION"
inline constexpr int kKermitPacketSize = 101;
inline constexpr int kKermitEightBit = 102;

// "ASCIIOPTIONS"
inline constexpr int kAsciiStripLf = 101;
inline constexpr int kAsciiStartChar = 102;
inline constexpr int kAsciiEndChar = 103;
inline constexpr int kAsciiCharDelay = 104;
inline constexpr int kAsciiLineDelay = 105;

// "BATCHLIST"
inline constexpr int kBatchList = 101;
inline constexpr int kBatchAdd = 301;
inline constexpr int kBatchDelete = 302;  // starts disabled
inline constexpr int kBatchDone = 400;

// "FILEDLG", and the same template as "FILEOPEN"
inline constexpr int kFileName = 108;
inline constexpr int kFileType = 103;     // drop-down list
inline constexpr int kFileList = 105;
inline constexpr int kFileDirList = 106;
inline constexpr int kFilePath = 104;
inline constexpr int kFileRawFiles = 107;  // hidden
inline constexpr int kFileRawDirs = 109;   // hidden

// "SCRIPTDLG" (modeless, WS_VISIBLE)
inline constexpr int kScriptState = 10;
inline constexpr int kScriptButton = 300;  // "Cancel", then "OK"

// "PRINTABORT" (modeless, WS_VISIBLE): Cancel 300 only.
// "PRINTSETUP": the common print setup dialog's own <dlgs.h> ids (cmb1,
// cmb2, cmb3, rad1, rad2, ico1, psh2, stc6 to stc14, IDOK, IDCANCEL); use it
// with PD_ENABLESETUPTEMPLATE.

}  // namespace palvex::dlg
