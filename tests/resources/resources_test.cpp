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

// The id is the named one of shell/string_ids.h or shell/command_ids.h, so a
// header that names another id shows as a text mismatch.
struct TextRow {
    int id;
    const char* text;
};

const TextRow kStrings[] = {
    {str::kStrFileOpenError, "File open error"},
    {str::kStrScrollRangeInvalid, "Scroll range must be in the range 24-3000"},
    {str::kStrScrollRangeOnRestart, "Scroll range would take into effect when you restart"},
    {str::kStrIllegalServiceName, "No service name or lllegal service name specified (see help on troubleshooting)"},
    {str::kStrTermPageSize, "Term page size must be in range 24 and 99."},
    {str::kStrSelectDatabits, "Select either 7 databits or no parity."},
    {str::kStrSpecifyPhoneNumber, "Specify phone number or set phonetype to none for direct/answer connection."},
    {str::kStrInvalidPhoneType, "Invalid phone type specified"},
    {str::kStrInvalidPhoneNumber, "Invalid phone number specified"}, {str::kStrHangUpFirst, "You must hang up first"},
    {str::kStrDeviceOpenError, "Device open error"}, {str::kStrCheckPath, "Check your path and directory"},
    {str::kStrFileNotExists, "File does not exits, Check path"},
    {str::kStrModemInitFailed, "Initialization failed, Check your modem port/modem init string"},
    {str::kStrInvalidHexString, "Invalid hex string"}, {str::kStrDownloadDirNotFound, "Download directory not found"},
    {str::kStrSessionDirNotFound, "Session directory not found"}, {str::kStrFileReadFailed, "Failed to read file"},
    {str::kStrScriptFileNotFound, "Script file not found"}, {str::kStrBatchDialEmpty, "No entries in batch dial list"},
    {str::kStrConfirmDelete, "Are you sure, you want to delete this entry ?"}, {str::kStrNoPrinter, "No printer found"},
    {str::kStrPrintCancelled, "User cancelled printing"}, {str::kStrPrintFailed, "Failed to print"},
    {str::kStrEncodeComplete, "Encoding complete"}, {str::kStrDecodeComplete, "Decoding complete"},
    {str::kStrEncodeCancelled, "Encoding cancelled"}, {str::kStrDecodeCancelled, "Decoding cancelled"},
    {str::kStrDecodeError, "Decoding error"}, {str::kStrWrongFileType, "File is of wrong type"},
    {str::kStrOverwriteLog, "File exists. Do you want to overwrite logfile (yes) or append to an existing one(no) ?"},
    {str::kStrAllocFailed, "Failed to allocate memory"}, {str::kStrLockFailed, "Failed to lock memory"},
    {str::kStrClipboardEmpty, "No data in the clipboard"},
    {str::kStrViewerFailed, "Failed to activate GIF/JPEG viewer."},
    {str::kStrScriptServiceMissing, "No entry found of this online service in phonebook"},
    {str::kStrScriptNoExit, "No exit found"}, {str::kStrScriptIllegalLine, "Illegal line number"},
    {str::kStrScriptMissingQuote, "Missing quote in line number"},
    {str::kStrScriptCheckComplete, "Script check complete"},
    {str::kStrScriptBadTimeout, "Invalid timeout value specified"},
    {str::kStrScriptWaitTimeout, "No matching string found within timeout period"},
    {str::kStrUuFilenameNotFound, "Filename not found in "}, {str::kStrUuBeginNotFound, "Begin is not found in file "},
    {str::kStrUuIllegalLine, "IIlegal line number"}, {str::kStrHintPhonebook, "Open phonebook"},
    {str::kStrHintHelp, "Display context sensitive help"}, {str::kStrHintPrintBuffer, "Print scrollback buffer"},
    {str::kStrHintExit, "Exit from this program"}, {str::kStrHintHangup, "Hangup modem"},
    {str::kStrHintMsDos, "Switch to MS-DOS"}, {str::kStrHintModemSetting, "Select/setup modem"},
    {str::kStrHintPrintLogfile, "Print session capture file"},
    {str::kStrHintCapture, "Enable/disable session capture to a file"},
    {str::kStrHintProtocol, "Select file transfer protocol"}, {str::kStrHintReceive, "Download files from remote"},
    {str::kStrHintSend, "Upload files to remote"}, {str::kStrHintPrintSetup, "Select/setup your printer"},
    {str::kStrHintDefaultDir, "Modify download/session capture directory"}, {str::kStrHintChat, "Chat with remote user"},
    {str::kStrHintColor, "Modify terminal text & background colors"},
    {str::kStrHintUudecode, "uudecode an internet file"}, {str::kStrHintUuencode, "uuencode a binary file"},
    {str::kStrHintAbout, "About this program"}, {str::kStrHintViewRealtime, "Enable/disable view GIF/JPEG in realtime"},
    {str::kStrHintViewOffline, "View GIF/JPEG offline"}, {str::kStrHintCopy, "Copy selected text to clipboard"},
    {str::kStrHintTransmit, "Transmit clipboard text to remote"}, {str::kStrHintClearBuffer, "Clear scrollback buffer"},
    {str::kStrHintScriptExecute, "Execute script file"}, {str::kStrHintScriptCheck, "Check syntax of script file"},
    {str::kStrHintScriptEdit, "Edit a script file"}, {str::kStrHintFonts, "Select a font"},
    {str::kStrHintTerminalPrefs, "Modify terminal settings"},
    {str::kStrHintKeyboard, "Display keyboard and define function keys"}, {str::kStrHintModemPort, "Look for modem"},
    {str::kStrHintCommStatus, "Communication status"}, {str::kStrHintBreak, "Send a break to remote"},
    {str::kStrHintAnswer, "Wait for ring and then connect"}, {str::kStrHintSysSize, "Change Palvex window size"},
    {str::kStrHintSysMaximize, "Enlarge Palvex window to fill screen"},
    {str::kStrHintSysMinimize, "Iconize Palvex window"}, {str::kStrHintSysClose, "Exit from this program"},
    {str::kStrHintSysRestore, "Restore Palvex window to normal size"},
    {str::kStrHintSysTaskList, "Switch to another task"}, {str::kStrHintSysMove, "Change Palvex window position"},
    {str::kStrBatchAllocFailed, "Failed to alloc memory, delete some entries."},
    {str::kStrBatchListFull, "No more entries allowed, low memory"},
    {str::kStrKermitSizeInvalid, "Invalid size for kermit buffer"},
    {str::kStrKermitBufferFailed, "Memory allocation for kermit buffer failed. Specify lower size."},
    {str::kStrMaxErrorsInvalid, "Invalid value for maximum errors"}, {str::kStrConvertComplete, "Coversion complete"},
    {str::kStrConvertCancelled, "Conversion cancelled"},
    {str::kStrHintUnixToDos, "Convert Unix text file to DOS format"},
    {str::kStrHintDosToUnix, "Convert DOS text file to Unix format"}, {str::kStrConvertError, "Translation error"},
    {str::kStrDialFailed, "Failed to connect, all attempts tried !"},
    {str::kStrHintCommParameters, "Set Communication parameters"},
    {str::kStrAsciiDelayInvalid, "Invalid entry for line/char delay"},
    {str::kStrCarrierLoss, "Carrier loss, Disconnected"}, {str::kStrHintResetTerm, "Reset terminal setting"},
    {str::kStrHintCopyPrinter, "Print selected text"}, {str::kStrHintSelectAll, "Select all"},
    {str::kStrHintPrintTransparent, "Enable/disable transparent print"},
};

