#include "phonebook/validate_service.h"

#include <cstring>
#include <string_view>

#include "shell/string_ids.h"

namespace palvex {

namespace {

constexpr int kPhoneTypeNone = 2;

std::string_view Bounded(const char* text, std::size_t size) {
    const void* nul = std::memchr(text, '\0', size);
    return std::string_view(text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size);
}

int Refuse(Ui& ui, WindowRef owner, int stringId) {
    ui.MessageBeep(kBeepIconHand);
    ui.ShowMessage(owner, stringId, nullptr, kValidateStyle);
    return -1;
}

}  // namespace

bool IsLegalShortName(const char* shortName) {
    const std::string_view name = Bounded(shortName, 10);
    if (name.empty()) return false;
    return name.find_first_of(std::string_view(kIllegalNameChars)) == std::string_view::npos;
}

int ValidateService(const ServiceEntry& entry, ModemProfile& profile, const std::string& installDir, Ui& ui,
                    WindowRef owner) {
    if (!IsLegalShortName(entry.ShortName)) return Refuse(ui, owner, str::kStrIllegalServiceName);

    // The valid dial characters come from the manufacturer the entry names now,
    // which the editor may just have changed.
    LoadModemProfile(profile, installDir, entry.ModemIndex);

    if (entry.DataBitsIndex == 0 && (entry.Parity == 1 || entry.Parity == 2))
        return Refuse(ui, owner, str::kStrSelectDatabits);

    const std::string_view number = Bounded(entry.PhoneNumber, sizeof entry.PhoneNumber);
    if ((entry.PhoneType == 0 || entry.PhoneType == 1) && number.empty())
        return Refuse(ui, owner, str::kStrSpecifyPhoneNumber);
    if (entry.PhoneType == kPhoneTypeNone && !number.empty()) return Refuse(ui, owner, str::kStrInvalidPhoneType);

    const std::string_view valid = FieldText(profile.ValidDialChars);
    if (number.find_first_not_of(valid) != std::string_view::npos)
        return Refuse(ui, owner, str::kStrInvalidPhoneNumber);
    return 0;
}

}  // namespace palvex
