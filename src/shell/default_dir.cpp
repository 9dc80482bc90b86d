#include "shell/default_dir.h"

#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/ui.h"
#include "shell/dialog_buttons.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace palvex {

namespace {


template <std::size_t N>
void Store(char (&field)[N], const std::string& text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
    const void* nul = std::memchr(field, '\0', N);
    return std::string(field, nul ? static_cast<const char*>(nul) - field : N);
}

}  // namespace

bool PathExists(const std::string& path) {
#ifdef _WIN32
    return _access(path.c_str(), 0) == 0;
#else
    return access(path.c_str(), F_OK) == 0;
#endif
}

DefaultDirDialog::DefaultDirDialog(ServiceEntry& service, std::string installDir, Hooks hooks)
    : service_(service), installDir_(std::move(installDir)), hooks_(std::move(hooks)) {}

void DefaultDirDialog::Open(DialogView& view) {
    if (service_.DownloadDir[0] == '\0') Store(service_.DownloadDir, installDir_);
    if (service_.SessionLogDir[0] == '\0') Store(service_.SessionLogDir, installDir_);
    download_ = Field(service_.DownloadDir);
    session_ = Field(service_.SessionLogDir);
    view.LimitText(dlg::kDirDownload, kDirEditLimit);
    view.LimitText(dlg::kDirSession, kDirEditLimit);
    view.SetText(dlg::kDirDownload, download_);
    view.SetText(dlg::kDirSession, session_);
    view.SetChecked(dlg::kDirCapture, service_.SessionCapture != 0);
}

void DefaultDirDialog::TextChanged(DialogView& view, int control) {
    if (control == dlg::kDirDownload)
        download_ = view.GetText(control);
    else if (control == dlg::kDirSession)
        session_ = view.GetText(control);
}

bool DefaultDirDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kOk:
        Ok(view);
        return true;
    default:
        return StandardButton(view, control, kDefaultDirHelpContext);
    }
}

void DefaultDirDialog::Ok(DialogView& view) {
    const int16_t capture = view.IsChecked(dlg::kDirCapture) ? 1 : 0;
    // Only the main window knows whether a log file is open, so it does the
    // switching; the record only remembers the choice for the next connection.
    if ((capture != 0) != (service_.SessionCapture != 0) && hooks_.portOpen && hooks_.portOpen() &&
        hooks_.toggleCapture)
        hooks_.toggleCapture();
    service_.SessionCapture = capture;

    if (!download_.empty() && !PathExists(download_)) {
        view.ShowMessage(str::kStrDownloadDirNotFound, nullptr, kStyleTaskModal);
        return;
    }
    Store(service_.DownloadDir, download_);

    if (!session_.empty() && !PathExists(session_)) {
        view.ShowMessage(str::kStrSessionDirNotFound, nullptr, kStyleTaskModal);
        return;
    }
    Store(service_.SessionLogDir, session_);
    view.Close(1);
}

}  // namespace palvex
