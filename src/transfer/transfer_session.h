// The life of one transfer as the status dialog sees it: the Receive and Send
// commands' preparations, the dialog's start, the run (WM_TIMER id 0), the
// Cancel/OK button and the close. The Win32 procedures ReceiveDlgFunc and
// SendDlgFunc and the command-line palvex-xfer both drive these.
#pragma once

#include "transfer/transfer_state.h"

namespace palvex {

// The Receive command. False when nothing is to be opened (a ZMODEM transfer
// is active, or the Kermit buffer could not be had: string 95 was shown).
bool PrepareReceive(Transfer& t);
// WM_INITDIALOG of the receive dialog. Ends by posting the start.
void ReceiveInit(Transfer& t);
// WM_TIMER id 0: runs the receive and shows its end. The result code.
int ReceiveRun(Transfer& t);
// WM_COMMAND 300. True when the dialog is to close now (the second press);
// the caller then runs ReceiveClose and its own closing steps.
bool ReceiveButton(Transfer& t);
void ReceiveClose(Transfer& t);

// The Send command.
bool PrepareSend(Transfer& t);
void SendInit(Transfer& t);
int SendRun(Transfer& t);
bool SendButton(Transfer& t);
void SendClose(Transfer& t);

// The save and open choices of ASCII and XMODEM. ChooseReceiveFile: 0 with the
// file created empty, -1 when cancelled ("File open error" was shown).
// ChooseSendFile: the file's size (above 0), or -1.
int ChooseReceiveFile(Transfer& t);
int ChooseSendFile(Transfer& t);

}  // namespace palvex
