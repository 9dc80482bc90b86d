// The status and parameter dialogs' logic over a scripted open port and a
// recording dialog view.
#include "comm/comm_dialogs_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "comm/fake_port.h"
#include "modem/modem_profile.h"
#include "phonebook/validate_service.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

class CommDialogsTest : public ::testing::Test {
protected:
    CommDialogsTest() {
        service.Parity = 0;
        service.StopBits = 0;
        service.DataBitsIndex = 0;
        service.PhoneType = 2;  // direct: no number needed
        std::strcpy(service.ShortName, "BBS");
        std::strcpy(service.PhoneNumber, "");
        port.handle = &device;
        EXPECT_EQ(0, ConnectPort(port, service, ui, nullptr));
        device.states.clear();
    }

    int Validate() { return ValidateService(service, profile, "no-such-install-dir", ui, nullptr); }

    ServiceEntry service = DefaultServiceEntry();
    FakePort device;
    PortState port;
    RecordingUi ui;
    ModemProfile profile;
    TerminalScreen screen;
    RecordingDialogView view;
};

TEST_F(CommDialogsTest, StatusShowsHoldsAndQueuesAndAClickReleasesAnXoffHold) {
    const struct {
        const char* name;
        uint32_t holds, in, out;
        const char* cts;
        int click;  // the box or Reset Term
    } cases[] = {
        {"idle line", 0, 0, 0, " ", dlg::kStatusResetTerm},
        {"held by XOFF", ComStat::kXoffHold, 3000000000u, 7, " ", dlg::kStatusXoffHold},
        {"both holds", ComStat::kCtsHold | ComStat::kXoffHold, 1, 2, "X", dlg::kStatusResetTerm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.holdFlags = c.holds;
        device.inQueue = c.in;
        device.outQueue = c.out;
        device.escapes.clear();
        RecordingDialogView v;
        CommStatusDialog dialog(port, screen, {[] { return true; }, [] {}});
        dialog.Open(v);
        const bool xoff = c.holds & ComStat::kXoffHold;
        EXPECT_EQ(c.cts, v.texts[dlg::kStatusCtsHold]);
        EXPECT_EQ(xoff, v.IsChecked(dlg::kStatusXoffHold));
        EXPECT_EQ(std::to_string(c.in), v.texts[dlg::kStatusInQueue]);  // unsigned, never negative
        EXPECT_EQ(std::to_string(c.out), v.texts[dlg::kStatusOutQueue]);
        v.checks[dlg::kStatusXoffHold] = true;  // the auto box toggles itself on a click
        EXPECT_TRUE(dialog.Command(v, c.click));
        EXPECT_FALSE(v.IsChecked(dlg::kStatusXoffHold));
        EXPECT_EQ(xoff ? 1 : 0, std::count(device.escapes.begin(), device.escapes.end(), kSetXon));
        EXPECT_FALSE(v.closed);
    }
}

TEST_F(CommDialogsTest, ResetTermRestartsAStoppedPumpAndResetsRegionAndCharacterSets) {
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "pump running" : "pump stopped");
        screen.marginTop = 5;
        screen.marginBottom = 10;
        screen.graphics[0] = screen.graphics[1] = 1;
        screen.shift = 1;
        screen.attr = 0x1F;
        int restarts = 0;
        CommStatusDialog dialog(port, screen, {[&] { return running; }, [&] { ++restarts; }});
        dialog.Open(view);
        dialog.Command(view, dlg::kStatusResetTerm);
        EXPECT_EQ(running ? 0 : 1, restarts);
        EXPECT_EQ(1, screen.marginTop);
        EXPECT_EQ(screen.rows, screen.marginBottom);
        EXPECT_EQ(0, screen.graphics[0]);
        EXPECT_EQ(0, screen.graphics[1]);
        EXPECT_EQ(0, screen.shift);
        EXPECT_EQ(0x1F, screen.attr);  // only what this reset names
    }
    CommStatusDialog dialog(port, screen, {});
    dialog.Command(view, 998);
    EXPECT_EQ(std::vector<unsigned>{330}, view.helpContexts);
    dialog.Command(view, 400);
    EXPECT_TRUE(view.closed);
}

TEST_F(CommDialogsTest, EightBitsWithParityIsRefusedAndSevenEvenIsApplied) {
    CommParameterDialog dialog(service, port, [&] { return Validate(); });
    dialog.Open(view);
    for (int id : {11, 20, 50}) EXPECT_TRUE(view.IsChecked(id)) << "opens with the service's buttons: " << id;
    dialog.Command(view, 13);  // Even
    dialog.Command(view, 22);  // 2 stop bits
    dialog.Command(view, 400);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(str::kStrSelectDatabits, ui.messages[0].stringId);
    EXPECT_EQ(0x2040u, ui.messages[0].style);
    EXPECT_FALSE(view.closed);
    EXPECT_TRUE(device.states.empty());
    EXPECT_EQ(1, port.EightBitData);

    dialog.Command(view, 51);  // 7 data bits
    dialog.Command(view, 400);
    EXPECT_EQ(1u, ui.messages.size());
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(1, view.result);
    ASSERT_EQ(1u, device.states.size());
    const Dcb& applied = device.states[0];
    EXPECT_EQ(7, applied.ByteSize);
    EXPECT_EQ(kEvenParity, applied.Parity);
    EXPECT_EQ(kTwoStopBits, applied.StopBits);
    // Rate and flow control stay as the connection made them.
    EXPECT_EQ(2400u, applied.BaudRate);
    EXPECT_EQ(1u, applied.fOutX);
    EXPECT_EQ(0, port.EightBitData);
    EXPECT_EQ(kEvenParity, port.SavedFraming[1]);
    EXPECT_EQ(1, service.DataBitsIndex);
    EXPECT_EQ(2, service.Parity);
}

TEST_F(CommDialogsTest, CancelPutsTheServiceHeadBackAndLeavesThePortAlone) {
    const ServiceEntry before = service;
    for (int cancel : {300, 2}) {
        RecordingDialogView v;
        CommParameterDialog dialog(service, port, [&] { return Validate(); });
        dialog.Open(v);
        for (int id : {12, 22, 51}) dialog.Command(v, id);
        EXPECT_EQ(1, service.Parity);
        dialog.Command(v, cancel);
        EXPECT_TRUE(v.closed);
        EXPECT_EQ(0, v.result);
        EXPECT_EQ(0, std::memcmp(&before, &service, sizeof service));
    }
    EXPECT_TRUE(device.states.empty());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace palvex
