#include "transfer/transfer_settings.h"

#include <charconv>
#include <cstring>
#include <new>

#include "shell/dialog_buttons.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/transfer_state.h"

namespace palvex {

namespace {

constexpr unsigned kRefusalStyle = kStyleTaskModal;

// A field as GetDlgItemInt reads it: blanks around the number are allowed,
// anything else is no number. `allowSign` reads a leading '-'.
bool ReadNumber(const std::string& text, long long& value, bool allowSign) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    const size_t e = text.find_last_not_of(' ');
    const char* first = text.data() + b;
    const char* last = text.data() + e + 1;
    if (!allowSign && *first == '-') return false;
    auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

// An unsigned field: a missing or unreadable number reads 0.
long long UnsignedField(DialogView& view, int control) {
    long long value = 0;
    return ReadNumber(view.GetText(control), value, false) ? value : 0;
}

// The 0..2 characters of a start or end character field, which is full
// without a NUL.
std::string CharField(const char (&field)[2]) {
    return std::string(field, strnlen(field, sizeof field));
}

void StoreCharField(char (&field)[2], const std::string& text) {
    field[0] = text.size() > 0 ? text[0] : '\0';
    field[1] = text.size() > 1 ? text[1] : '\0';
}

void Refuse(Ui& ui, DialogView& view, int stringId) {
    ui.MessageBeep(kBeepDefault);
    view.ShowMessage(stringId, nullptr, kRefusalStyle);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool ProtocolHasOptions(int protocol) {
    return protocol == kProtoAscii || protocol == kProtoZmodem || protocol == kProtoKermit;
}

std::string BatchFilePath(const std::string& cwd, const std::string& name) {
    std::string path;
    std::string dir = cwd;
    if (dir.size() >= 2 && dir[1] == ':') {
        path = dir.substr(0, 2);
        dir.erase(0, 2);
        while (!dir.empty() && IsSeparator(dir.front())) dir.erase(0, 1);
        if (!dir.empty()) path += '\\';
    }
    while (!dir.empty() && IsSeparator(dir.back())) dir.pop_back();
    path += dir;
    path += '\\';
    path += name;
    return path;
}

// ---- Protocol Preference ----

ProtocolDialog::ProtocolDialog(ServiceEntry& service, Ui& ui, Hooks hooks)
    : service_(service), ui_(ui), hooks_(std::move(hooks)) {}

void ProtocolDialog::Open(ListDialogView& view) {
    view.ClearItems(dlg::kProtoList);
    for (int p = 0; p < kProtocolCount; ++p) view.AddItem(dlg::kProtoList, ProtocolName(p));
    // A limit of 0 stands for 5 (a transfer reads it so too). It is only shown
    // as 5 here: OK writes it, Cancel leaves the record as it was.
    const int limit = service_.MaxErrors == 0 ? kDefaultMaxErrors : service_.MaxErrors;
    view.LimitText(dlg::kProtoMaxErrors, 5);
    view.SetText(dlg::kProtoMaxErrors, std::to_string(static_cast<uint16_t>(limit)));
    keepBackup_ = service_.KeepBackup != 0;
    view.SetChecked(dlg::kProtoKeepBackup, keepBackup_);
    // A record from elsewhere may carry a number no list entry stands for:
    // nothing is selected then, and OK keeps the number.
    protocol_ = service_.Protocol >= 0 && service_.Protocol < kProtocolCount ? service_.Protocol : -1;
    view.SelectItem(dlg::kProtoList, protocol_);
    view.Enable(dlg::kProtoOptions, ProtocolHasOptions(protocol_));
}

void ProtocolDialog::SelectionChanged(ListDialogView& view) {
    protocol_ = view.Selection(dlg::kProtoList);
    view.Enable(dlg::kProtoOptions, ProtocolHasOptions(protocol_));
}

bool ProtocolDialog::Command(ListDialogView& view, int control) {
    switch (control) {
    case dlg::kOk: Ok(view); return true;
    case dlg::kProtoKeepBackup:
        keepBackup_ = !keepBackup_;
        view.SetChecked(control, keepBackup_);
        return true;
    case dlg::kProtoOptions:
        if (ProtocolHasOptions(protocol_) && hooks_.openOptions) hooks_.openOptions(protocol_);
        return true;
    case dlg::kProtoDefDir:
        if (hooks_.openDefaultDir) hooks_.openDefaultDir();
        return true;
    default: return StandardButton(view, control, kProtocolHelpContext);
    }
}

void ProtocolDialog::Ok(ListDialogView& view) {
    const long long limit = UnsignedField(view, dlg::kProtoMaxErrors);
    // The limit is a signed 16-bit field: a larger number would turn negative
    // and end every transfer at its first error.
    if (limit == 0 || limit > INT16_MAX) {
        Refuse(ui_, view, str::kStrMaxErrorsInvalid);
        return;
    }
    if (protocol_ >= 0) service_.Protocol = static_cast<int16_t>(protocol_);
    service_.MaxErrors = static_cast<int16_t>(limit);
    service_.KeepBackup = keepBackup_ ? 1 : 0;
    view.Close(1);
}

// ---- ZMODEM options ----

namespace {

constexpr int kZmodemBoxes[4] = {dlg::kZSkipExisting, dlg::kZCrashRecover, dlg::kZSegmented, dlg::kZEscapeControl};

// The record is packed: its fields are read and written by value.
int16_t ZmodemField(const ServiceEntry& s, int index) {
    switch (index) {
    case 0: return s.ZSkipExisting;
    case 1: return s.ZCrashRecover;
    case 2: return s.ZSegmented;
    default: return s.ZEscapeControl;
    }
}

void SetZmodemField(ServiceEntry& s, int index, bool on) {
    const int16_t value = on ? 1 : 0;
    switch (index) {
    case 0: s.ZSkipExisting = value; break;
    case 1: s.ZCrashRecover = value; break;
    case 2: s.ZSegmented = value; break;
    default: s.ZEscapeControl = value; break;
    }
}

}  // namespace

ZmodemOptionsDialog::ZmodemOptionsDialog(ServiceEntry& service) : service_(service) {}

void ZmodemOptionsDialog::Open(DialogView& view) {
    for (int i = 0; i < 4; ++i) {
        flags_[i] = ZmodemField(service_, i) != 0;
        view.SetChecked(kZmodemBoxes[i], flags_[i]);
    }
}

bool ZmodemOptionsDialog::Command(DialogView& view, int control) {
    for (int i = 0; i < 4; ++i) {
        if (control != kZmodemBoxes[i]) continue;
        flags_[i] = !flags_[i];
        view.SetChecked(control, flags_[i]);
        return true;
    }
    if (control == dlg::kOk) {
        for (int i = 0; i < 4; ++i) SetZmodemField(service_, i, flags_[i]);
        view.Close(1);
        return true;
    }
    return StandardButton(view, control, kZmodemOptionsHelpContext);
}

// ---- Kermit options ----

KermitOptionsDialog::KermitOptionsDialog(ServiceEntry& service, Ui& ui) : service_(service), ui_(ui) {}

void KermitOptionsDialog::Open(DialogView& view) {
    const int size = service_.KermitPacketSize == 0 ? kDefaultKermitPacketSize : service_.KermitPacketSize;
    view.LimitText(dlg::kKermitPacketSize, 5);
    view.SetText(dlg::kKermitPacketSize, std::to_string(size));
    eightBit_ = service_.KermitEightBitPrefix != 0;
    view.SetChecked(dlg::kKermitEightBit, eightBit_);
}

bool KermitOptionsDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kKermitEightBit:
        eightBit_ = !eightBit_;
        view.SetChecked(control, eightBit_);
        return true;
    case dlg::kOk: {
        const long long size = UnsignedField(view, dlg::kKermitPacketSize);
        if (size < kMinKermitPacketSize || size > kMaxKermitPacketSize) {
            Refuse(ui_, view, str::kStrKermitSizeInvalid);
            return true;
        }
        service_.KermitPacketSize = static_cast<uint16_t>(size);
        service_.KermitEightBitPrefix = eightBit_ ? 1 : 0;
        view.Close(1);
        return true;
    }
    default: return StandardButton(view, control, kKermitOptionsHelpContext);
    }
}

// ---- ASCII options ----

namespace {

// A delay field: an empty field is no delay; a number that is negative, does
// not fit the 16-bit field or is no number at all is refused.
bool ReadDelay(DialogView& view, int control, uint16_t& delay) {
    const std::string text = view.GetText(control);
    long long value = 0;
    if (text.find_first_not_of(' ') == std::string::npos) {
        value = 0;
    } else if (!ReadNumber(text, value, true)) {
        return false;
    }
    if (value < 0 || value > UINT16_MAX) return false;
    delay = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

AsciiOptionsDialog::AsciiOptionsDialog(ServiceEntry& service, Ui& ui) : service_(service), ui_(ui) {}

void AsciiOptionsDialog::Open(DialogView& view) {
    stripLf_ = service_.AsciiStripLf != 0;
    view.SetChecked(dlg::kAsciiStripLf, stripLf_);
    view.LimitText(dlg::kAsciiStartChar, 2);
    view.LimitText(dlg::kAsciiEndChar, 2);
    view.SetText(dlg::kAsciiStartChar, CharField(service_.AsciiStartChar));
    view.SetText(dlg::kAsciiEndChar, CharField(service_.AsciiEndChar));
    view.LimitText(dlg::kAsciiLineDelay, 6);
    view.LimitText(dlg::kAsciiCharDelay, 6);
    view.SetText(dlg::kAsciiLineDelay, std::to_string(service_.AsciiLineDelay));
    view.SetText(dlg::kAsciiCharDelay, std::to_string(service_.AsciiCharDelay));
}

bool AsciiOptionsDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kAsciiStripLf:
        stripLf_ = !stripLf_;
        view.SetChecked(control, stripLf_);
        return true;
    case dlg::kOk: {
        uint16_t lineDelay = 0, charDelay = 0;
        if (!ReadDelay(view, dlg::kAsciiLineDelay, lineDelay) || !ReadDelay(view, dlg::kAsciiCharDelay, charDelay)) {
            Refuse(ui_, view, str::kStrAsciiDelayInvalid);
            return true;
        }
        service_.AsciiStripLf = stripLf_ ? 1 : 0;
        StoreCharField(service_.AsciiStartChar, view.GetText(dlg::kAsciiStartChar));
        StoreCharField(service_.AsciiEndChar, view.GetText(dlg::kAsciiEndChar));
        service_.AsciiLineDelay = lineDelay;
        service_.AsciiCharDelay = charDelay;
        view.Close(1);
        return true;
    }
    default: return StandardButton(view, control, kAsciiOptionsHelpContext);
    }
}

// ---- Batch list ----

BatchListDialog::BatchListDialog(Ui& ui, Hooks hooks) : ui_(ui), hooks_(std::move(hooks)) {}

void BatchListDialog::Open(ListDialogView& view) {
    count_ = 0;
    list_.clear();
    view.ClearItems(dlg::kBatchList);
    view.Enable(dlg::kBatchDelete, false);
}

bool BatchListDialog::Command(ListDialogView& view, int control) {
    switch (control) {
    case dlg::kBatchAdd: Add(view); return true;
    case dlg::kBatchDelete: Delete(view); return true;
    case dlg::kBatchDone: Done(view); return true;
    case dlg::kCancel:
    case dlg::kEscape:
        count_ = 0;
        list_.clear();
        [[fallthrough]];
    default: return StandardButton(view, control, kBatchListHelpContext);
    }
}

void BatchListDialog::Add(ListDialogView& view) {
    const std::string path = hooks_.chooseFile ? hooks_.chooseFile() : std::string();
    if (path.empty()) return;
    // An entry of the list the senders get holds the path and its NUL.
    if (path.size() >= static_cast<size_t>(kBatchPathSize)) {
        ui_.MessageBeep(kBeepDefault);
        view.ShowMessage(0, ("The path is too long for the batch list: " + path).c_str(), kRefusalStyle);
        return;
    }
    const int before = view.ItemCount(dlg::kBatchList);
    view.AddItem(dlg::kBatchList, path);
    if (view.ItemCount(dlg::kBatchList) <= before) {
        view.ShowMessage(str::kStrBatchListFull, nullptr, kRefusalStyle);
        return;
    }
    ++count_;
    if (hooks_.widenList) hooks_.widenList(path);
    if (view.Selection(dlg::kBatchList) < 0) view.SelectItem(dlg::kBatchList, 0);
    view.Enable(dlg::kBatchDelete, true);
}

void BatchListDialog::Delete(ListDialogView& view) {
    const int selected = view.Selection(dlg::kBatchList);
    if (selected < 0) return;
    view.DeleteItem(dlg::kBatchList, selected);
    count_ = view.ItemCount(dlg::kBatchList);
    if (count_ > 0) {
        view.SelectItem(dlg::kBatchList, 0);
    } else {
        view.Enable(dlg::kBatchDelete, false);
    }
}

void BatchListDialog::Done(ListDialogView& view) {
    count_ = view.ItemCount(dlg::kBatchList);
    std::vector<std::string> list;
    try {
        list.reserve(static_cast<size_t>(count_));
        for (int i = 0; i < count_; ++i) list.push_back(view.ItemText(dlg::kBatchList, i));
    } catch (const std::bad_alloc&) {
        view.ShowMessage(str::kStrBatchAllocFailed, nullptr, kRefusalStyle);
        return;
    }
    list_ = std::move(list);
    view.Close(count_);
}

}  // namespace palvex
