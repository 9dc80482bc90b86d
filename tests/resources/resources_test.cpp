// The resource script against the texts and ids the rest of the program relies
// on: the string table, the menu, the dialog templates and the pictures. Texts
// are compared exactly, spelling mistakes included, because the program shows
// them as they stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/rc_reader.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace {

namespace fs = std::filesystem;
using namespace palvex;

fs::path ResourceDir() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "resources";
}

const rc::Script& Script() {
    static const rc::Script script = rc::ParseFile((ResourceDir() / "palvex32.rc").string());
    return script;
}

// ---------------------------------------------------------------------------
// String table

struct StringRow {
    int constant;  // the named id of shell/string_ids.h
    int id;
    const char* text;
};

const StringRow kStrings[] = {
    {str::kStrFileOpenError, 1, "File open error"},
    {str::kStrScrollRangeInvalid, 2, "Scroll range must be in the range 24-3000"},
    {str::kStrScrollRangeOnRestart, 3, "Scroll range would take into effect when you restart"},
    {str::kStrIllegalServiceName, 4, "No service name or lllegal service name specified (see help on troubleshooting)"},
    {str::kStrTermPageSize, 5, "Term page size must be in range 24 and 99."},
    {str::kStrSelectDatabits, 6, "Select either 7 databits or no parity."},
    {str::kStrSpecifyPhoneNumber, 7, "Specify phone number or set phonetype to none for direct/answer connection."},
    {str::kStrInvalidPhoneType, 8, "Invalid phone type specified"},
    {str::kStrInvalidPhoneNumber, 9, "Invalid phone number specified"},
    {str::kStrHangUpFirst, 10, "You must hang up first"},
    {str::kStrDeviceOpenError, 11, "Device open error"},
    {str::kStrCheckPath, 12, "Check your path and directory"},
    {str::kStrFileNotExists, 13, "File does not exits, Check path"},
    {str::kStrModemInitFailed, 14, "Initialization failed, Check your modem port/modem init string"},
    {str::kStrInvalidHexString, 15, "Invalid hex string"},
    {str::kStrDownloadDirNotFound, 16, "Download directory not found"},
    {str::kStrSessionDirNotFound, 17, "Session directory not found"},
    {str::kStrFileReadFailed, 18, "Failed to read file"},
    {str::kStrScriptFileNotFound, 19, "Script file not found"},
    {str::kStrBatchDialEmpty, 20, "No entries in batch dial list"},
    {str::kStrConfirmDelete, 21, "Are you sure, you want to delete this entry ?"},
    {str::kStrNoPrinter, 22, "No printer found"},
    {str::kStrPrintCancelled, 23, "User cancelled printing"},
    {str::kStrPrintFailed, 24, "Failed to print"},
    {str::kStrEncodeComplete, 26, "Encoding complete"},
    {str::kStrDecodeComplete, 27, "Decoding complete"},
    {str::kStrEncodeCancelled, 28, "Encoding cancelled"},
    {str::kStrDecodeCancelled, 29, "Decoding cancelled"},
    {str::kStrDecodeError, 30, "Decoding error"},
    {str::kStrWrongFileType, 31, "File is of wrong type"},
    {str::kStrOverwriteLog, 32, "File exists. Do you want to overwrite logfile (yes) or append to an existing one(no) ?"},
    {str::kStrAllocFailed, 33, "Failed to allocate memory"},
    {str::kStrLockFailed, 34, "Failed to lock memory"},
    {str::kStrClipboardEmpty, 35, "No data in the clipboard"},
    {str::kStrViewerFailed, 37, "Failed to activate GIF/JPEG viewer."},
    {str::kStrScriptServiceMissing, 38, "No entry found of this online service in phonebook"},
    {str::kStrScriptNoExit, 39, "No exit found"},
    {str::kStrScriptIllegalLine, 40, "Illegal line number"},
    {str::kStrScriptMissingQuote, 41, "Missing quote in line number"},
    {str::kStrScriptCheckComplete, 42, "Script check complete"},
    {str::kStrScriptBadTimeout, 43, "Invalid timeout value specified"},
    {str::kStrScriptWaitTimeout, 44, "No matching string found within timeout period"},
    {str::kStrUuFilenameNotFound, 45, "Filename not found in "},
    {str::kStrUuBeginNotFound, 46, "Begin is not found in file "},
    {str::kStrUuIllegalLine, 47, "IIlegal line number"},
    {str::kStrHintPhonebook, 49, "Open phonebook"},
    {str::kStrHintHelp, 50, "Display context sensitive help"},
    {str::kStrHintPrintBuffer, 51, "Print scrollback buffer"},
    {str::kStrHintExit, 52, "Exit from this program"},
    {str::kStrHintHangup, 53, "Hangup modem"},
    {str::kStrHintMsDos, 54, "Switch to MS-DOS"},
    {str::kStrHintModemSetting, 55, "Select/setup modem"},
    {str::kStrHintPrintLogfile, 56, "Print session capture file"},
    {str::kStrHintCapture, 57, "Enable/disable session capture to a file"},
    {str::kStrHintProtocol, 58, "Select file transfer protocol"},
    {str::kStrHintReceive, 59, "Download files from remote"},
    {str::kStrHintSend, 60, "Upload files to remote"},
    {str::kStrHintPrintSetup, 61, "Select/setup your printer"},
    {str::kStrHintDefaultDir, 62, "Modify download/session capture directory"},
    {str::kStrHintChat, 63, "Chat with remote user"},
    {str::kStrHintColor, 64, "Modify terminal text & background colors"},
    {str::kStrHintUudecode, 65, "uudecode an internet file"},
    {str::kStrHintUuencode, 66, "uuencode a binary file"},
    {str::kStrHintAbout, 68, "About this program"},
    {str::kStrHintViewRealtime, 69, "Enable/disable view GIF/JPEG in realtime"},
    {str::kStrHintViewOffline, 70, "View GIF/JPEG offline"},
    {str::kStrHintCopy, 71, "Copy selected text to clipboard"},
    {str::kStrHintTransmit, 72, "Transmit clipboard text to remote"},
    {str::kStrHintClearBuffer, 73, "Clear scrollback buffer"},
    {str::kStrHintScriptExecute, 74, "Execute script file"},
    {str::kStrHintScriptCheck, 75, "Check syntax of script file"},
    {str::kStrHintScriptEdit, 76, "Edit a script file"},
    {str::kStrHintFonts, 77, "Select a font"},
    {str::kStrHintTerminalPrefs, 78, "Modify terminal settings"},
    {str::kStrHintKeyboard, 79, "Display keyboard and define function keys"},
    {str::kStrHintModemPort, 80, "Look for modem"},
    {str::kStrHintCommStatus, 81, "Communication status"},
    {str::kStrHintBreak, 82, "Send a break to remote"},
    {str::kStrHintAnswer, 83, "Wait for ring and then connect"},
    {str::kStrHintSysSize, 84, "Change Palvex window size"},
    {str::kStrHintSysMaximize, 85, "Enlarge Palvex window to fill screen"},
    {str::kStrHintSysMinimize, 86, "Iconize Palvex window"},
    {str::kStrHintSysClose, 87, "Exit from this program"},
    {str::kStrHintSysRestore, 88, "Restore Palvex window to normal size"},
    {str::kStrHintSysTaskList, 89, "Switch to another task"},
    {str::kStrHintSysMove, 90, "Change Palvex window position"},
    {str::kStrBatchAllocFailed, 91, "Failed to alloc memory, delete some entries."},
    {str::kStrBatchListFull, 92, "No more entries allowed, low memory"},
    {str::kStrKermitSizeInvalid, 94, "Invalid size for kermit buffer"},
    {str::kStrKermitBufferFailed, 95, "Memory allocation for kermit buffer failed. Specify lower size."},
    {str::kStrMaxErrorsInvalid, 96, "Invalid value for maximum errors"},
    {str::kStrConvertComplete, 99, "Coversion complete"},
    {str::kStrConvertCancelled, 101, "Conversion cancelled"},
    {str::kStrHintUnixToDos, 102, "Convert Unix text file to DOS format"},
    {str::kStrHintDosToUnix, 103, "Convert DOS text file to Unix format"},
    {str::kStrConvertError, 104, "Translation error"},
    {str::kStrDialFailed, 105, "Failed to connect, all attempts tried !"},
    {str::kStrHintCommParameters, 106, "Set Communication parameters"},
    {str::kStrAsciiDelayInvalid, 109, "Invalid entry for line/char delay"},
    {str::kStrCarrierLoss, 110, "Carrier loss, Disconnected"},
    {str::kStrHintResetTerm, 113, "Reset terminal setting"},
    {str::kStrHintCopyPrinter, 115, "Print selected text"},
    {str::kStrHintSelectAll, 116, "Select all"},
    {str::kStrHintPrintTransparent, 117, "Enable/disable transparent print"},
};

