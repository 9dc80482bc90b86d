// The Default Directory dialog ("DEFDIR"): the download and session-log
// directories of the current service and its capture option.
#pragma once

#include <functional>
#include <string>

#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"

namespace palvex {

inline constexpr unsigned kDefaultDirHelpContext = 260;
inline constexpr int kDirEditLimit = 1027;

// True when `path` names an existing file or directory (`_access` mode 0).
bool PathExists(const std::string& path);

class DefaultDirDialog {
public:
    struct Hooks {
        // Asked at OK time: the port may close while the dialog is open.
        std::function<bool()> portOpen;
        // Switches capture over in the main window (WM_COMMAND 1005).
        std::function<void()> toggleCapture;
    };

    DefaultDirDialog(ServiceEntry& service, std::string installDir, Hooks hooks);

    void Open(DialogView& view);
    // EN_UPDATE from either edit: its text becomes the working copy.
    void TextChanged(DialogView& view, int control);
    // A WM_COMMAND from a button; false when `control` is not one of this
    // dialog's buttons.
    bool Command(DialogView& view, int control);

    const std::string& DownloadCopy() const { return download_; }
    const std::string& SessionCopy() const { return session_; }

private:
    void Ok(DialogView& view);

    ServiceEntry& service_;
    std::string installDir_;
    Hooks hooks_;
    std::string download_;
    std::string session_;
};

}  // namespace palvex
