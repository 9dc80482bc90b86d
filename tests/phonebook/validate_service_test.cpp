#include "phonebook/validate_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/scratch_dir.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

// An installation directory holding a Hayes profile whose valid dial
// characters are `valid`.
class ValidateServiceTest : public ::testing::Test {
protected:
    void SetUp() override { WriteProfile("0123456789-,() *#W"); }

    void WriteProfile(const char* valid) {
        ModemProfile p{};
        StoreField(p.ValidDialChars, valid);
        ASSERT_TRUE(SaveModemProfile(p, dir_.str(), kHayesIndex));
    }

    static ServiceEntry Good() {
        ServiceEntry e = DefaultServiceEntry();
        std::strcpy(e.ShortName, "ACME");
        std::strcpy(e.PhoneNumber, "555-0100");
        return e;
    }

    // The string id of the one message shown, 0 when it passed.
    int Check(const ServiceEntry& e) {
        ui_ = RecordingUi();
        ModemProfile working{};
        const int r = ValidateService(e, working, dir_.str(), ui_, nullptr);
        if (r == 0) {
            EXPECT_TRUE(ui_.messages.empty());
            EXPECT_TRUE(ui_.beeps.empty());
            return 0;
        }
        EXPECT_EQ(r, -1);
        EXPECT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.beeps, std::vector<unsigned>{kBeepIconHand});
        if (ui_.messages.empty()) return -1;
        EXPECT_EQ(ui_.messages[0].style, 0x2040u);
        return ui_.messages[0].stringId;
    }

    testing::ScratchDir dir_;
    RecordingUi ui_;
};

// The first check in order wins, so a case that breaks two things names the
// earlier message.
TEST_F(ValidateServiceTest, ChecksInOrderWithTheFirstFailureOnly) {
    struct Case {
        const char* what;
        const char* name;
        int dataBits, parity, phoneType;  // phone type 0 pulse, 1 tone, 2 none
        const char* number;
        int message;
    } cases[] = {
        {"passes", "ACME", 0, 0, 1, "555-0100", 0},
        {"empty name", "", 0, 0, 1, "555-0100", str::kStrIllegalServiceName},
        {"name before parity", "A.B", 0, 2, 1, "555-0100", str::kStrIllegalServiceName},
        {"wildcard in name", "A*B", 0, 0, 1, "555-0100", str::kStrIllegalServiceName},
        {"path in name", "A\\B", 0, 0, 1, "555-0100", str::kStrIllegalServiceName},
        {"stem characters pass", "A-B&_!", 0, 0, 1, "555-0100", 0},
        {"eight characters pass", "12345678", 0, 0, 1, "555-0100", 0},
        {"8 bits odd", "ACME", 0, 1, 1, "555-0100", str::kStrSelectDatabits},
        {"7 bits even", "ACME", 1, 2, 1, "555-0100", 0},
        {"parity before number", "ACME", 0, 1, 1, "", str::kStrSelectDatabits},
        {"tone without number", "ACME", 0, 0, 1, "", str::kStrSpecifyPhoneNumber},
        {"none with number", "ACME", 0, 0, 2, "555-0100", str::kStrInvalidPhoneType},
        {"none without number", "ACME", 0, 0, 2, "", 0},
        {"letter in number", "ACME", 0, 0, 1, "555-01O0", str::kStrInvalidPhoneNumber},
        {"every valid character", "ACME", 0, 0, 1, "9,W(555) 01-00*#", 0},
    };
    for (const Case& c : cases) {
        ServiceEntry e = Good();
        std::strcpy(e.ShortName, c.name);
        e.DataBitsIndex = static_cast<int16_t>(c.dataBits);
        e.Parity = static_cast<int16_t>(c.parity);
        e.PhoneType = static_cast<int16_t>(c.phoneType);
        std::strcpy(e.PhoneNumber, c.number);
        EXPECT_EQ(Check(e), c.message) << c.what;
    }
}

TEST_F(ValidateServiceTest, NumbersAreCheckedAgainstTheEntrysOwnManufacturer) {
    // An empty valid set refuses every number, but not the empty one of a
    // direct connection.
    WriteProfile("");
    EXPECT_EQ(Check(Good()), str::kStrInvalidPhoneNumber);
    ServiceEntry direct = Good();
    direct.PhoneType = 2;
    direct.PhoneNumber[0] = 0;
    EXPECT_EQ(Check(direct), 0);

    // Another manufacturer's profile is loaded for the check, not the one in
    // memory: USRobotics allows letters, Hayes (above) nothing.
    ModemProfile us{};
    StoreField(us.ValidDialChars, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-");
    ASSERT_TRUE(SaveModemProfile(us, dir_.str(), kUsRoboticsIndex));
    ServiceEntry e = Good();
    std::strcpy(e.PhoneNumber, "1-800-FLOWERS");
    e.ModemIndex = kUsRoboticsIndex;
    EXPECT_EQ(Check(e), 0);
}

}  // namespace
}  // namespace palvex