TEST(StringTable, HoldsEveryTextUnderItsId) {
    const auto& strings = Script().strings;
    for (const StringRow& row : kStrings) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.constant, row.id) << "shell/string_ids.h names another id";
        auto found = strings.find(row.id);
        ASSERT_NE(found, strings.end()) << "missing: " << row.text;
        EXPECT_EQ(found->second, row.text);
    }
}

TEST(StringTable, HoldsNothingElseAndNoIdTwice) {
    EXPECT_TRUE(Script().duplicateStrings.empty());
    for (const auto& [id, text] : Script().strings) {
        bool known = std::any_of(std::begin(kStrings), std::end(kStrings),
                                 [id = id](const StringRow& row) { return row.id == id; });
        EXPECT_TRUE(known) << "unexpected string " << id << ": " << text;
    }
}

TEST(StringTable, EveryTextFitsTheMessageBuffer) {
    // ShowMessage and the hints load into 512-byte buffers.
    for (const auto& [id, text] : Script().strings) EXPECT_LE(text.size(), 511u) << id;
}

// ---------------------------------------------------------------------------
// Menu "File": the command table. The toolbar and other parts of the program
// send the same ids, named in shell/command_ids.h.

struct MenuRow {
    int constant;
    int id;
    const char* text;
};

const MenuRow kMenu[] = {
    {kCmdPhonebook, 400, "&Phonebook"},
    {kCmdPrintSetup, 15, "Print &Setup"},
    {kCmdPrintBuffer, 12, "&Print Buffer"},
    {kCmdPrintLogfile, 404, "Print &Logfile"},
    {kCmdPrintTransparent, 405, "Print &Transparent"},
    {kCmdExit, 11, "E&xit"},
    {kCmdCopy, 141, "&Copy"},
    {kCmdTransmit, 142, "&Transmit"},
    {kCmdCopyPrinter, 111, "Copy &Printer"},
    {kCmdSelectAll, 112, "Select &All"},
    {kCmdClearBuffer, 143, "C&lear Buffer"},
    {kCmdModemSetting, 301, "&Modem Setting"},
    {kCmdCommParameters, 304, "C&ommunication Parameters"},
    {kCmdTerminalPrefs, 302, "&Terminal Prefs."},
    {kCmdFonts, 303, "&Fonts"},
    {kCmdProtocol, 2001, "&Protocol"},
    {kCmdKeyboard, 1, "&Keyboard"},
    {kCmdColor, 1002, "&Color"},
    {kCmdDefaultDir, 3000, "&Default Dir"},
    {kCmdResetTerm, 3003, "&Reset Term"},
    {kCmdViewRealtime, 3002, "&View Gif/JPEG Realtime"},
    {kCmdViewOffline, 1001, "View &GIF/JPEG Offline"},
    {kCmdUuencode, 3008, "uu&encode"},
    {kCmdUudecode, 3009, "uu&decode"},
    {kCmdUnixToDos, 2, "&Unix-DOS convert"},
    {kCmdDosToUnix, 3, "D&OS-Unix convert"},
    {kCmdReceive, 2000, "&Receive"},
    {kCmdSend, 2003, "&Send"},
    {kCmdScriptEdit, 101, "&Edit"},
    {kCmdScriptExecute, 102, "E&xecute"},
    {kCmdScriptCheck, 104, "&Check Script Syntax"},
    {kCmdModemPort, 1008, "Modem &Port"},
    {kCmdCommStatus, 3100, "Comm &Status"},
    {kCmdBreak, 1007, "&Break"},
    {kCmdToMsDos, 1009, "To MS&DOS"},
    {kCmdAnswer, 3006, "&Answer"},
    {kCmdChat, 1004, "&Chat"},
    {kCmdCaptureSession, 1005, "Capture &Session"},
    {kCmdHangup, 1000, "&Hangup"},
    {kCmdHelpContents, 5006, "&Contents"},
    {kCmdAbout, 3001, "&About Palvex32-Dialup..."},
};

