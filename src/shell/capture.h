// The session capture log and the transparent-print spool: received bytes are
// gathered in memory and appended to their file 512 at a time.
#pragma once

#include <cstdint>
#include <string>

#include "comm/pump_hooks.h"

namespace palvex {

// Capture as the receive path sees it: bytes go to the log while it runs.
class CaptureState : public CaptureLog {
public:
    int CaptureOn = 0;           // capture wanted
    std::string CapturePath;

    bool On() const override { return CaptureOn != 0; }
    void Byte(uint8_t) override {}
};

// The printer controller's spool ("temp.txt").
class SpoolState : public PrintSpool {
public:
    void Byte(uint8_t) override {}
};

}  // namespace palvex
