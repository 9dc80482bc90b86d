#include "comm/comm_dialogs_logic.h"

#include <cstring>
#include <string>

#include "shell/dialog_ids.h"

namespace palvex {

CommStatusDialog::CommStatusDialog(PortState& port, TerminalScreen& screen, Hooks hooks)
    : port_(port), screen_(screen), hooks_(std::move(hooks)) {}

void CommStatusDialog::Open(DialogView& view) {
    QueryPortStatus(port_);
    const ComStat& status = port_.PortStatus;
    view.SetText(dlg::kStatusCtsHold, status.CtsHold() ? "X" : " ");
    view.SetChecked(dlg::kStatusXoffHold, status.XoffHold());
    view.SetText(dlg::kStatusInQueue, std::to_string(status.cbInQue));
    view.SetText(dlg::kStatusOutQueue, std::to_string(status.cbOutQue));
}

void CommStatusDialog::ReleaseXoff(DialogView& view) {
    QueryPortStatus(port_);
    if (port_.PortStatus.XoffHold() && port_.handle && port_.handle->IsOpen())
        port_.handle->EscapeFunction(kSetXon);
    // The box says whether transmission is held; a click on it only ever
    // clears it, so a box the user ticked without a hold is cleared again.
    view.SetChecked(dlg::kStatusXoffHold, false);
}

bool CommStatusDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kStatusXoffHold:
        ReleaseXoff(view);
        return true;
    case dlg::kStatusResetTerm:
        ReleaseXoff(view);
        if (hooks_.pumpRunning && !hooks_.pumpRunning() && hooks_.restartPump) hooks_.restartPump();
        screen_.marginTop = 1;
        screen_.marginBottom = screen_.rows;
        screen_.graphics[0] = screen_.graphics[1] = 0;
        screen_.shift = 0;
        return true;
    case dlg::kOk:
    case dlg::kEscape:
        view.Close(1);
        return true;
    case dlg::kHelp:
        view.ShowHelp(kCommStatusHelpContext);
        return true;
    default: return false;
    }
}

CommParameterDialog::CommParameterDialog(ServiceEntry& service, PortState& port, std::function<int()> validate)
    : service_(service), port_(port), validate_(std::move(validate)) {}

void CommParameterDialog::Open(DialogView& view) {
    view.SetChecked(dlg::kStopBitsBase + service_.StopBits, true);
    view.SetChecked(dlg::kParityBase + service_.Parity, true);
    view.SetChecked(dlg::kDataBitsBase + service_.DataBitsIndex, true);
    std::memcpy(head_, &service_, kServiceHeadSize);
}

bool CommParameterDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kParityBase + 0:
    case dlg::kParityBase + 1:
    case dlg::kParityBase + 2:
        service_.Parity = static_cast<int16_t>(control - dlg::kParityBase);
        return true;
    case dlg::kStopBitsBase + 0:
    case dlg::kStopBitsBase + 1:
    case dlg::kStopBitsBase + 2:
        service_.StopBits = static_cast<int16_t>(control - dlg::kStopBitsBase);
        return true;
    case dlg::kDataBitsBase + 0:
    case dlg::kDataBitsBase + 1:
        service_.DataBitsIndex = static_cast<int16_t>(control - dlg::kDataBitsBase);
        return true;
    case dlg::kOk: {
        if (validate_ && validate_() != 0) return true;
        Dcb& dcb = port_.PortDcb;
        dcb.ByteSize = service_.DataBitsIndex == 0 ? 8 : 7;
        dcb.Parity = static_cast<uint8_t>(service_.Parity);
        dcb.StopBits = static_cast<uint8_t>(service_.StopBits);
        port_.SavedFraming[0] = dcb.ByteSize;
        port_.SavedFraming[1] = dcb.Parity;
        port_.SavedFraming[2] = dcb.StopBits;
        port_.EightBitData = dcb.ByteSize == 8 ? 1 : 0;
        ApplyPortDcb(port_);
        view.Close(1);
        return true;
    }
    case dlg::kCancel:
    case dlg::kEscape:
        std::memcpy(&service_, head_, kServiceHeadSize);
        view.Close(0);
        return true;
    case dlg::kHelp:
        view.ShowHelp(kCommParameterHelpContext);
        return true;
    default: return false;
    }
}

}  // namespace palvex