TEST(Menu, HoldsEveryCommandOnceWithItsText) {
    auto menu = Script().menus.find("FILE");
    ASSERT_NE(menu, Script().menus.end());
    for (const MenuRow& row : kMenu) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.constant, row.id) << "shell/command_ids.h names another id";
        auto count = std::count_if(menu->second.begin(), menu->second.end(),
                                   [&](const rc::MenuItem& item) { return item.id == row.id; });
        ASSERT_EQ(count, 1);
        auto item = std::find_if(menu->second.begin(), menu->second.end(),
                                 [&](const rc::MenuItem& item) { return item.id == row.id; });
        EXPECT_EQ(item->text, row.text);
    }
    EXPECT_EQ(menu->second.size(), std::size(kMenu)) << "the menu holds commands the program does not handle";
}

TEST(Menu, ScriptCommandsShareOnePopup) {
    // Edit, Execute and Check are a group; the texts "&Edit" and "E&xecute" only
    // make sense next to each other.
    const auto& items = Script().menus.at("FILE");
    std::string popup;
    for (int id : {101, 102, 104}) {
        auto item = std::find_if(items.begin(), items.end(), [&](const rc::MenuItem& i) { return i.id == id; });
        ASSERT_NE(item, items.end());
        if (popup.empty()) popup = item->popup;
        EXPECT_EQ(item->popup, popup) << id;
    }
    auto exit = std::find_if(items.begin(), items.end(), [](const rc::MenuItem& i) { return i.id == 11; });
    EXPECT_NE(exit->popup, popup);
}

// ---------------------------------------------------------------------------
// Dialog templates: titles and the controls the dialog procedures address.

enum Kind { Any, Check, Radio };

struct ControlRow {
    int id;
    const char* text;  // nullptr: not fixed
    Kind kind = Any;
};

struct DialogRow {
    const char* name;
    const char* title;  // nullptr: set by the procedure or not fixed
    std::vector<ControlRow> controls;
    std::vector<const char*> labels = {};  // static texts without a fixed id
    std::vector<int> absent = {};          // ids that must not exist
    std::vector<int> hidden = {};          // ids that must start hidden
    int defaultButton = 0;
};

const ControlRow kOkCancelHelp[] = {{400, "OK"}, {300, "Cancel"}, {998, "Help"}};

std::vector<ControlRow> With(std::vector<ControlRow> rows, bool okCancelHelp = true) {
    if (okCancelHelp) rows.insert(rows.end(), std::begin(kOkCancelHelp), std::end(kOkCancelHelp));
    return rows;
}

