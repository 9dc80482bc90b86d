// The selection on the screen buffer: one mark per cell in the buffer's
// selection plane, and whether any selection is shown.
#pragma once

namespace palvex {

struct SelectionState {
    bool SelectionExists = false;
};

}  // namespace palvex
