// Ids of the texts in the string table of resources/palvex32.rc: the numbers
// ShowMessage takes and the status line's hints. They live in their own
// namespace because a few of them are also declared next to their first user
// (comm/port.h); the values are the same. tests/resources checks every one
// against the string table.
#pragma once

namespace palvex::str {

// Messages of the shell, the port and the settings
inline constexpr int kStrFileOpenError = 1;
inline constexpr int kStrScrollRangeInvalid = 2;
inline constexpr int kStrScrollRangeOnRestart = 3;
inline constexpr int kStrTermPageSize = 5;
inline constexpr int kStrHangUpFirst = 10;
inline constexpr int kStrDeviceOpenError = 11;
inline constexpr int kStrDownloadDirNotFound = 16;
inline constexpr int kStrSessionDirNotFound = 17;
inline constexpr int kStrAllocFailed = 33;
inline constexpr int kStrLockFailed = 34;
inline constexpr int kStrClipboardEmpty = 35;
inline constexpr int kStrDialFailed = 105;
inline constexpr int kStrCarrierLoss = 110;

// The keymap editor's key definition (shown in a box titled "Error").
inline constexpr int kStrInvalidHexString = 15;

// Service validation and the phone book
inline constexpr int kStrIllegalServiceName = 4;
inline constexpr int kStrSelectDatabits = 6;
inline constexpr int kStrSpecifyPhoneNumber = 7;
inline constexpr int kStrInvalidPhoneType = 8;
inline constexpr int kStrInvalidPhoneNumber = 9;
inline constexpr int kStrModemInitFailed = 14;
inline constexpr int kStrScriptFileNotFound = 19;
inline constexpr int kStrBatchDialEmpty = 20;
inline constexpr int kStrConfirmDelete = 21;

// File chooser, printing, transfers and their dialogs
inline constexpr int kStrCheckPath = 12;
inline constexpr int kStrFileNotExists = 13;
inline constexpr int kStrFileReadFailed = 18;
inline constexpr int kStrNoPrinter = 22;
inline constexpr int kStrPrintCancelled = 23;
inline constexpr int kStrPrintFailed = 24;
inline constexpr int kStrViewerFailed = 37;
inline constexpr int kStrBatchAllocFailed = 91;
inline constexpr int kStrBatchListFull = 92;
inline constexpr int kStrKermitSizeInvalid = 94;
inline constexpr int kStrKermitBufferFailed = 95;
inline constexpr int kStrMaxErrorsInvalid = 96;
inline constexpr int kStrAsciiDelayInvalid = 109;

// Scripts. 40 and 41 are followed by the line number the caller appends.
inline constexpr int kStrScriptServiceMissing = 38;
inline constexpr int kStrScriptNoExit = 39;
inline constexpr int kStrScriptIllegalLine = 40;
inline constexpr int kStrScriptMissingQuote = 41;
inline constexpr int kStrScriptCheckComplete = 42;
inline constexpr int kStrScriptBadTimeout = 43;
inline constexpr int kStrScriptWaitTimeout = 44;

// uuencode, uudecode and text conversion. 45 to 47 are followed by the text the
// caller appends (the path, or the line number and path).
inline constexpr int kStrEncodeComplete = 26;
inline constexpr int kStrDecodeComplete = 27;
inline constexpr int kStrEncodeCancelled = 28;
inline constexpr int kStrDecodeCancelled = 29;
inline constexpr int kStrDecodeError = 30;
inline constexpr int kStrWrongFileType = 31;
inline constexpr int kStrOverwriteLog = 32;
inline constexpr int kStrUuFilenameNotFound = 45;
inline constexpr int kStrUuBeginNotFound = 46;
inline constexpr int kStrUuIllegalLine = 47;
inline constexpr int kStrConvertComplete = 99;
inline constexpr int kStrConvertCancelled = 101;
inline constexpr int kStrConvertError = 104;

// Status line hints of the menu commands and toolbar buttons.
inline constexpr int kStrHintPhonebook = 49;
inline constexpr int kStrHintHelp = 50;
inline constexpr int kStrHintPrintBuffer = 51;
inline constexpr int kStrHintExit = 52;
inline constexpr int kStrHintHangup = 53;
inline constexpr int kStrHintMsDos = 54;
inline constexpr int kStrHintModemSetting = 55;
inline constexpr int kStrHintPrintLogfile = 56;
inline constexpr int kStrHintCapture = 57;
inline constexpr int kStrHintProtocol = 58;
inline constexpr int kStrHintReceive = 59;
inline constexpr int kStrHintSend = 60;
inline constexpr int kStrHintPrintSetup = 61;
inline constexpr int kStrHintDefaultDir = 62;
inline constexpr int kStrHintChat = 63;
inline constexpr int kStrHintColor = 64;
inline constexpr int kStrHintUudecode = 65;
inline constexpr int kStrHintUuencode = 66;
inline constexpr int kStrHintAbout = 68;
inline constexpr int kStrHintViewRealtime = 69;
inline constexpr int kStrHintViewOffline = 70;
inline constexpr int kStrHintCopy = 71;
inline constexpr int kStrHintTransmit = 72;
inline constexpr int kStrHintClearBuffer = 73;
inline constexpr int kStrHintScriptExecute = 74;
inline constexpr int kStrHintScriptCheck = 75;
inline constexpr int kStrHintScriptEdit = 76;
inline constexpr int kStrHintFonts = 77;
inline constexpr int kStrHintTerminalPrefs = 78;
inline constexpr int kStrHintKeyboard = 79;
inline constexpr int kStrHintModemPort = 80;
inline constexpr int kStrHintCommStatus = 81;
inline constexpr int kStrHintBreak = 82;
inline constexpr int kStrHintAnswer = 83;
inline constexpr int kStrHintUnixToDos = 102;
inline constexpr int kStrHintDosToUnix = 103;
inline constexpr int kStrHintCommParameters = 106;
inline constexpr int kStrHintResetTerm = 113;
inline constexpr int kStrHintCopyPrinter = 115;
inline constexpr int kStrHintSelectAll = 116;
inline constexpr int kStrHintPrintTransparent = 117;

// Status line hints of the system menu (SC_SIZE ... SC_MOVE).
inline constexpr int kStrHintSysSize = 84;
inline constexpr int kStrHintSysMaximize = 85;
inline constexpr int kStrHintSysMinimize = 86;
inline constexpr int kStrHintSysClose = 87;
inline constexpr int kStrHintSysRestore = 88;
inline constexpr int kStrHintSysTaskList = 89;
inline constexpr int kStrHintSysMove = 90;

}  // namespace palvex::str