const std::vector<DialogRow>& Dialogs() {
    static const std::vector<DialogRow> rows = {
        {"MSGDIALOG", "Message", {{1, "OK"}, {2, "CANCEL"}, {6, "Yes"}, {7, "NO"}}, {}, {}, {2, 6, 7}},
        {"DEFDIR", "Default Directory", With({{101, nullptr}, {102, nullptr}, {104, "Session capture", Check}}),
         {"Enter default directory for downloads:", "Enter default directory for session logs:"}},
        {"ABOUT", nullptr, {}},
        {"COLOR", nullptr, {{998, "Help"}}},
        {"FONTDLG", nullptr, {}},
        {"COMMSTATUS", "Communication Status",
         {{20, nullptr}, {10, nullptr, Check}, {50, nullptr}, {60, nullptr}, {400, "OK"}, {11, "Reset Term"},
          {998, "Help"}},
         {"Transmission is waiting for clear-to-send signal",
          "Transmission is waiting as a result of xoff character ", "Number of characters in receive queue",
          "Number of characters in transmit queue"}},
        {"DATABIT", "Communication Parameter",
         With({{11, "None", Radio}, {12, "Odd", Radio}, {13, "Even", Radio}, {20, "1", Radio}, {22, "2", Radio},
               {50, "8", Radio}, {51, "7", Radio}}),
         {}, {21}},
        {"TERMDLG", "Terminal Preferences",
         {{120, nullptr}, {14, nullptr}, {18, "80", Radio}, {19, "132", Radio}, {13, nullptr}, {200, nullptr},
          {12, "Display controls", Check}, {17, "Local Echo", Check}, {15, "CR->CR/LF (Inbound)", Check},
          {16, "CR->CR/LF (Outbound)", Check}, {21, "Autowrap", Check}, {10, "Backspace <-> Delete", Check},
          {11, "Scroll Lock", Check}, {24, "Keypad Application", Check}, {100, "None", Radio},
          {101, "Term", Radio}, {102, "Font", Radio}, {20, "Keyboard.."}, {22, "Color.."}, {23, "Font.."},
          {998, "Help"}},
         {"Terminals", "Flow Control", "Terminal Height", "Scroll Range", "Resize when window size changes"}},
        {"KEYMAP", "Keymap Editor ", With({{401, "Default"}}), {"NumLock", "Application mode"}},
        {"KEYFUNCTION", "Key Definition", {{400, "OK"}, {300, "Cancel"}}},
        {"KEYCODE", "Keycode", {{400, "OK"}}, {"Unshifted", "Shifted", "Control"}},
        {"MODEM", nullptr, With({{1, nullptr}, {301, "Select"}})},
        {"MODEMDLG", nullptr,
         With({{500, nullptr}, {501, nullptr}, {502, nullptr}, {505, nullptr}, {507, nullptr}, {506, nullptr},
               {510, nullptr}, {508, "Result Code >>"}}),
         {"Dial", "Prefix", "Suffix", "Hangup", "InitString", "Reset", "Escape", "Valid Dial\nCharacters"}},
        {"MODEMRESULTCODE", "Modem Response",
         With({{101, nullptr}, {102, nullptr}, {103, nullptr}, {104, nullptr}, {105, nullptr}, {106, nullptr},
               {111, nullptr}, {107, nullptr}}),
         {"Busy:", "Dialtone:", "Carrier:", "Answer:", "Timeout:", "Error:", "OK:", "Connect:"}},
        {"DIALDIALOG", "Dial", {{300, "Cancel"}, {4, nullptr}, {6, nullptr}, {10, nullptr}, {20, nullptr}, {11, nullptr}},
         {"Dialing:", "Status:", "Last status:", "Timer:", "Retry count:"}},
        {"PORT", "Check modem port", {{400, "OK"}, {12, nullptr}}},
        {"PHONEDIALOG", "Phonebook",
         {{500, "Dial"}, {103, "New"}, {105, "Edit"}, {205, "Copy"}, {104, "Delete"}, {102, "Autolog"},
          {107, "Options"}, {111, "Remove"}, {300, "Cancel"}, {998, "Help"}, {108, "Batch dial", Check},
          {106, nullptr}, {109, nullptr}, {101, nullptr}, {110, nullptr}},
         {"Batch dial entries:", "Port:Baud,Databits,Parity,Stopbit"}, {}, {}, 500},
        {"COPYOPTION", "Copy to a New Service", With({{101, nullptr}, {102, nullptr}, {103, nullptr}}),
         {"Service Name:", "Phone:", "Phone Prefix:"}},
        {"DIALOPTION", "Dialing Options", With({{101, nullptr}, {108, nullptr}}), {"Retry Dial Count:", "Timeout:"}},
        {"SERVICE", "Communication Setting",
         With({{100, nullptr}, {200, nullptr}, {15, nullptr}, {170, nullptr}, {160, nullptr}, {20, "1", Radio},
               {22, "2", Radio}, {11, "None", Radio}, {12, "Odd", Radio}, {13, "Even", Radio}, {50, "8", Radio},
               {51, "7", Radio}, {52, "Pulse", Radio}, {53, "Tone", Radio}, {54, "None", Radio},
               {18, "Def. Setting"}, {60, "Modem.."}, {70, "Term.."}, {80, "Protocol.."}}),
         {}, {21}},
        {"XFRDLG", "File Receiving",
         {{10, nullptr}, {11, nullptr}, {12, nullptr}, {13, nullptr}, {14, nullptr}, {15, nullptr}, {16, nullptr},
          {17, nullptr}, {18, nullptr}, {19, nullptr}, {100, nullptr}, {300, "Cancel"}, {20, nullptr}}},
        {"PROTODLG", "Protocol Preference",
         With({{3007, nullptr}, {255, nullptr}, {256, "Keep backup:", Check}, {3006, "Options.."},
               {301, "Def. Dir.."}}),
         {"Maximum number of errors:"}},
        {"ZMODEMOPTION", nullptr,
         With({{102, "Send skip if file exists", Check}, {103, "Crash recover", Check},
               {104, "Segmented streaming", Check}, {105, "Escape control", Check}})},
        {"KERMITOPTION", nullptr, With({{101, nullptr}, {102, "Eightbit prefixing:", Check}}), {"Packet size:"}},
        {"ASCIIOPTIONS", nullptr,
         With({{101, "Strip linefeed when sending", Check}, {102, nullptr}, {103, nullptr}, {105, nullptr},
               {104, nullptr}}),
         {"Character to initiate transfer", "Character to end file transfer"}},
        {"BATCHLIST", nullptr,
         {{101, nullptr}, {301, "Add"}, {302, "Delete"}, {400, "Done"}, {300, "Cancel"}, {998, "Help"}}},
        {"FILEDLG", nullptr,
         {{108, nullptr}, {103, nullptr}, {105, nullptr}, {106, nullptr}, {104, "  Path:"}, {107, nullptr},
          {109, nullptr}, {400, "OK"}, {300, "Cancel"}},
         {"Filename:", "Filetype:"}, {}, {107, 109}},
        {"FILEOPEN", nullptr,
         {{108, nullptr}, {103, nullptr}, {105, nullptr}, {106, nullptr}, {104, "  Path:"}, {107, nullptr},
          {109, nullptr}, {400, "OK"}, {300, "Cancel"}},
         {"Filename:", "Filetype:"}, {}, {107, 109}},
        {"SCRIPTDLG", "Script", {{10, nullptr}, {300, "Cancel"}}},
        {"PRINTABORT", "Print", {{300, "Cancel"}}, {"Printing...."}},
        {"PRINTSETUP", nullptr, {}},
    };
    return rows;
}

const rc::Dialog* FindDialog(const std::string& name) {
    auto found = Script().dialogs.find(rc::Upper(name));
    return found == Script().dialogs.end() ? nullptr : &found->second;
}

const rc::Control* FindControl(const rc::Dialog& dialog, int id) {
    for (const rc::Control& c : dialog.controls)
        if (c.id && *c.id == id) return &c;
    return nullptr;
}

// The window class a control statement creates.
std::string ClassOf(const rc::Control& c) {
    if (c.keyword == "CONTROL") return rc::Upper(c.className);
    if (c.keyword == "LTEXT" || c.keyword == "RTEXT" || c.keyword == "CTEXT" || c.keyword == "ICON") return "STATIC";
    if (c.keyword == "EDITTEXT") return "EDIT";
    if (c.keyword == "LISTBOX" || c.keyword == "COMBOBOX" || c.keyword == "SCROLLBAR") return c.keyword;
    return "BUTTON";
}

TEST(Dialogs, TitlesAndControlsAsTheProceduresExpect) {
    for (const DialogRow& row : Dialogs()) {
        SCOPED_TRACE(row.name);
        const rc::Dialog* dialog = FindDialog(row.name);
        ASSERT_NE(dialog, nullptr) << "missing template";
        if (row.title) {
            ASSERT_TRUE(dialog->caption.has_value());
            EXPECT_EQ(*dialog->caption, row.title);
        }
        for (const ControlRow& want : row.controls) {
            SCOPED_TRACE(want.id);
            const rc::Control* c = FindControl(*dialog, want.id);
            ASSERT_NE(c, nullptr) << "missing control";
            if (want.text) {
                EXPECT_EQ(c->text, want.text);
            }
            if (want.kind == Check) {
                EXPECT_EQ(ClassOf(*c), "BORCHECK");
            }
            if (want.kind == Radio) {
                EXPECT_EQ(ClassOf(*c), "BORRADIO");
            }
        }
        for (const char* label : row.labels) {
            bool found = std::any_of(dialog->controls.begin(), dialog->controls.end(),
                                     [&](const rc::Control& c) { return c.text == label; });
            EXPECT_TRUE(found) << "no control reads \"" << label << "\"";
        }
        for (int id : row.absent) EXPECT_EQ(FindControl(*dialog, id), nullptr) << id << " must not exist";
        for (int id : row.hidden) {
            const rc::Control* c = FindControl(*dialog, id);
            ASSERT_NE(c, nullptr) << id;
            EXPECT_FALSE(c->visible()) << id << " must start hidden";
        }
        if (row.defaultButton) {
            const rc::Control* c = FindControl(*dialog, row.defaultButton);
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(c->keyword, "DEFPUSHBUTTON");
        }
    }
}