TEST(StringTable, HoldsEveryTextUnderItsIdAndNothingElse) {
    const auto& strings = Script().strings;
    for (const TextRow& row : kStrings) {
        auto found = strings.find(row.id);
        ASSERT_NE(found, strings.end()) << "missing: " << row.text;
        EXPECT_EQ(found->second, row.text) << row.id;
    }
    EXPECT_TRUE(Script().duplicateStrings.empty());
    for (const auto& [id, text] : strings) {
        bool known = std::any_of(std::begin(kStrings), std::end(kStrings),
                                 [id = id](const TextRow& row) { return row.id == id; });
        EXPECT_TRUE(known) << "unexpected string " << id << ": " << text;
        EXPECT_LE(text.size(), 511u) << id << " overflows the 512-byte message buffer";
    }
}

// The menu "File" is the command table; the toolbar sends the same ids.
const TextRow kMenu[] = {
    {kCmdPhonebook, "&Phonebook"}, {kCmdPrintSetup, "Print &Setup"}, {kCmdPrintBuffer, "&Print Buffer"},
    {kCmdPrintLogfile, "Print &Logfile"}, {kCmdPrintTransparent, "Print &Transparent"}, {kCmdExit, "E&xit"},
    {kCmdCopy, "&Copy"}, {kCmdTransmit, "&Transmit"}, {kCmdCopyPrinter, "Copy &Printer"}, {kCmdSelectAll, "Select &All"},
    {kCmdClearBuffer, "C&lear Buffer"}, {kCmdModemSetting, "&Modem Setting"},
    {kCmdCommParameters, "C&ommunication Parameters"}, {kCmdTerminalPrefs, "&Terminal Prefs."}, {kCmdFonts, "&Fonts"},
    {kCmdProtocol, "&Protocol"}, {kCmdKeyboard, "&Keyboard"}, {kCmdColor, "&Color"}, {kCmdDefaultDir, "&Default Dir"},
    {kCmdResetTerm, "&Reset Term"}, {kCmdViewRealtime, "&View Gif/JPEG Realtime"},
    {kCmdViewOffline, "View &GIF/JPEG Offline"}, {kCmdUuencode, "uu&encode"}, {kCmdUudecode, "uu&decode"},
    {kCmdUnixToDos, "&Unix-DOS convert"}, {kCmdDosToUnix, "D&OS-Unix convert"}, {kCmdReceive, "&Receive"},
    {kCmdSend, "&Send"}, {kCmdScriptEdit, "&Edit"}, {kCmdScriptExecute, "E&xecute"},
    {kCmdScriptCheck, "&Check Script Syntax"}, {kCmdModemPort, "Modem &Port"}, {kCmdCommStatus, "Comm &Status"},
    {kCmdBreak, "&Break"}, {kCmdToMsDos, "To MS&DOS"}, {kCmdAnswer, "&Answer"}, {kCmdChat, "&Chat"},
    {kCmdCaptureSession, "Capture &Session"}, {kCmdHangup, "&Hangup"}, {kCmdHelpContents, "&Contents"},
    {kCmdAbout, "&About Palvex32-Dialup..."},
};

