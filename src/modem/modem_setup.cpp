#include "modem/modem_setup.h"

#include "shell/dialog_buttons.h"
#include "shell/dialog_ids.h"

namespace palvex {

namespace {


constexpr ProfileBinding kCommandBindings[] = {
    {dlg::kProfilePrefix, &ModemProfile::DialPrefix},   {dlg::kProfileSuffix, &ModemProfile::DialSuffix},
    {dlg::kProfileHangup, &ModemProfile::HangupString}, {dlg::kProfileInit, &ModemProfile::InitString},
    {dlg::kProfileReset, &ModemProfile::ResetString},   {dlg::kProfileEscape, &ModemProfile::EscapeString},
    {dlg::kProfileValidChars, &ModemProfile::ValidDialChars},
};

constexpr ProfileBinding kResultBindings[] = {
    {dlg::kResultBusy, &ModemProfile::ResultBusy},       {dlg::kResultDialtone, &ModemProfile::ResultDialtone},
    {dlg::kResultCarrier, &ModemProfile::ResultCarrier}, {dlg::kResultAnswer, &ModemProfile::ResultAnswer},
    {dlg::kResultTimeout, &ModemProfile::ResultTimeout}, {dlg::kResultError, &ModemProfile::ResultError},
    {dlg::kResultOk, &ModemProfile::ResultOk},           {dlg::kResultConnect, &ModemProfile::ResultConnect},
};

template <typename F>
void ForEachBinding(ProfileFieldsDialog::Kind kind, F&& f) {
    if (kind == ProfileFieldsDialog::Kind::Commands)
        for (const ProfileBinding& b : kCommandBindings) f(b);
    else
        for (const ProfileBinding& b : kResultBindings) f(b);
}

bool ValidManufacturer(int index) { return index >= 0 && index < kManufacturerCount; }

}  // namespace

void ModemSelectDialog::Open(ListDialogView& view) {
    for (const char* name : ManufacturerTable) view.AddItem(dlg::kModemList, name);
    setup_.pending = setup_.service.ModemIndex;
    if (ValidManufacturer(setup_.pending)) view.SelectItem(dlg::kModemList, setup_.pending);
}

void ModemSelectDialog::ListChanged(ListDialogView& view) {
    const int selected = view.Selection(dlg::kModemList);
    // A notification with nothing selected (focus changes) keeps the choice.
    if (ValidManufacturer(selected)) setup_.pending = selected;
}

bool ModemSelectDialog::Command(ListDialogView& view, int control) {
    switch (control) {
    case dlg::kModemSelect:
        // A service from a damaged file may name no manufacturer at all.
        if (ValidManufacturer(setup_.pending) && openProfile_) openProfile_();
        return true;
    case dlg::kOk:
        setup_.service.ModemIndex = static_cast<int16_t>(setup_.pending);
        view.Close(1);
        return true;
    default:
        return StandardButton(view, control, kModemHelpContext);
    }
}

void ProfileFieldsDialog::Open(ListDialogView& view) {
    const std::string name = ManufacturerName(setup_.pending);
    view.SetTitle(kind_ == Kind::Commands ? name : name + " Result code");
    ForEachBinding(kind_, [&](const ProfileBinding& b) { view.LimitText(b.control, kProfileTextLimit); });
    if (LoadModemProfile(setup_.profile, setup_.installDir, setup_.pending, ProfileAccess::ReadWrite)) Fill(view);
}

void ProfileFieldsDialog::Fill(ListDialogView& view) {
    ForEachBinding(kind_, [&](const ProfileBinding& b) {
        view.SetText(b.control, std::string(FieldText(setup_.profile.*b.field).substr(0, kProfileTextLimit)));
    });
}

void ProfileFieldsDialog::TextChanged(ListDialogView& view, int control) {
    ForEachBinding(kind_, [&](const ProfileBinding& b) {
        if (b.control != control) return;
        StoreField(setup_.profile.*b.field, view.GetText(control));
        edited_.insert(control);
    });
}

bool ProfileFieldsDialog::Command(ListDialogView& view, int control) {
    switch (control) {
    case dlg::kOk:
        if (kind_ == Kind::Commands) setup_.service.ModemIndex = static_cast<int16_t>(setup_.pending);
        SaveModemProfile(setup_.profile, setup_.installDir, setup_.pending);
        view.Close(1);
        return true;
    case dlg::kProfileResultCodes:
        if (kind_ != Kind::Commands) return false;
        if (openResults_) openResults_();
        // The result dialog reloads the whole profile from the file, which
        // would silently undo what was typed here before OK saves it.
        ForEachBinding(kind_, [&](const ProfileBinding& b) {
            if (edited_.count(b.control)) StoreField(setup_.profile.*b.field, view.GetText(b.control));
        });
        return true;
    default:
        return StandardButton(view, control, kind_ == Kind::Commands ? kProfileHelpContext : kResultHelpContext);
    }
}

}  // namespace palvex
