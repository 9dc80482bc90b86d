// Menu commands and toolbar buttons share one id space; other parts of the
// program ask the main window for work by posting WM_COMMAND with these ids.
#pragma once

namespace palvex {

enum CommandId : int {
    kCmdKeyboard = 1,
    kCmdUnixToDos = 2,
    kCmdDosToUnix = 3,
    kCmdExit = 11,
    kCmdPrintBuffer = 12,
    kCmdPrintSetup = 15,
    kCmdScriptEdit = 101,
    kCmdScriptExecute = 102,
    kCmdScriptCheck = 104,
    kCmdCopyPrinter = 111,
    kCmdSelectAll = 112,
    kCmdCopy = 141,
    kCmdTransmit = 142,
    kCmdClearBuffer = 143,
    kCmdModemSetting = 301,
    kCmdTerminalPrefs = 302,
    kCmdFonts = 303,
    kCmdCommParameters = 304,
    kCmdPhonebook = 400,
    kCmdPrintLogfile = 404,
    kCmdPrintTransparent = 405,
    kCmdHangup = 1000,
    kCmdViewOffline = 1001,
    kCmdColor = 1002,
    kCmdChat = 1004,
    kCmdCaptureSession = 1005,
    kCmdBreak = 1007,
    kCmdModemPort = 1008,
    kCmdToMsDos = 1009,
    kCmdReceive = 2000,
    kCmdProtocol = 2001,
    kCmdSend = 2003,
    kCmdDefaultDir = 3000,
    kCmdAbout = 3001,
    kCmdViewRealtime = 3002,
    kCmdResetTerm = 3003,
    kCmdAnswer = 3006,
    kCmdUuencode = 3008,
    kCmdUudecode = 3009,
    kCmdCommStatus = 3100,
    kCmdHelpContents = 5006,
};

// The Help button of every dialog.
inline constexpr int kHelpButton = 998;

// Messages the main window takes from the rest of the program.
inline constexpr unsigned kMsgCommNotify = 0x44;         // restart the receive pump
inline constexpr unsigned kMsgTransferEnded = 0x400;     // WM_USER
inline constexpr unsigned kMsgDialingEnded = 0x401;      // WM_USER + 1; wParam 1 when cancelled
inline constexpr unsigned kMsgSessionDialogEnded = 0x402;  // WM_USER + 2
inline constexpr unsigned kMsgRefit = 0x40E;             // WM_USER + 14

}  // namespace palvex