TEST(Dialogs, EveryTemplateIsOneTheProgramOpens) {
    for (const auto& [name, dialog] : Script().dialogs) {
        bool known = std::any_of(Dialogs().begin(), Dialogs().end(),
                                 [&](const DialogRow& row) { return rc::Upper(row.name) == name; });
        EXPECT_TRUE(known) << name;
    }
}

// Every id of shell/dialog_ids.h, with the kind of control the procedures
// treat it as.
struct HeaderRow {
    const char* dialog;
    int id;
    const char* windowClass;
};

const HeaderRow kHeaderIds[] = {
    {"MSGDIALOG", dlg::kMsgIcon, "STATIC"},
    {"MSGDIALOG", dlg::kMsgText, "STATIC"},
    {"MSGDIALOG", dlg::kMsgOk, "BUTTON"},
    {"MSGDIALOG", dlg::kMsgCancel, "BUTTON"},
    {"MSGDIALOG", dlg::kMsgYes, "BUTTON"},
    {"MSGDIALOG", dlg::kMsgNo, "BUTTON"},
    {"DEFDIR", dlg::kDirDownload, "EDIT"},
    {"DEFDIR", dlg::kDirSession, "EDIT"},
    {"DEFDIR", dlg::kDirCapture, "BORCHECK"},
    {"DEFDIR", dlg::kOk, "BUTTON"},
    {"DEFDIR", dlg::kCancel, "BUTTON"},
    {"DEFDIR", dlg::kHelp, "BUTTON"},
    {"ABOUT", dlg::kAboutMemory, "STATIC"},
    {"ABOUT", dlg::kOk, "BUTTON"},
    {"COMMSTATUS", dlg::kStatusCtsHold, "STATIC"},
    {"COMMSTATUS", dlg::kStatusXoffHold, "BORCHECK"},
    {"COMMSTATUS", dlg::kStatusInQueue, "STATIC"},
    {"COMMSTATUS", dlg::kStatusOutQueue, "STATIC"},
    {"COMMSTATUS", dlg::kStatusResetTerm, "BUTTON"},
    {"DATABIT", dlg::kParityBase, "BORRADIO"},
    {"DATABIT", dlg::kParityBase + 2, "BORRADIO"},
    {"DATABIT", dlg::kStopBitsBase, "BORRADIO"},
    {"DATABIT", dlg::kStopBitsBase + 2, "BORRADIO"},
    {"DATABIT", dlg::kDataBitsBase, "BORRADIO"},
    {"DATABIT", dlg::kDataBitsBase + 1, "BORRADIO"},
    {"TERMDLG", dlg::kTermTypeList, "LISTBOX"},
    {"TERMDLG", dlg::kTermFlowList, "LISTBOX"},
    {"TERMDLG", dlg::kTermWidth80, "BORRADIO"},
    {"TERMDLG", dlg::kTermWidth132, "BORRADIO"},
    {"TERMDLG", dlg::kTermHeight, "EDIT"},
    {"TERMDLG", dlg::kTermScrollRange, "EDIT"},
    {"TERMDLG", dlg::kTermDisplayControls, "BORCHECK"},
    {"TERMDLG", dlg::kTermLocalEcho, "BORCHECK"},
    {"TERMDLG", dlg::kTermCrLfIn, "BORCHECK"},
    {"TERMDLG", dlg::kTermCrLfOut, "BORCHECK"},
    {"TERMDLG", dlg::kTermAutowrap, "BORCHECK"},
    {"TERMDLG", dlg::kTermBsDel, "BORCHECK"},
    {"TERMDLG", dlg::kTermScrollLock, "BORCHECK"},
    {"TERMDLG", dlg::kTermKeypadApp, "BORCHECK"},
    {"TERMDLG", dlg::kTermResizeBase, "BORRADIO"},
    {"TERMDLG", dlg::kTermResizeBase + 2, "BORRADIO"},
    {"TERMDLG", dlg::kTermKeyboard, "BUTTON"},
    {"TERMDLG", dlg::kTermColor, "BUTTON"},
    {"TERMDLG", dlg::kTermFont, "BUTTON"},
    {"COLOR", dlg::kColorItemList, "LISTBOX"},
    {"COLOR", dlg::kColorRedBar, "SCROLLBAR"},
    {"COLOR", dlg::kColorGreenBar, "SCROLLBAR"},
    {"COLOR", dlg::kColorBlueBar, "SCROLLBAR"},
    {"COLOR", dlg::kColorRedValue, "EDIT"},
    {"COLOR", dlg::kColorGreenValue, "EDIT"},
    {"COLOR", dlg::kColorBlueValue, "EDIT"},
    {"COLOR", dlg::kColorPreview, "STATIC"},
    {"COLOR", dlg::kColorSwatchFirst, "STATIC"},
    {"COLOR", dlg::kColorSwatchFirst + dlg::kColorSwatchCount - 1, "STATIC"},
    {"COLOR", dlg::kColorDefault, "BUTTON"},
    {"FONTDLG", dlg::kFontFaceList, "LISTBOX"},
    {"FONTDLG", dlg::kFontSizeList, "LISTBOX"},
    {"FONTDLG", dlg::kFontCharsetCombo, "COMBOBOX"},
    {"FONTDLG", dlg::kFontSample, "STATIC"},
    {"KEYMAP", dlg::kKeySlotBase + 8, "BUTTON"},   // "Etr"
    {"KEYMAP", dlg::kKeySlotBase + 31, "BUTTON"},  // F1
    {"KEYMAP", dlg::kKeySlotBase + 42, "BUTTON"},  // F12
    {"KEYMAP", dlg::kKeyCodeBase + 'A', "BUTTON"},
    {"KEYMAP", dlg::kKeyCodeBase + 0x20, "BUTTON"},
    {"KEYMAP", dlg::kKeymapNumLock, "BORCHECK"},
    {"KEYMAP", dlg::kKeymapAppMode, "BORCHECK"},
    {"KEYMAP", dlg::kKeymapDefault, "BUTTON"},
    {"KEYFUNCTION", dlg::kKeyFuncName, "STATIC"},
    {"KEYFUNCTION", dlg::kKeyFuncText, "EDIT"},
    {"KEYCODE", dlg::kKeyCodeUnshifted, "BORRADIO"},
    {"KEYCODE", dlg::kKeyCodeShifted, "BORRADIO"},
    {"KEYCODE", dlg::kKeyCodeControl, "BORRADIO"},
    {"KEYCODE", dlg::kKeyCodeChar, "STATIC"},
    {"KEYCODE", dlg::kKeyCodeValue, "STATIC"},
    {"MODEM", dlg::kModemList, "LISTBOX"},
    {"MODEM", dlg::kModemSelect, "BUTTON"},
    {"MODEMDLG", dlg::kProfilePrefix, "EDIT"},
    {"MODEMDLG", dlg::kProfileSuffix, "EDIT"},
    {"MODEMDLG", dlg::kProfileHangup, "EDIT"},
    {"MODEMDLG", dlg::kProfileInit, "EDIT"},
    {"MODEMDLG", dlg::kProfileEscape, "EDIT"},
    {"MODEMDLG", dlg::kProfileReset, "EDIT"},
    {"MODEMDLG", dlg::kProfileResultCodes, "BUTTON"},
    {"MODEMDLG", dlg::kProfileValidChars, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultBusy, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultDialtone, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultCarrier, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultAnswer, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultTimeout, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultError, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultConnect, "EDIT"},
    {"MODEMRESULTCODE", dlg::kResultOk, "EDIT"},
    {"DIALDIALOG", dlg::kDialNumber, "STATIC"},
    {"DIALDIALOG", dlg::kDialStatus, "STATIC"},
    {"DIALDIALOG", dlg::kDialLastStatus, "STATIC"},
    {"DIALDIALOG", dlg::kDialTimer, "STATIC"},
    {"DIALDIALOG", dlg::kDialRetries, "STATIC"},
    {"PORT", dlg::kPortStatus, "STATIC"},
    {"PHONEDIALOG", dlg::kPhoneList, "LISTBOX"},
    {"PHONEDIALOG", dlg::kPhoneBatchList, "LISTBOX"},
    {"PHONEDIALOG", dlg::kPhoneDirList, "LISTBOX"},
    {"PHONEDIALOG", dlg::kPhoneNumber, "STATIC"},
    {"PHONEDIALOG", dlg::kPhonePortSummary, "STATIC"},
    {"PHONEDIALOG", dlg::kPhoneBatchDial, "BORCHECK"},
    {"PHONEDIALOG", dlg::kPhoneDial, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneAutolog, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneNew, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneDelete, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneEdit, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneOptions, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneRemove, "BUTTON"},
    {"PHONEDIALOG", dlg::kPhoneCopy, "BUTTON"},
    {"COPYOPTION", dlg::kCopyName, "EDIT"},
    {"COPYOPTION", dlg::kCopyPhone, "EDIT"},
    {"COPYOPTION", dlg::kCopyPrefix, "EDIT"},
    {"DIALOPTION", dlg::kDialOptRetries, "EDIT"},
    {"DIALOPTION", dlg::kDialOptTimeout, "EDIT"},
    {"SERVICE", dlg::kServiceName, "EDIT"},
    {"SERVICE", dlg::kServiceNumber, "EDIT"},
    {"SERVICE", dlg::kServicePrefix, "EDIT"},
    {"SERVICE", dlg::kServicePort, "COMBOBOX"},
    {"SERVICE", dlg::kServiceBaud, "COMBOBOX"},
    {"SERVICE", dlg::kPhoneTypeBase, "BORRADIO"},
    {"SERVICE", dlg::kPhoneTypeBase + 2, "BORRADIO"},
    {"SERVICE", dlg::kServiceDefaults, "BUTTON"},
    {"SERVICE", dlg::kServiceModem, "BUTTON"},
    {"SERVICE", dlg::kServiceTerm, "BUTTON"},
    {"SERVICE", dlg::kServiceProtocol, "BUTTON"},
    {"XFRDLG", dlg::kXfrFileName, "STATIC"},
    {"XFRDLG", dlg::kXfrProtocol, "STATIC"},
    {"XFRDLG", dlg::kXfrStatus, "STATIC"},
    {"XFRDLG", dlg::kXfrBytes, "STATIC"},
    {"XFRDLG", dlg::kXfrElapsed, "STATIC"},
    {"XFRDLG", dlg::kXfrFileSize, "STATIC"},
    {"XFRDLG", dlg::kXfrError, "STATIC"},
    {"XFRDLG", dlg::kXfrCps, "STATIC"},
    {"XFRDLG", dlg::kXfrPercent, "STATIC"},
    {"XFRDLG", dlg::kXfrProgressBar, "STATIC"},
    {"XFRDLG", dlg::kXfrMinimize, "BUTTON"},
    {"XFRDLG", dlg::kXfrTotalErrors, "STATIC"},
    {"XFRDLG", dlg::kXfrButton, "BUTTON"},
    {"PROTODLG", dlg::kProtoList, "LISTBOX"},
    {"PROTODLG", dlg::kProtoMaxErrors, "EDIT"},
    {"PROTODLG", dlg::kProtoKeepBackup, "BORCHECK"},
    {"PROTODLG", dlg::kProtoOptions, "BUTTON"},
    {"PROTODLG", dlg::kProtoDefDir, "BUTTON"},
    {"ZMODEMOPTION", dlg::kZSkipExisting, "BORCHECK"},
    {"ZMODEMOPTION", dlg::kZCrashRecover, "BORCHECK"},
    {"ZMODEMOPTION", dlg::kZSegmented, "BORCHECK"},
    {"ZMODEMOPTION", dlg::kZEscapeControl, "BORCHECK"},
    {"KERMITOPTION", dlg::kKermitPacketSize, "EDIT"},
    {"KERMITOPTION", dlg::kKermitEightBit, "BORCHECK"},
    {"ASCIIOPTIONS", dlg::kAsciiStripLf, "BORCHECK"},
    {"ASCIIOPTIONS", dlg::kAsciiStartChar, "EDIT"},
    {"ASCIIOPTIONS", dlg::kAsciiEndChar, "EDIT"},
    {"ASCIIOPTIONS", dlg::kAsciiCharDelay, "EDIT"},
    {"ASCIIOPTIONS", dlg::kAsciiLineDelay, "EDIT"},
    {"BATCHLIST", dlg::kBatchList, "LISTBOX"},
    {"BATCHLIST", dlg::kBatchAdd, "BUTTON"},
    {"BATCHLIST", dlg::kBatchDelete, "BUTTON"},
    {"BATCHLIST", dlg::kBatchDone, "BUTTON"},
    {"FILEDLG", dlg::kFileName, "EDIT"},
    {"FILEDLG", dlg::kFileType, "COMBOBOX"},
    {"FILEDLG", dlg::kFileList, "LISTBOX"},
    {"FILEDLG", dlg::kFileDirList, "LISTBOX"},
    {"FILEDLG", dlg::kFilePath, "STATIC"},
    {"FILEDLG", dlg::kFileRawFiles, "LISTBOX"},
    {"FILEDLG", dlg::kFileRawDirs, "LISTBOX"},
    {"SCRIPTDLG", dlg::kScriptState, "STATIC"},
    {"SCRIPTDLG", dlg::kScriptButton, "BUTTON"},
};

