// Modem profiles: the file, the command-string notation, result matching, the
// shipped Hayes profile, and the logic of the three profile dialogs.
#include "modem/modem_profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "modem/modem_setup.h"
#include "phonebook/service_entry.h"
#include "shell/dialog_ids.h"
#include "support/scratch_dir.h"
#include "support/test_session.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

using ProfileDir = testing::ScratchDir;

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every byte different from its neighbours, NULs inside fields and the
// reserved area included, so a byte moved or dropped anywhere shows.
ModemProfile Patterned() {
    ModemProfile p;
    auto* raw = reinterpret_cast<uint8_t*>(&p);
    for (std::size_t i = 0; i < sizeof p; ++i) raw[i] = static_cast<uint8_t>(i * 7 + 3);
    return p;
}

ModemProfile HayesLike() {
    ModemProfile p;
    StoreField(p.ResultBusy, "BUSY");
    StoreField(p.ResultDialtone, "NO DIALTONE");
    StoreField(p.ResultCarrier, "NO CARRIER");
    StoreField(p.ResultAnswer, "NO ANSWER");
    StoreField(p.ResultTimeout, "DELAYED");
    StoreField(p.ResultError, "ERROR");
    StoreField(p.ResultOk, "OK");
    StoreField(p.ResultConnect, "CONNECT");
    return p;
}

TEST(ModemProfileFile, NamesAreTheManufacturerCutToEightCharacters) {
    const struct {
        int index;
        const char* name;
    } cases[] = {{13, "USRoboti.mdm"}, {4, "Hayes.mdm"}, {0, "AT&T.mdm"}, {15, "Custom.mdm"}, {-1, ""}, {16, ""}};
    for (const auto& c : cases) EXPECT_EQ(c.name, ProfileFileName(c.index)) << c.index;
    EXPECT_STREQ("", ManufacturerName(99));
}

TEST(ModemProfileFile, RoundTripKeepsEveryByteAndAShortFileFillsOnlyItsStart) {
    ProfileDir dir;
    const ModemProfile written = Patterned();
    ASSERT_TRUE(SaveModemProfile(written, dir.str(), kUsRoboticsIndex));
    const std::string bytes = FileBytes(dir / "USRoboti.mdm");
    ASSERT_EQ(kModemProfileSize, bytes.size());
    EXPECT_EQ(0, std::memcmp(bytes.data(), &written, sizeof written));

    ModemProfile read;
    ASSERT_TRUE(LoadModemProfile(read, dir.str(), kUsRoboticsIndex));
    EXPECT_EQ(0, std::memcmp(&read, &written, sizeof read));

    // A second save over the file rewrites it in place, still 2240 bytes.
    StoreField(read.ResetString, "ATZ^M");
    ASSERT_TRUE(SaveModemProfile(read, dir.str(), kUsRoboticsIndex));
    EXPECT_EQ(kModemProfileSize, fs::file_size(dir / "USRoboti.mdm"));

    dir.Write("Hayes.mdm", std::string(100, 'A'));
    ModemProfile partial = written;
    EXPECT_TRUE(LoadModemProfile(partial, dir.str(), kHayesIndex));
    const auto* raw = reinterpret_cast<const uint8_t*>(&partial);
    const auto* before = reinterpret_cast<const uint8_t*>(&written);
    EXPECT_EQ(std::string(100, 'A'), std::string(reinterpret_cast<const char*>(raw), 100));
    EXPECT_EQ(0, std::memcmp(raw + 100, before + 100, sizeof partial - 100));
}

TEST(ModemProfileFile, MissingFilesAndBadPlacesChangeNothingAndShowNothing) {
    ProfileDir dir;
    const ModemProfile original = Patterned();
    ModemProfile p = original;
    EXPECT_FALSE(LoadModemProfile(p, dir.str(), kHayesIndex));
    EXPECT_FALSE(LoadModemProfile(p, dir.str(), -3));
    EXPECT_FALSE(LoadModemProfile(p, (dir / "nowhere").string(), kHayesIndex, ProfileAccess::ReadWrite));
    EXPECT_EQ(0, std::memcmp(&p, &original, sizeof p));
    EXPECT_FALSE(SaveModemProfile(p, (dir / "nowhere").string(), kHayesIndex));
    EXPECT_FALSE(SaveModemProfile(p, dir.str(), 16));
    EXPECT_TRUE(fs::is_empty(dir / ""));
}

