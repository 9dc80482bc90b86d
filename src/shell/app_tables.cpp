#include "shell/app_tables.h"

#include <algorithm>
#include <cstdio>

#include "shell/command_ids.h"

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
    {kCmdPhonebook, 49},      {kCmdHelpContents, 50},    {kCmdPrintBuffer, 51},
    {kCmdExit, 52},           {kCmdHangup, 53},          {kCmdToMsDos, 54},
    {kCmdModemSetting, 55},   {kCmdPrintLogfile, 56},    {kCmdCaptureSession, 57},
    {kCmdProtocol, 58},       {kCmdReceive, 59},         {kCmdSend, 60},
    {kCmdPrintSetup, 61},     {kCmdDefaultDir, 62},      {kCmdChat, 63},
    {kCmdColor, 64},          {kCmdUudecode, 65},        {kCmdUuencode, 66},
    {kCmdAbout, 68},          {kCmdViewRealtime, 69},    {kCmdViewOffline, 70},
    {kCmdCopy, 71},           {kCmdTransmit, 72},        {kCmdClearBuffer, 73},
    {kCmdScriptExecute, 74},  {kCmdScriptCheck, 75},     {kCmdScriptEdit, 76},
    {kCmdFonts, 77},          {kCmdTerminalPrefs, 78},   {kCmdKeyboard, 79},
    {kCmdModemPort, 80},      {kCmdCommStatus, 81},      {kCmdBreak, 82},
    {kCmdAnswer, 83},         {kScSize, 84},             {kScMaximize, 85},
    {kScMinimize, 86},        {kScClose, 87},            {kScRestore, 88},
    {kScTaskList, 89},        {kScMove, 90},             {kCmdUnixToDos, 102},
    {kCmdDosToUnix, 103},     {kCmdCommParameters, 106}, {kCmdResetTerm, 113},
    {kCmdCopyPrinter, 115},   {kCmdSelectAll, 116},      {kCmdPrintTransparent, 117},
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

int VisibleColumns(int clientWidth, int cellWidth, int columns, int hOffset) {
    if (cellWidth <= 0) return 0;
    const int fit = std::max(0, clientWidth - kBarThickness) / cellWidth;
    return std::max(0, std::min(fit, columns - hOffset));
}

int HorizontalRange(int clientWidth, int cellWidth, int columns) {
    if (cellWidth <= 0) return 0;
    const int fit = std::max(0, clientWidth - kBarThickness) / cellWidth;
    return std::max(0, columns - fit);
}

int RowsForClientHeight(int clientHeight, int cellHeight) {
    if (cellHeight <= 0) return 0;
    return (clientHeight - kBandsAroundText) / cellHeight - 1;
}

TrackHeights TrackHeightsFor(int resizeOption, int frame, int cellHeight, int rows) {
    TrackHeights t;
    if (resizeOption == kResizeTerm) {
        t.minHeight = frame + 25 * cellHeight + kBandsAroundText;
    } else if (resizeOption == kResizeNone) {
        t.minHeight = t.maxHeight = frame + (rows + 1) * cellHeight + kBandsAroundText;
    }
    return t;
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