TEST(Dialogs, SharedHeaderNamesTheTemplatesControls) {
    for (const HeaderRow& row : kHeaderIds) {
        SCOPED_TRACE(std::string(row.dialog) + " " + std::to_string(row.id));
        const rc::Dialog* dialog = FindDialog(row.dialog);
        ASSERT_NE(dialog, nullptr);
        const rc::Control* c = FindControl(*dialog, row.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(ClassOf(*c), row.windowClass);
    }
}

TEST(Dialogs, KeymapButtonsCoverEverySlotTheEditorDefines) {
    // PgUp..Down (0-7), "Etr" (8), Ins (12), keypad 0-9 and operators
    // (15-26, 28-30) and F1-F12 (31-42) open the key definition.
    const rc::Dialog* keymap = FindDialog("KEYMAP");
    ASSERT_NE(keymap, nullptr);
    std::vector<int> slots = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12};
    for (int s = 15; s <= 42; ++s)
        if (s != 27) slots.push_back(s);
    for (int slot : slots) {
        const rc::Control* c = FindControl(*keymap, dlg::kKeySlotBase + slot);
        ASSERT_NE(c, nullptr) << "slot " << slot;
        EXPECT_EQ(c->style.find("WS_DISABLED"), std::string::npos) << "slot " << slot;
    }
    const struct { int slot; const char* text; } named[] = {
        {8, "Etr"}, {25, "*"}, {26, "+"}, {28, "-"}, {29, "."}, {30, "/"}, {0, "PgUp"}, {1, "PgDn"}, {12, "Ins"},
    };
    for (const auto& n : named) EXPECT_EQ(FindControl(*keymap, dlg::kKeySlotBase + n.slot)->text, n.text);
    for (int k = 0; k < 10; ++k)  // keypad digits
        EXPECT_EQ(FindControl(*keymap, dlg::kKeySlotBase + 15 + k)->text, std::to_string(k));
    for (int k = 1; k <= 12; ++k) {
        std::string name = "F";
        name += std::to_string(k);
        EXPECT_EQ(FindControl(*keymap, dlg::kKeySlotBase + 30 + k)->text, name);
    }
}

