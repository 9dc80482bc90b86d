#include "terminal/term_prefs.h"

#include <charconv>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "terminal/display_colours.h"

namespace palvex {

namespace {


constexpr const char* kTypeNames[] = {"TTY",   "VT100(Ansi Color)", "VT52",   "VT100",   "VT102",
                                      "VT220", "VT320",             "Wyse50", "SCO-ANSI"};
constexpr const char* kFlowNames[kFlowControlCount] = {"None", "Hardware", "Xon/Xoff", "HW & Xon/Xoff"};

int KnownType(int type) { return type >= kTypeTty && type <= kTypeScoAnsi ? type : kTypeTty; }

// The whole field as a decimal number, as GetDlgItemInt reads it: blanks
// around it are allowed, anything else is not a number.
bool ReadNumber(const std::string& text, int& value) {
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos) return false;
    const char* first = text.data() + b;
    const char* last = text.data() + e + 1;
    auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

}  // namespace

const char* TerminalTypeName(int type) { return kTypeNames[KnownType(type) - 1]; }

const char* FlowControlName(int flow) {
    return flow >= 0 && flow < kFlowControlCount ? kFlowNames[flow] : kFlowNames[0];
}

bool IsColourType(int type) { return type == kTypeVt100Color || type == kTypeScoAnsi; }

bool HasKeypadSetting(int type) { return type == kTypeWyse50 || type == kTypeScoAnsi; }

TermPrefsDialog::TermPrefsDialog(ServiceEntry& service, TerminalScreen& screen, TerminalModes& modes,
                                 ProfileStore& profile, ProgramSettings& settings, Ui& ui, Hooks hooks)
    : service_(service),
      screen_(screen),
      modes_(modes),
      profile_(profile),
      settings_(settings),
      ui_(ui),
      hooks_(std::move(hooks)),
      opened_(service) {}

void TermPrefsDialog::Open(DialogView& view) {
    opened_ = service_;
    openedType_ = service_.TerminalType;
    type_ = KnownType(service_.TerminalType);
    flow_ = service_.FlowControl >= 0 && service_.FlowControl < kFlowControlCount ? service_.FlowControl : 0;
    range_ = settings_.ScrollLines;
    okTried_ = false;

    view.SetChecked(dlg::kTermWidth80, service_.TerminalWidth == 0);
    view.SetChecked(dlg::kTermWidth132, service_.TerminalWidth != 0);
    shownHeight_ = service_.TerminalHeight > 0 ? service_.TerminalHeight : screen_.rows;
    view.SetText(dlg::kTermHeight, std::to_string(shownHeight_));
    view.SetText(dlg::kTermScrollRange, std::to_string(range_));
    view.SetChecked(dlg::kTermDisplayControls, service_.DisplayControls != 0);
    view.SetChecked(dlg::kTermLocalEcho, service_.LocalEcho != 0);
    view.SetChecked(dlg::kTermCrLfIn, service_.InboundCrLf != 0);
    view.SetChecked(dlg::kTermCrLfOut, service_.OutboundCrLf != 0);
    view.SetChecked(dlg::kTermAutowrap, service_.AutoWrap != 0);
    view.SetChecked(dlg::kTermBsDel, service_.BackspaceDelete != 0);
    view.SetChecked(dlg::kTermScrollLock, service_.ScrollLock != 0);
    view.SetChecked(dlg::kTermKeypadApp, service_.KeypadApplication != 0);
    const int resize = service_.ResizeMode >= 0 && service_.ResizeMode <= 2 ? service_.ResizeMode : 0;
    for (int mode = 0; mode <= 2; ++mode) view.SetChecked(dlg::kTermResizeBase + mode, mode == resize);
    EnableForType(view);
}

void TermPrefsDialog::EnableForType(DialogView& view) {
    view.Enable(dlg::kTermKeypadApp, HasKeypadSetting(type_));
    view.Enable(dlg::kTermColor, !IsColourType(type_));
}

void TermPrefsDialog::TypeSelected(DialogView& view, int type) {
    type_ = KnownType(type);
    EnableForType(view);
}

void TermPrefsDialog::FlowSelected(int flow) {
    if (flow >= 0 && flow < kFlowControlCount) flow_ = flow;
}

void TermPrefsDialog::ScrollRangeEdited(DialogView& view) {
    const std::string text = view.GetText(dlg::kTermScrollRange);
    int value = 0;
    // A field emptied on the way to a new number is not worth a beep; it
    // still counts as no range, so OK refuses it.
    if (!ReadNumber(text, value)) {
        value = 0;
        if (text.find_first_not_of(' ') != std::string::npos) ui_.MessageBeep(kBeepDefault);
    }
    range_ = value;
}

bool TermPrefsDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kOk:
        Ok(view);
        return true;
    case dlg::kCancel:
    case dlg::kEscape:
        Cancel(view);
        return true;
    case dlg::kHelp:
        view.ShowHelp(kTermPrefsHelpContext);
        return true;
    case dlg::kTermKeyboard:
        if (hooks_.openKeymapEditor) hooks_.openKeymapEditor(type_);
        return true;
    case dlg::kTermColor:
        if (hooks_.openColourDialog) hooks_.openColourDialog();
        // The colour dialog has its own OK; what it stored stays after Cancel.
        opened_.DefaultColours = service_.DefaultColours;
        opened_.BackgroundColour = service_.BackgroundColour;
        opened_.TextColour = service_.TextColour;
        return true;
    case dlg::kTermFont:
        ChangeFont();
        return true;
    default:
        return false;
    }
}

