// Cancel, Escape and Help as most dialogs take them: Cancel and Escape close
// with 0 and store nothing, Help opens the dialog's help context.
#pragma once

#include "platform/dialog_view.h"
#include "shell/dialog_ids.h"

namespace palvex {

// True when `control` was one of the three.
inline bool StandardButton(DialogView& view, int control, unsigned helpContext) {
    if (control == dlg::kCancel || control == dlg::kEscape) {
        view.Close(0);
        return true;
    }
    if (control == dlg::kHelp) {
        view.ShowHelp(helpContext);
        return true;
    }
    return false;
}

}  // namespace palvex