TEST(Dialogs, KeymapCodeButtonsCarryTheirVirtualKey) {
    // The editor shows the code of virtual key (id - 1000): a label that does not
    // match its id would show another key's code.
    const rc::Dialog* keymap = FindDialog("KEYMAP");
    ASSERT_NE(keymap, nullptr);
    std::vector<std::pair<int, std::string>> keys = {
        {0x1B, "Esc"}, {0xC0, "`"}, {0xBD, "-"}, {0xBB, "="}, {0x08, "BS"}, {0x09, "Tab"}, {0xDB, "["},
        {0xDD, "]"}, {0xDC, "\\"}, {0xBA, ";"}, {0xDE, "'"}, {0x0D, "Enter"}, {0xBC, ","}, {0xBE, "."},
        {0xBF, "/"}, {0x20, "Space"},
    };
    for (char c = 'A'; c <= 'Z'; ++c) keys.push_back({c, std::string(1, c)});
    for (char c = '0'; c <= '9'; ++c) keys.push_back({c, std::string(1, c)});
    for (const auto& [vk, label] : keys) {
        const rc::Control* c = FindControl(*keymap, dlg::kKeyCodeBase + vk);
        ASSERT_NE(c, nullptr) << label;
        EXPECT_EQ(c->text, label) << vk;
    }
    int codeButtons = static_cast<int>(std::count_if(keymap->controls.begin(), keymap->controls.end(),
                                                     [](const rc::Control& c) { return c.id && *c.id >= 1000; }));
    EXPECT_EQ(codeButtons, static_cast<int>(keys.size()));
}

TEST(Dialogs, ColourSwatchesAreSixteenInTableOrder) {
    const rc::Dialog* color = FindDialog("COLOR");
    ASSERT_NE(color, nullptr);
    int previousX = -1;
    for (int k = 0; k < dlg::kColorSwatchCount; ++k) {
        const rc::Control* c = FindControl(*color, dlg::kColorSwatchFirst + k);
        ASSERT_NE(c, nullptr) << k;
        EXPECT_NE(c->style.find("SS_NOTIFY"), std::string::npos) << k << " must report clicks";
        EXPECT_GT(c->x, previousX) << k;
        previousX = c->x;
    }
}

// ---------------------------------------------------------------------------
// Conventions every template keeps.

bool IsButtonKind(const rc::Control& c, const char* styleWord) {
    return ClassOf(c) == "BUTTON" && c.style.find(styleWord) != std::string::npos;
}