TEST(Menu, HoldsEveryCommandOnceWithItsText) {
    const auto& items = Script().menus.at("FILE");
    auto byId = [&](int id) {
        return std::find_if(items.begin(), items.end(), [&](const rc::MenuItem& i) { return i.id == id; });
    };
    for (const TextRow& row : kMenu) {
        ASSERT_EQ(std::count_if(items.begin(), items.end(), [&](const rc::MenuItem& i) { return i.id == row.id; }), 1)
            << row.text;
        EXPECT_EQ(byId(row.id)->text, row.text);
    }
    EXPECT_EQ(items.size(), std::size(kMenu)) << "the menu holds commands the program does not handle";
    // "&Edit" and "E&xecute" only make sense next to each other, in one popup.
    const std::string popup = byId(kCmdScriptEdit)->popup;
    EXPECT_EQ(byId(kCmdScriptExecute)->popup, popup);
    EXPECT_EQ(byId(kCmdScriptCheck)->popup, popup);
    EXPECT_NE(byId(kCmdExit)->popup, popup);
}

// Dialog templates: titles and the controls the dialog procedures address.
enum Kind { Any, Check, Radio };

struct ControlRow {
    int id;
    const char* text;
    Kind kind = Any;
};

struct DialogRow {
    const char* name;
    const char* title;  // nullptr: set by the procedure or not fixed
    std::vector<int> ids;  // controls the procedure fills or reads
    std::vector<ControlRow> controls;
    std::vector<const char*> labels = {};  // static texts without a fixed id
    std::vector<int> absent = {};          // ids that must not exist
    std::vector<int> hidden = {};          // ids that must start hidden
    int defaultButton = 0;
};

const ControlRow kOkCancelHelp[] = {{400, "OK"}, {300, "Cancel"}, {998, "Help"}};

std::vector<ControlRow> With(std::vector<ControlRow> rows) {
    rows.insert(rows.end(), std::begin(kOkCancelHelp), std::end(kOkCancelHelp));
    return rows;
}