TEST(ModemProfileFile, EditsStoreAtMost78CharactersAndKeepWhatFollowsTheNul) {
    ModemProfile p = Patterned();
    const std::string tail(p.InitString + 4, kProfileFieldSize - 4);
    StoreField(p.InitString, "AT&");
    EXPECT_EQ("AT&", FieldText(p.InitString));
    EXPECT_EQ(tail, std::string(p.InitString + 4, kProfileFieldSize - 4));
    StoreField(p.InitString, std::string(200, 'x'));
    EXPECT_EQ(std::string(78, 'x'), FieldText(p.InitString));
    // A field with no NUL at all (a damaged file) is read to its end, not beyond.
    std::memset(p.ResetString, 'R', kProfileFieldSize);
    EXPECT_EQ(kProfileFieldSize, FieldText(p.ResetString).size());
}

// A caret gives the character less 0x40; with pauses every third tilde is a
// second and no tilde is sent, without them tildes are plain text.
TEST(ModemCommandNotation, CaretsAndTildes) {
    const struct {
        const char* text;
        std::string plain, paused;
        int pauses;
    } cases[] = {
        {"ATZ^M", "ATZ\r", "ATZ\r", 0},
        {"^m", "\x2D", "\x2D", 0},  // no case folding
        {"^@", std::string(1, '\0'), std::string(1, '\0'), 0},
        {"^0", "\xF0", "\xF0", 0},  // below 0x40 wraps round the byte
        {"ATH0^", "ATH0^", "ATH0^", 0},  // a final caret is itself
        {"", "", "", 0},
        {"~~~AT&F^M", "~~~AT&F\r", "AT&F\r", 1},
        {"~~AT", "~~AT", "AT", 0},
        {"A~B~C~D~E~F~G", "A~B~C~D~E~F~G", "ABCDEFG", 2},
        {"^~~~", "\x3E~~", ">", 0},  // ^~ is a byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.plain, ExpandControlNotation(c.text)) << c.text;
        const PausedCommand got = ExpandWithPauses(c.text);
        EXPECT_EQ(c.paused, got.bytes) << c.text;
        EXPECT_EQ(c.pauses, got.pauses) << c.text;
    }
}

// The waits come before the first byte, one WritePort per byte; the pump runs
// during them only when asked (the escape string while on line).
TEST(ModemCommandNotation, SenderWaitsFirstThenWritesOneByteAtATime) {
    const struct {
        const char* text;
        bool withPauses, pump;
        const char* sent;
        uint32_t waitedMs;
        bool drained;
    } cases[] = {
        {"~~~AT&F^M", true, false, "AT&F\r", 1000, false},
        {"~~~+++~~~", true, true, "+++", 2000, true},
        {"~~AT^M", true, false, "AT\r", 0, false},
        {"~~~ATZ^M", false, false, "~~~ATZ\r", 0, false},
    };
    for (const auto& c : cases) {
        testing::TestSession t;
        t.fake.QueueInput("RING");
        std::vector<uint32_t> writeTimes;
        t.fake.onWrite = [&](FakePort&, const uint8_t*, int) { writeTimes.push_back(t.loop.TickCount()); };
        t.fake.calls.clear();
        SendCommandString(t.session, c.text, c.withPauses, c.pump);
        EXPECT_EQ(c.sent, t.fake.WrittenText()) << c.text;
        ASSERT_EQ(std::string(c.sent).size(), writeTimes.size()) << c.text;
        EXPECT_GE(writeTimes.front(), c.waitedMs) << c.text;
        EXPECT_LT(writeTimes.front(), c.waitedMs + 50) << c.text;
        EXPECT_EQ(writeTimes.front(), writeTimes.back()) << c.text;
        EXPECT_EQ(c.drained, t.fake.input.empty()) << c.text;
        EXPECT_FALSE(t.loop.TimerRunning(kWaitTimerId));
    }
}

TEST(ModemResultCodes, FirstFieldInTableOrderFoundAnywhereInTheLine) {
    const ModemProfile p = HayesLike();
    const struct {
        const char* line;
        int index;
    } cases[] = {
        {"NO CARRIER", kModemCarrier}, {"CONNECT 2400", kModemConnect}, {"connect 2400", -1},
        {"  OK", kModemOk},            {"NO DIALTONE", kModemDialtone}, {"RING", -1},
        {"", -1},                      {"DELAYED 3", kModemTimeout},
    };
    for (const auto& c : cases) EXPECT_EQ(c.index, MatchResultCode(p, c.line)) << c.line;

    ModemProfile emptyBusy = p;
    StoreField(emptyBusy.ResultBusy, "");
    for (const char* line : {"NO CARRIER", "CONNECT 2400", "", "anything"})
        EXPECT_EQ(kModemBusy, MatchResultCode(emptyBusy, line)) << line;
}