TEST(Dialogs, UseTheBorlandClassesAndTheSharedHelpButton) {
    for (const auto& [name, dialog] : Script().dialogs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(dialog.className.has_value());
        EXPECT_EQ(rc::Upper(*dialog.className), "BORDLG_GRAY");
        ASSERT_TRUE(dialog.font.has_value());
        EXPECT_EQ(*dialog.font, "8, MS Sans Serif");
        for (const rc::Control& c : dialog.controls) {
            SCOPED_TRACE(c.text);
            EXPECT_TRUE(c.keyword != "CHECKBOX" && c.keyword != "AUTOCHECKBOX" && c.keyword != "RADIOBUTTON" &&
                        c.keyword != "AUTORADIOBUTTON" && c.keyword != "GROUPBOX" && c.keyword != "STATE3")
                << c.keyword << " instead of a Borland control";
            EXPECT_FALSE(IsButtonKind(c, "CHECKBOX") || IsButtonKind(c, "RADIOBUTTON") ||
                         IsButtonKind(c, "BS_GROUPBOX"));
            // The procedures know OK and Cancel as 400 and 300; only the message
            // box (results are MessageBox codes) and the common dialog's own
            // template use 1 and 2.
            if (name != "MSGDIALOG" && name != "PRINTSETUP" && ClassOf(c) == "BUTTON") {
                if (c.text == "OK") {
                    EXPECT_EQ(c.id.value_or(0), dlg::kOk);
                }
                if (c.text == "Cancel") {
                    EXPECT_EQ(c.id.value_or(0), dlg::kCancel);
                }
            }
            bool helpText = c.text == "Help" || c.text == "&Help";
            bool helpId = c.id && *c.id == dlg::kHelp;
            EXPECT_EQ(helpText, helpId) << "Help buttons are 998 and 998 is Help";
        }
    }
}

TEST(Dialogs, ControlsUseOnlyClassesThatAreRegistered) {
    // The standard classes and the ones bwcc32.dll registers; anything else
    // makes CreateDialog fail as a whole.
    const std::vector<std::string> known = {"BUTTON", "STATIC",   "EDIT",     "LISTBOX", "COMBOBOX",
                                            "SCROLLBAR", "BorCheck", "BorRadio", "BorShade"};
    for (const auto& [name, dialog] : Script().dialogs) {
        for (const rc::Control& c : dialog.controls) {
            if (c.keyword != "CONTROL") continue;
            bool found = std::any_of(known.begin(), known.end(), [&](const std::string& k) {
                return k == c.className || (rc::Upper(k) == k && k == rc::Upper(c.className));
            });
            EXPECT_TRUE(found) << name << ": class \"" << c.className << "\"";
        }
    }
}

TEST(Dialogs, ControlIdsAreUniqueWithinEachTemplate) {
    for (const auto& [name, dialog] : Script().dialogs) {
        std::vector<int> ids;
        for (const rc::Control& c : dialog.controls)
            if (c.id && *c.id != -1) ids.push_back(*c.id);
        std::sort(ids.begin(), ids.end());
        auto twice = std::adjacent_find(ids.begin(), ids.end());
        EXPECT_EQ(twice, ids.end()) << name << ": id " << (twice == ids.end() ? 0 : *twice) << " twice";
    }
}

bool Interactive(const rc::Control& c) {
    std::string cls = ClassOf(c);
    return c.visible() && cls != "STATIC" && cls != "BORSHADE";
}

bool Overlap(const rc::Control& a, const rc::Control& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(Dialogs, VisibleControlsFitAndDoNotCoverEachOther) {
    for (const auto& [name, dialog] : Script().dialogs) {
        SCOPED_TRACE(name);
        for (size_t i = 0; i < dialog.controls.size(); ++i) {
            const rc::Control& a = dialog.controls[i];
            if (!a.visible()) continue;
            // A combo box's height includes its dropped-down list.
            int shownHeight = ClassOf(a) == "COMBOBOX" ? std::min(a.h, 14) : a.h;
            bool inside = a.x >= 0 && a.y >= 0 && a.x + a.w <= dialog.w && a.y + shownHeight <= dialog.h;
            EXPECT_TRUE(inside) << "\"" << a.text << "\" (" << (a.id ? *a.id : 0) << ") leaves the dialog";
            if (!Interactive(a)) continue;
            for (size_t j = i + 1; j < dialog.controls.size(); ++j) {
                const rc::Control& b = dialog.controls[j];
                if (Interactive(b) && ClassOf(b) != "COMBOBOX" && ClassOf(a) != "COMBOBOX") {
                    EXPECT_FALSE(Overlap(a, b)) << "\"" << a.text << "\" and \"" << b.text << "\" overlap";
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Pictures: the program loads them by name and draws the toolbar ones into
// 64 x 50 buttons.

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(Pictures, BitmapsExistInTheirSizes) {
    const struct { const char* name; int width, height; } kBitmaps[] = {
        {"EXITBM", 64, 50},      {"HANGUPBM", 64, 50},    {"PHONEBOOKBM", 64, 50}, {"FILERECEIVEBM", 64, 50},
        {"FILESENDBM", 64, 50},  {"HELPBM", 64, 50},      {"MSDOSBM", 64, 50},     {"GIFJPEGBM", 64, 50},
        {"UUDECODE", 64, 50},    {"UUENCODE", 64, 50},    {"Test", 0, 0},
    };
    for (const auto& want : kBitmaps) {
        SCOPED_TRACE(want.name);
        auto found = std::find_if(Script().bitmaps.begin(), Script().bitmaps.end(),
                                  [&](const auto& b) { return rc::Upper(b.first) == rc::Upper(want.name); });
        ASSERT_NE(found, Script().bitmaps.end());
        auto bytes = ReadBytes(ResourceDir() / found->second);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        int width = static_cast<int32_t>(Le32(bytes, 18));
        int height = static_cast<int32_t>(Le32(bytes, 22));
        if (want.width) {
            EXPECT_EQ(width, want.width);
            EXPECT_EQ(height, want.height);
        } else {
            EXPECT_GE(width, 200);  // a start-up picture, not a button face
            EXPECT_GE(height, 100);
        }
    }
}

TEST(Pictures, IconHoldsLargeAndSmallImages) {
    auto found = Script().icons.find("PALVEX");
    ASSERT_NE(found, Script().icons.end());
    auto bytes = ReadBytes(ResourceDir() / found->second);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes[2], 1);  // type: icon
    int count = bytes[4] | bytes[5] << 8;
    std::vector<int> sizes;
    for (int k = 0; k < count; ++k) sizes.push_back(bytes[6 + 16 * k]);
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

}  // namespace
