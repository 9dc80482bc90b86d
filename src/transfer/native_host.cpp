#include "transfer/native_host.h"

#include "transfer/framework.h"

namespace palvex {

bool NativeTransferHost::PumpMessage() {
    bool handled = onPump && onPump();
    loop_.TakeMessage(0, false);
    const uint32_t now = loop_.TickCount();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (now - it->second.start < it->second.period) continue;
        const int id = it->first;
        it->second.start = now;  // periodic, like SetTimer, until killed
        if (transfer) OnTransferTimer(*transfer, id);
        return true;
    }
    return handled;
}

void NativeTransferHost::StartTimer(int id, unsigned ms) { timers_[id] = Timer{loop_.TickCount(), ms}; }

void NativeTransferHost::SetField(int control, const std::string& text) {
    fields[control] = text;
    if (recordHistory) fieldHistory.emplace_back(control, text);
    if (onField) onField(control, text);
}

bool NativeTransferHost::ChooseReceivePath(std::string& path) {
    if (receivePath.empty()) return false;
    path = receivePath;
    return true;
}

bool NativeTransferHost::ChooseSendPath(std::string& path) {
    if (sendPath.empty()) return false;
    path = sendPath;
    return true;
}

int NativeTransferHost::RunBatchList(std::vector<std::string>& list) {
    list = batch;
    return static_cast<int>(list.size());
}

bool NativeTransferHost::StartViewer(const std::string& path) {
    viewerLog.push_back("start " + path);
    return viewerStarts;
}

}  // namespace palvex