void TermPrefsDialog::ChangeFont() {
    LogFont font = service_.TerminalFont;
    if (!hooks_.chooseFont || !hooks_.chooseFont(font)) return;
    service_.TerminalFont = font;
    opened_.TerminalFont = font;
    if (Connected() && hooks_.setupFont) hooks_.setupFont();
}

void TermPrefsDialog::Ok(DialogView& view) {
    okTried_ = true;
    const bool connected = Connected();
    const bool wide = view.IsChecked(dlg::kTermWidth132);
    const bool autoWrap = view.IsChecked(dlg::kTermAutowrap);

    // 1. The running terminal.
    if (connected) {
        screen_.autoWrap = autoWrap ? 1 : 0;
        screen_.columns = wide ? 132 : 80;
        if (hooks_.refitHorizontal) hooks_.refitHorizontal();
        if (type_ != KnownType(service_.TerminalType) && hooks_.resetTerminal) hooks_.resetTerminal(type_);
        if (flow_ != service_.FlowControl && hooks_.applyFlowControl) hooks_.applyFlowControl(flow_);
    }

    // 2. Colours follow the kind of type.
    if (IsColourType(type_)) {
        StoreColours(service_, ColourTypeColours());
        screen_.attr = 0x70;
        if (connected) {
            if (hooks_.applyColours) hooks_.applyColours();
            if (hooks_.enableColourMenu) hooks_.enableColourMenu(false);
        }
    } else {
        if (hooks_.applyColours) hooks_.applyColours();
        if (hooks_.enableColourMenu) hooks_.enableColourMenu(true);
        screen_.bold = 0;
    }
    if (hooks_.repaint) hooks_.repaint();

    // 3.
    service_.TerminalType = static_cast<int16_t>(type_);
    service_.FlowControl = static_cast<int16_t>(flow_);
    service_.InboundCrLf = view.IsChecked(dlg::kTermCrLfIn) ? 1 : 0;
    service_.OutboundCrLf = view.IsChecked(dlg::kTermCrLfOut) ? 1 : 0;
    service_.LocalEcho = view.IsChecked(dlg::kTermLocalEcho) ? 1 : 0;
    service_.TerminalWidth = wide ? 1 : 0;
    service_.AutoWrap = autoWrap ? 1 : 0;

    // 4. The ring keeps its size until the next start; only the profile changes.
    const ScrollRangeResult range =
        StoreScrollRange(profile_, view, range_, screen_.rows, settings_.ScrollLines);
    if (range == ScrollRangeResult::Rejected) return;
    if (range == ScrollRangeResult::Saved) settings_.ScrollLines = range_;

    // 5.
    service_.BackspaceDelete = view.IsChecked(dlg::kTermBsDel) ? 1 : 0;
    service_.ScrollLock = view.IsChecked(dlg::kTermScrollLock) ? 1 : 0;
    screen_.scrollLock = service_.ScrollLock;
    service_.DisplayControls = view.IsChecked(dlg::kTermDisplayControls) ? 1 : 0;

    // 6.
    int height = 0;
    if (!ReadNumber(view.GetText(dlg::kTermHeight), height) || height < kMinPageRows || height > kMaxPageRows) {
        view.ShowMessage(str::kStrTermPageSize, nullptr, kStyleTaskModal);
        return;
    }
    if (height != shownHeight_) {
        service_.TerminalHeight = static_cast<int16_t>(height);
        shownHeight_ = height;
        if (connected && hooks_.setRows) hooks_.setRows(height);
    }

    // 7.
    for (int mode = 0; mode <= 2; ++mode)
        if (view.IsChecked(dlg::kTermResizeBase + mode)) service_.ResizeMode = static_cast<int16_t>(mode);

    // 8.
    if (HasKeypadSetting(type_)) {
        service_.KeypadApplication = view.IsChecked(dlg::kTermKeypadApp) ? 1 : 0;
        if (connected) modes_.keypadApp = service_.KeypadApplication;
    }

    // 9.
    if (hooks_.loadKeymap) hooks_.loadKeymap(service_.TerminalType);
    view.Close(1);
}

void TermPrefsDialog::Cancel(DialogView& view) {
    if (okTried_) {
        // A refused OK has already committed and applied its first steps;
        // undo what it can (a terminal reset stays done).
        const int appliedFlow = service_.FlowControl;
        service_ = opened_;
        screen_.scrollLock = service_.ScrollLock;
        if (Connected()) {
            screen_.autoWrap = service_.AutoWrap ? 1 : 0;
            screen_.columns = service_.TerminalWidth ? 132 : 80;
            if (hooks_.refitHorizontal) hooks_.refitHorizontal();
            if (appliedFlow != service_.FlowControl && hooks_.applyFlowControl)
                hooks_.applyFlowControl(service_.FlowControl);
            if (hooks_.enableColourMenu) hooks_.enableColourMenu(!IsColourType(service_.TerminalType));
        }
        if (hooks_.applyColours) hooks_.applyColours();
        if (hooks_.repaint) hooks_.repaint();
    } else {
        service_ = opened_;
    }
    if (hooks_.loadKeymap) hooks_.loadKeymap(openedType_);
    view.Close(0);
}

}  // namespace palvex