const std::vector<DialogRow>& Dialogs() {
    static const std::vector<DialogRow> rows = {
        {"MSGDIALOG", "Message", {}, {{1, "OK"}, {2, "CANCEL"}, {6, "Yes"}, {7, "NO"}}, {}, {}, {2, 6, 7}},
        {"DEFDIR", "Default Directory", {101, 102}, With({{104, "Session capture", Check}}),
         {"Enter default directory for downloads:", "Enter default directory for session logs:"}},
        {"ABOUT", nullptr, {}, {}},
        {"COLOR", nullptr, {}, {{998, "Help"}}},
        {"FONTDLG", nullptr, {}, {}},
        {"COMMSTATUS", "Communication Status", {20, 50, 60},
         {{10, nullptr, Check}, {400, "OK"}, {11, "Reset Term"}, {998, "Help"}},
         {"Transmission is waiting for clear-to-send signal",
          "Transmission is waiting as a result of xoff character ", "Number of characters in receive queue",
          "Number of characters in transmit queue"}},
        {"DATABIT", "Communication Parameter", {},
         With({{11, "None", Radio}, {12, "Odd", Radio}, {13, "Even", Radio}, {20, "1", Radio}, {22, "2", Radio},
               {50, "8", Radio}, {51, "7", Radio}}),
         {}, {21}},
        {"TERMDLG", "Terminal Preferences", {120, 14, 13, 200},
         {{18, "80", Radio}, {19, "132", Radio}, {12, "Display controls", Check}, {17, "Local Echo", Check},
          {15, "CR->CR/LF (Inbound)", Check}, {16, "CR->CR/LF (Outbound)", Check}, {21, "Autowrap", Check},
          {10, "Backspace <-> Delete", Check}, {11, "Scroll Lock", Check}, {24, "Keypad Application", Check},
          {100, "None", Radio}, {101, "Term", Radio}, {102, "Font", Radio}, {20, "Keyboard.."}, {22, "Color.."},
          {23, "Font.."}, {998, "Help"}},
         {"Terminals", "Flow Control", "Terminal Height", "Scroll Range", "Resize when window size changes"}},
        {"KEYMAP", "Keymap Editor ", {}, With({{401, "Default"}}), {"NumLock", "Application mode"}},
        {"KEYFUNCTION", "Key Definition", {}, {{400, "OK"}, {300, "Cancel"}}},
        {"KEYCODE", "Keycode", {}, {{400, "OK"}}, {"Unshifted", "Shifted", "Control"}},
        {"MODEM", nullptr, {1}, With({{301, "Select"}})},
        {"MODEMDLG", nullptr, {500, 501, 502, 505, 507, 506, 510}, With({{508, "Result Code >>"}}),
         {"Dial", "Prefix", "Suffix", "Hangup", "InitString", "Reset", "Escape", "Valid Dial\nCharacters"}},
        {"MODEMRESULTCODE", "Modem Response", {101, 102, 103, 104, 105, 106, 111, 107}, With({}),
         {"Busy:", "Dialtone:", "Carrier:", "Answer:", "Timeout:", "Error:", "OK:", "Connect:"}},
        {"DIALDIALOG", "Dial", {4, 6, 10, 20, 11}, {{300, "Cancel"}},
         {"Dialing:", "Status:", "Last status:", "Timer:", "Retry count:"}},
        {"PORT", "Check modem port", {12}, {{400, "OK"}}},
        {"PHONEDIALOG", "Phonebook", {106, 109, 101, 110},
         {{500, "Dial"}, {103, "New"}, {105, "Edit"}, {205, "Copy"}, {104, "Delete"}, {102, "Autolog"},
          {107, "Options"}, {111, "Remove"}, {300, "Cancel"}, {998, "Help"}, {108, "Batch dial", Check}},
         {"Batch dial entries:", "Port:Baud,Databits,Parity,Stopbit"}, {}, {}, 500},
        {"COPYOPTION", "Copy to a New Service", {101, 102, 103}, With({}),
         {"Service Name:", "Phone:", "Phone Prefix:"}},
        {"DIALOPTION", "Dialing Options", {101, 108}, With({}), {"Retry Dial Count:", "Timeout:"}},
        {"SERVICE", "Communication Setting", {100, 200, 15, 170, 160},
         With({{20, "1", Radio}, {22, "2", Radio}, {11, "None", Radio}, {12, "Odd", Radio}, {13, "Even", Radio},
               {50, "8", Radio}, {51, "7", Radio}, {52, "Pulse", Radio}, {53, "Tone", Radio}, {54, "None", Radio},
               {18, "Def. Setting"}, {60, "Modem.."}, {70, "Term.."}, {80, "Protocol.."}}),
         {}, {21}},
        {"XFRDLG", "File Receiving", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 100, 20}, {{300, "Cancel"}}},
        {"PROTODLG", "Protocol Preference", {3007, 255},
         With({{256, "Keep backup:", Check}, {3006, "Options.."}, {301, "Def. Dir.."}}), {"Maximum number of errors:"}},
        {"ZMODEMOPTION", nullptr, {},
         With({{102, "Send skip if file exists", Check}, {103, "Crash recover", Check},
               {104, "Segmented streaming", Check}, {105, "Escape control", Check}})},
        {"KERMITOPTION", nullptr, {101}, With({{102, "Eightbit prefixing:", Check}}), {"Packet size:"}},
        {"ASCIIOPTIONS", nullptr, {102, 103, 105, 104}, With({{101, "Strip linefeed when sending", Check}}),
         {"Character to initiate transfer", "Character to end file transfer"}},
        {"BATCHLIST", nullptr, {101},
         {{301, "Add"}, {302, "Delete"}, {400, "Done"}, {300, "Cancel"}, {998, "Help"}}},
        {"FILEDLG", nullptr, {108, 103, 105, 106, 107, 109}, {{104, "  Path:"}, {400, "OK"}, {300, "Cancel"}},
         {"Filename:", "Filetype:"}, {}, {107, 109}},
        {"FILEOPEN", nullptr, {108, 103, 105, 106, 107, 109}, {{104, "  Path:"}, {400, "OK"}, {300, "Cancel"}},
         {"Filename:", "Filetype:"}, {}, {107, 109}},
        {"SCRIPTDLG", "Script", {10}, {{300, "Cancel"}}},
        {"PRINTABORT", "Print", {}, {{300, "Cancel"}}, {"Printing...."}},
        {"PRINTSETUP", nullptr, {}, {}},
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
        for (int id : row.ids) EXPECT_NE(FindControl(*dialog, id), nullptr) << "missing control " << id;
        for (const ControlRow& want : row.controls) {
            SCOPED_TRACE(want.id);
            const rc::Control* c = FindControl(*dialog, want.id);
            ASSERT_NE(c, nullptr) << "missing control";
            if (want.text) { EXPECT_EQ(c->text, want.text); }
            if (want.kind != Any) { EXPECT_EQ(ClassOf(*c), want.kind == Check ? "BORCHECK" : "BORRADIO"); }
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

TEST(Dialogs, KeymapButtonsCarryTheirSlotOrVirtualKey) {
    // PgUp..Down (0-7), "Etr" (8), Ins (12), keypad 0-9 and operators (15-26,
    // 28-30) and F1-F12 (31-42) open the key definition; the others show the
    // code of virtual key (id - 1000), so a label on the wrong id shows another key's code.
    const rc::Dialog* keymap = FindDialog("KEYMAP");
    ASSERT_NE(keymap, nullptr);
    for (int slot = 0; slot <= 42; ++slot) {
        if ((slot > 8 && slot < 12) || slot == 13 || slot == 14 || slot == 27) continue;
        const rc::Control* c = FindControl(*keymap, dlg::kKeySlotBase + slot);
        ASSERT_NE(c, nullptr) << "slot " << slot;
        EXPECT_EQ(c->style.find("WS_DISABLED"), std::string::npos) << "slot " << slot;
    }
    const struct { int id; const char* text; } named[] = {
        {dlg::kKeySlotBase + 8, "Etr"}, {dlg::kKeySlotBase + 30, "/"}, {dlg::kKeySlotBase + 0, "PgUp"},
        {dlg::kKeySlotBase + 12, "Ins"}, {dlg::kKeySlotBase + 15, "0"}, {dlg::kKeySlotBase + 42, "F12"},
        {dlg::kKeyCodeBase + 0x1B, "Esc"}, {dlg::kKeyCodeBase + 0xC0, "`"}, {dlg::kKeyCodeBase + 0xDC, "\\"},
        {dlg::kKeyCodeBase + 0xDE, "'"}, {dlg::kKeyCodeBase + 0xBF, "/"}, {dlg::kKeyCodeBase + 0x20, "Space"},
        {dlg::kKeyCodeBase + 'A', "A"}, {dlg::kKeyCodeBase + 'Z', "Z"}, {dlg::kKeyCodeBase + '0', "0"},
    };
    for (const auto& n : named) {
        const rc::Control* c = FindControl(*keymap, n.id);
        ASSERT_NE(c, nullptr) << n.text;
        EXPECT_EQ(c->text, n.text) << n.id;
    }
    // 16 punctuation and editing keys, A-Z and 0-9.
    EXPECT_EQ(std::count_if(keymap->controls.begin(), keymap->controls.end(),
                            [](const rc::Control& c) { return c.id && *c.id >= dlg::kKeyCodeBase; }),
              16 + 26 + 10);
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

bool IsButtonKind(const rc::Control& c, const char* styleWord) {
    return ClassOf(c) == "BUTTON" && c.style.find(styleWord) != std::string::npos;
}

TEST(Dialogs, UseTheBorlandClassesAndTheSharedHelpButton) {
    for (const auto& [name, dialog] : Script().dialogs) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rc::Upper(dialog.className.value_or("")), "BORDLG_GRAY");
        EXPECT_EQ(dialog.font.value_or(""), "8, MS Sans Serif");
        for (const rc::Control& c : dialog.controls) {
            SCOPED_TRACE(c.text);
            EXPECT_TRUE(c.keyword != "CHECKBOX" && c.keyword != "AUTOCHECKBOX" && c.keyword != "RADIOBUTTON" &&
                        c.keyword != "AUTORADIOBUTTON" && c.keyword != "GROUPBOX" && c.keyword != "STATE3")
                << c.keyword << " instead of a Borland control";
            EXPECT_FALSE(IsButtonKind(c, "CHECKBOX") || IsButtonKind(c, "RADIOBUTTON") ||
                         IsButtonKind(c, "BS_GROUPBOX"));
            // Anything but the standard classes and bwcc32.dll's makes CreateDialog fail as a whole.
            if (c.keyword == "CONTROL") {
                EXPECT_NE(std::string(" BUTTON STATIC EDIT LISTBOX COMBOBOX SCROLLBAR BorCheck BorRadio BorShade ")
                              .find(" " + c.className + " "),
                          std::string::npos)
                    << c.className;
            }
            // The procedures know OK and Cancel as 400 and 300; only the message
            // box (results are MessageBox codes) and the common dialog's own
            // template use 1 and 2.
            if (name != "MSGDIALOG" && name != "PRINTSETUP" && ClassOf(c) == "BUTTON") {
                if (c.text == "OK") { EXPECT_EQ(c.id.value_or(0), dlg::kOk); }
                if (c.text == "Cancel") { EXPECT_EQ(c.id.value_or(0), dlg::kCancel); }
            }
            bool helpText = c.text == "Help" || c.text == "&Help";
            bool helpId = c.id && *c.id == dlg::kHelp;
            EXPECT_EQ(helpText, helpId) << "Help buttons are 998 and 998 is Help";
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

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(Pictures, BitmapsAndIconHoldTheirSizes) {
    // The toolbar's button faces, and the start-up picture "Test".
    for (const char* name : {"EXITBM", "HANGUPBM", "PHONEBOOKBM", "FILERECEIVEBM", "FILESENDBM", "HELPBM", "MSDOSBM",
                             "GIFJPEGBM", "UUDECODE", "UUENCODE", "Test"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Script().bitmaps.count(name), 1u);
        auto bytes = ReadBytes(ResourceDir() / Script().bitmaps.at(name));
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
        const int width = static_cast<int32_t>(Le32(bytes, 18)), height = static_cast<int32_t>(Le32(bytes, 22));
        const bool face = std::string(name) != "Test";
        EXPECT_TRUE(face ? width == 64 && height == 50 : width >= 200 && height >= 100) << width << "x" << height;
    }
    auto bytes = ReadBytes(ResourceDir() / Script().icons.at("PALVEX"));
    ASSERT_GE(bytes.size(), 38u);
    EXPECT_EQ(bytes[2], 1);  // type: icon
    std::vector<int> sizes;
    for (int k = 0; k < (bytes[4] | bytes[5] << 8); ++k) sizes.push_back(bytes[6 + 16 * k]);
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

}  // namespace