#ifdef PALVEX_HAYES_MDM
TEST(ShippedHayesProfile, HoldsRealHayesStringsWithNoEmptyResult) {
    const fs::path file = PALVEX_HAYES_MDM;
    ASSERT_EQ(kModemProfileSize, fs::file_size(file));
    ModemProfile p;
    ASSERT_TRUE(LoadModemProfile(p, file.parent_path().string(), kHayesIndex));
    EXPECT_EQ("ATZ\r", ExpandControlNotation(FieldText(p.ResetString)));
    EXPECT_EQ("ATD", FieldText(p.DialPrefix));
    EXPECT_EQ("\r", ExpandControlNotation(FieldText(p.DialSuffix)));
    EXPECT_EQ("ATH0\r", ExpandControlNotation(FieldText(p.HangupString)));
    const PausedCommand init = ExpandWithPauses(FieldText(p.InitString));
    EXPECT_EQ(1, init.pauses);
    EXPECT_EQ("AT&F", init.bytes.substr(0, 4));
    EXPECT_EQ("+++", ExpandWithPauses(FieldText(p.EscapeString)).bytes);
    for (int i = 0; i < kModemResultCount; ++i) EXPECT_FALSE(FieldText(ResultField(p, i)).empty()) << i;
    EXPECT_EQ(kModemConnect, MatchResultCode(p, "CONNECT 2400/ARQ"));
    EXPECT_EQ("0123456789*#,TPW!@ -()", FieldText(p.ValidDialChars));
    EXPECT_EQ(std::string(sizeof p.Reserved, '\0'), std::string(&p.Reserved[0][0], sizeof p.Reserved));
}
#endif

// The dialogs without windows: what reaches the file and the service.
struct ModemDialogRig {
    ProfileDir& dir;
    ServiceEntry service = DefaultServiceEntry();
    ModemProfile profile;
    ModemSetup setup{service, profile, dir.str(), 0};
    RecordingDialogView list, commands, results;
    // Each opening of a dialog is a new one, as with the windows.
    std::optional<ProfileFieldsDialog> commandDialog, resultDialog;
    std::function<void(RecordingDialogView&)> onCommands, onResults;

    ModemSelectDialog select{setup, [this] {
                                 commands = {};
                                 commandDialog.emplace(setup, ProfileFieldsDialog::Kind::Commands, [this] {
                                     results = {};
                                     resultDialog.emplace(setup, ProfileFieldsDialog::Kind::Results);
                                     resultDialog->Open(results);
                                     if (onResults) onResults(results);
                                 });
                                 commandDialog->Open(commands);
                                 if (onCommands) onCommands(commands);
                             }};

    explicit ModemDialogRig(ProfileDir& d) : dir(d) {}

    static void Type(RecordingDialogView& view, ProfileFieldsDialog& dialog, int control,
                     const std::string& text) {
        view.texts[control] = text;
        dialog.TextChanged(view, control);
    }
};

// The result codes reload the file over the working profile; what was typed in
// the profile dialog before must still be what its OK saves.
TEST(ModemDialogs, ResultCodesReloadWithoutLosingTextTypedBefore) {
    ProfileDir dir;
    ModemDialogRig rig(dir);
    ModemProfile old = HayesLike();
    StoreField(old.ResetString, "ATZ^M");
    StoreField(old.HangupString, "ATH0^M");
    ASSERT_TRUE(SaveModemProfile(old, dir.str(), kUsRoboticsIndex));
    rig.service.ModemIndex = kUsRoboticsIndex;
    rig.onResults = [&](RecordingDialogView& v) {
        EXPECT_EQ("ATH0^M", FieldText(rig.profile.HangupString));  // reloaded
        rig.Type(v, *rig.resultDialog, dlg::kResultBusy, "LINE BUSY");
        rig.resultDialog->Command(v, dlg::kOk);
    };
    rig.onCommands = [&](RecordingDialogView& v) {
        rig.Type(v, *rig.commandDialog, dlg::kProfileHangup, "ATH^M" + std::string(90, '!'));
        rig.commandDialog->Command(v, dlg::kProfileResultCodes);
        rig.commandDialog->Command(v, dlg::kOk);
    };
    rig.select.Open(rig.list);
    rig.select.Command(rig.list, dlg::kModemSelect);
    ModemProfile onDisk;
    ASSERT_TRUE(LoadModemProfile(onDisk, dir.str(), kUsRoboticsIndex));
    EXPECT_EQ("LINE BUSY", FieldText(onDisk.ResultBusy));
    EXPECT_EQ("ATH^M" + std::string(73, '!'), FieldText(onDisk.HangupString));
    EXPECT_EQ("ATZ^M", FieldText(onDisk.ResetString));
}

}  // namespace
}  // namespace palvex
