#include "shell/app_tables.h"

#include <algorithm>
#include <cstdio>

#include "shell/command_ids.h"
#include "shell/string_ids.h"

namespace palvex {

namespace {

constexpr ToolbarButton kOffline[] = {
    {kCmdPhonebook, "PHONEBOOKBM"}, {kCmdViewOffline, "GIFJPEGBM"}, {kCmdToMsDos, "MSDOSBM"},
    {kCmdUudecode, "UUDECODE"},     {kCmdUuencode, "UUENCODE"},     {kCmdExit, "EXITBM"},
    {kCmdHelpContents, "HELPBM"},
};

constexpr ToolbarButton kOnline[] = {
    {kCmdSend, "FILESENDBM"}, {kCmdReceive, "FILERECEIVEBM"}, {kCmdViewOffline, "GIFJPEGBM"},
    {kCmdToMsDos, "MSDOSBM"}, {kCmdUudecode, "UUDECODE"},     {kCmdUuencode, "UUENCODE"},
    {kCmdHangup, "HANGUPBM"}, {kCmdHelpContents, "HELPBM"},
};

constexpr const char* kBitmaps[] = {"EXITBM",  "HANGUPBM", "PHONEBOOKBM", "FILERECEIVEBM",
                                    "FILESENDBM", "HELPBM", "MSDOSBM",    "GIFJPEGBM",
                                    "UUDECODE", "UUENCODE"};

constexpr int kOnlineOnly[] = {
    kCmdResetTerm, kCmdHangup,    kCmdViewRealtime, kCmdDefaultDir,    kCmdTransmit,
    kCmdSend,      kCmdCaptureSession, kCmdReceive, kCmdTerminalPrefs, kCmdProtocol,
    kCmdCommParameters, kCmdFonts, kCmdCopy,        kCmdKeyboard,      kCmdChat,
    kCmdBreak,     kCmdCommStatus, kCmdColor,
};

constexpr int kOfflineOnly[] = {kCmdScriptExecute, kCmdModemPort, kCmdPhonebook};

struct Hint {
    unsigned command;
    int stringId;
};

constexpr Hint kHints[] = {
    {kCmdPhonebook, str::kStrHintPhonebook},
    {kCmdHelpContents, str::kStrHintHelp},
    {kCmdPrintBuffer, str::kStrHintPrintBuffer},
    {kCmdExit, str::kStrHintExit},
    {kCmdHangup, str::kStrHintHangup},
    {kCmdToMsDos, str::kStrHintMsDos},
    {kCmdModemSetting, str::kStrHintModemSetting},
    {kCmdPrintLogfile, str::kStrHintPrintLogfile},
    {kCmdCaptureSession, str::kStrHintCapture},
    {kCmdProtocol, str::kStrHintProtocol},
    {kCmdReceive, str::kStrHintReceive},
    {kCmdSend, str::kStrHintSend},
    {kCmdPrintSetup, str::kStrHintPrintSetup},
    {kCmdDefaultDir, str::kStrHintDefaultDir},
    {kCmdChat, str::kStrHintChat},
    {kCmdColor, str::kStrHintColor},
    {kCmdUudecode, str::kStrHintUudecode},
    {kCmdUuencode, str::kStrHintUuencode},
    {kCmdAbout, str::kStrHintAbout},
    {kCmdViewRealtime, str::kStrHintViewRealtime},
    {kCmdViewOffline, str::kStrHintViewOffline},
    {kCmdCopy, str::kStrHintCopy},
    {kCmdTransmit, str::kStrHintTransmit},
    {kCmdClearBuffer, str::kStrHintClearBuffer},
    {kCmdScriptExecute, str::kStrHintScriptExecute},
    {kCmdScriptCheck, str::kStrHintScriptCheck},
    {kCmdScriptEdit, str::kStrHintScriptEdit},
    {kCmdFonts, str::kStrHintFonts},
    {kCmdTerminalPrefs, str::kStrHintTerminalPrefs},
    {kCmdKeyboard, str::kStrHintKeyboard},
    {kCmdModemPort, str::kStrHintModemPort},
    {kCmdCommStatus, str::kStrHintCommStatus},
    {kCmdBreak, str::kStrHintBreak},
    {kCmdAnswer, str::kStrHintAnswer},
    {kScSize, str::kStrHintSysSize},
    {kScMaximize, str::kStrHintSysMaximize},
    {kScMinimize, str::kStrHintSysMinimize},
    {kScClose, str::kStrHintSysClose},
    {kScRestore, str::kStrHintSysRestore},
    {kScTaskList, str::kStrHintSysTaskList},
    {kScMove, str::kStrHintSysMove},
    {kCmdUnixToDos, str::kStrHintUnixToDos},
    {kCmdDosToUnix, str::kStrHintDosToUnix},
    {kCmdCommParameters, str::kStrHintCommParameters},
    {kCmdResetTerm, str::kStrHintResetTerm},
    {kCmdCopyPrinter, str::kStrHintCopyPrinter},
    {kCmdSelectAll, str::kStrHintSelectAll},
    {kCmdPrintTransparent, str::kStrHintPrintTransparent},
};

}  // namespace

std::span<const ToolbarButton> OfflineButtons() { return kOffline; }
std::span<const ToolbarButton> OnlineButtons() { return kOnline; }
std::span<const char* const> ToolbarBitmapNames() { return kBitmaps; }
std::span<const int> OnlineOnlyCommands() { return kOnlineOnly; }
std::span<const int> OfflineOnlyCommands() { return kOfflineOnly; }

int HintStringId(unsigned command) {
    for (const Hint& h : kHints)
        if (h.command == command) return h.stringId;
    return 0;
}

ShellLayout LayoutChildren(int w, int h) {
    ShellLayout l;
    l.toolbar = {0, 0, w, kToolbarHeight};
    l.vscroll = {w - kBarThickness, kToolbarHeight, w, h - 2 * kBarThickness};
    l.hscroll = {0, h - 2 * kBarThickness, w - kBarThickness, h - kBarThickness};
    l.sizeBox = {w - kBarThickness, h - 2 * kBarThickness, w, h - kBarThickness};
    l.status = {0, h - kStatusHeight, w, h};
    return l;
}

std::string FormatOnlineClock(uint32_t elapsedMs) {
    const unsigned seconds = elapsedMs / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string FormatConnectionText(const ServiceEntry& service) {
    char name[sizeof service.ShortName + 1] = {};
    std::copy_n(service.ShortName, sizeof service.ShortName, name);
    return std::string(name) + " is connected to " + FormatPortSummary(service);
}

}  // namespace palvex
