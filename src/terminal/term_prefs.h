// The "Terminal Preferences" dialog ("TERMDLG") without its window: what each
// control shows when it opens, what the terminal list switches on and off, and
// OK's steps in their order with the two refusals that keep it open. The
// settings are fields of the current service record, except the scrollback
// size, which is the profile key "scroll". What only the window system can do
// (the open port, the painter, the menu, the other dialogs) goes through Hooks.
#pragma once

#include <functional>
#include <string>

#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"
#include "platform/ui.h"
#include "shell/settings.h"
#include "terminal/terminal_modes.h"
#include "terminal/terminal_screen.h"

namespace palvex {

inline constexpr unsigned kTermPrefsHelpContext = 170;
inline constexpr int kMinPageRows = 24;
inline constexpr int kMaxPageRows = 99;
inline constexpr int kFlowControlCount = 4;

// "TTY" .. "SCO-ANSI" for 1..9; 0 and anything unknown read as "TTY".
const char* TerminalTypeName(int type);
// "None", "Hardware", "Xon/Xoff", "HW & Xon/Xoff" for 0..3.
const char* FlowControlName(int flow);
// The types that draw from the 16-colour table and keep "&Color" greyed.
bool IsColourType(int type);
// The types whose keypad mode is a setting of its own.
bool HasKeypadSetting(int type);

class TermPrefsDialog {
public:
    struct Hooks {
        std::function<bool()> connected;
        // The open port takes the new flow control at once.
        std::function<void(int flow)> applyFlowControl;
        // "&Reset Term" for a terminal about to become `newType`.
        std::function<void(int newType)> resetTerminal;
        // The width changed: visible cells and horizontal scroll range again.
        std::function<void()> refitHorizontal;
        // SetScreenRows and the window fitted to the new page.
        std::function<void(int rows)> setRows;
        // The service's colour pair into the painter.
        std::function<void()> applyColours;
        std::function<void(bool enabled)> enableColourMenu;
        std::function<void()> repaint;
        std::function<void(int type)> loadKeymap;
        // "Keyboard..", "Color.." and "Font..". chooseFont edits `font` and
        // returns true on OK; setupFont makes the record's font the terminal's.
        std::function<void(int type)> openKeymapEditor;
        std::function<void()> openColourDialog;
        std::function<bool(LogFont& font)> chooseFont;
        std::function<void()> setupFont;
    };

    TermPrefsDialog(ServiceEntry& service, TerminalScreen& screen, TerminalModes& modes, ProfileStore& profile,
                    ProgramSettings& settings, Ui& ui, Hooks hooks);

    // Fills the fields; the window side selects WorkingType() and
    // WorkingFlow() in the two lists.
    void Open(DialogView& view);
    // A new selection in "Terminals" (type 1..9) or "Flow Control" (0..3).
    void TypeSelected(DialogView& view, int type);
    void FlowSelected(int flow);
    // Every change of the "Scroll Range" field.
    void ScrollRangeEdited(DialogView& view);
    // A button; false when `control` is none of this dialog's buttons.
    bool Command(DialogView& view, int control);

    int WorkingType() const { return type_; }
    int WorkingFlow() const { return flow_; }
    int WorkingScrollRange() const { return range_; }

private:
    void EnableForType(DialogView& view);
    void Ok(DialogView& view);
    void Cancel(DialogView& view);
    void ChangeFont();
    bool Connected() const { return hooks_.connected && hooks_.connected(); }

    ServiceEntry& service_;
    TerminalScreen& screen_;
    TerminalModes& modes_;
    ProfileStore& profile_;
    ProgramSettings& settings_;
    Ui& ui_;
    Hooks hooks_;

    ServiceEntry opened_;     // the record as it was, for Cancel
    int openedType_ = 1;
    int type_ = 1;
    int flow_ = 0;
    int range_ = 0;
    int shownHeight_ = 0;
    bool okTried_ = false;    // a refused OK may have applied its first steps
};

}  // namespace palvex
