// The transfer settings dialogs without their windows: "PROTODLG" (protocol,
// error limit, backups), the ASCII, ZMODEM and Kermit option dialogs it opens,
// and the batch list of files the batch senders transmit. Each dialog edits the
// transfer fields of the current service record and writes them only on OK;
// what needs the window system (the other dialogs, the file chooser, the list
// box's scrolling width) goes through Hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"
#include "platform/ui.h"

namespace palvex {

inline constexpr unsigned kProtocolHelpContext = 150;
inline constexpr unsigned kZmodemOptionsHelpContext = 410;
inline constexpr unsigned kAsciiOptionsHelpContext = 450;
inline constexpr unsigned kKermitOptionsHelpContext = 480;
inline constexpr unsigned kBatchListHelpContext = 350;

inline constexpr int kDefaultMaxErrors = 5;
inline constexpr int kDefaultKermitPacketSize = 1024;
inline constexpr int kMinKermitPacketSize = 65;
inline constexpr int kMaxKermitPacketSize = 9024;

// ASCII, ZMODEM and KERMIT have an option dialog; the block protocols none.
bool ProtocolHasOptions(int protocol);

// The full path of `name` as the file chooser leaves it: a bare name (or one
// relative to) the current directory `cwd`, which is given as the system
// reports it ("C:\" at a drive's root, "C:\DL\NEW" below it). The drive letter
// and ':' come first, then "\" and the directory unless it is the root, then
// "\" and the name. A directory without a drive (a network share) is kept
// whole.
std::string BatchFilePath(const std::string& cwd, const std::string& name);

// The Protocol Preference dialog.
class ProtocolDialog {
public:
    struct Hooks {
        // "Options..": the option dialog of `protocol` (ASCII, ZMODEM or KERMIT),
        // modal; it writes the record itself on its own OK.
        std::function<void(int protocol)> openOptions;
        // "Def. Dir..": the Default Directory dialog, modal.
        std::function<void()> openDefaultDir;
    };

    ProtocolDialog(ServiceEntry& service, Ui& ui, Hooks hooks);

    // Fills the list, the error limit and the backup box.
    void Open(ListDialogView& view);
    // LBN_SELCHANGE of the protocol list.
    void SelectionChanged(ListDialogView& view);
    // A button; false when `control` is none of this dialog's.
    bool Command(ListDialogView& view, int control);

    // The protocol selected in the list; -1 when none is.
    int WorkingProtocol() const { return protocol_; }

private:
    void Ok(ListDialogView& view);

    ServiceEntry& service_;
    Ui& ui_;
    Hooks hooks_;
    int protocol_ = -1;
    bool keepBackup_ = false;
};

// "ZMODEMOPTION": the four ZMODEM switches.
class ZmodemOptionsDialog {
public:
    explicit ZmodemOptionsDialog(ServiceEntry& service);
    void Open(DialogView& view);
    bool Command(DialogView& view, int control);

private:
    ServiceEntry& service_;
    bool flags_[4] = {};
};

// "KERMITOPTION": packet size and eight-bit prefixing.
class KermitOptionsDialog {
public:
    KermitOptionsDialog(ServiceEntry& service, Ui& ui);
    void Open(DialogView& view);
    bool Command(DialogView& view, int control);

private:
    ServiceEntry& service_;
    Ui& ui_;
    bool eightBit_ = false;
};

// "ASCIIOPTIONS": line feeds, the start and end characters and the delays.
class AsciiOptionsDialog {
public:
    AsciiOptionsDialog(ServiceEntry& service, Ui& ui);
    void Open(DialogView& view);
    bool Command(DialogView& view, int control);

private:
    ServiceEntry& service_;
    Ui& ui_;
    bool stripLf_ = false;
};

// "BATCHLIST": the files of one batch send, closed with their count (0 when
// the send is abandoned).
class BatchListDialog {
public:
    struct Hooks {
        // The file chooser ("Open File"): the chosen file's full path, or empty
        // when the user cancelled.
        std::function<std::string()> chooseFile;
        // The list box is to scroll far enough sideways to show `text`.
        std::function<void(const std::string& text)> widenList;
    };

    BatchListDialog(Ui& ui, Hooks hooks);

    void Open(ListDialogView& view);
    bool Command(ListDialogView& view, int control);

    int BatchCount() const { return count_; }
    // The paths Done took, in the order of the list.
    const std::vector<std::string>& BatchList() const { return list_; }

private:
    void Add(ListDialogView& view);
    void Delete(ListDialogView& view);
    void Done(ListDialogView& view);

    Ui& ui_;
    Hooks hooks_;
    int count_ = 0;
    std::vector<std::string> list_;
};

}  // namespace palvex
