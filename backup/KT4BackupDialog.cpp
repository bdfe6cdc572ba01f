#include "KT4BackupDialog.h"

#include "BackupDialogFrame.h"
#include "PresetLabels.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXSpinControl.h"

namespace
{
constexpr int radioGroup = 6;

const char* const modeNames[] = { "backupKT4Toggle", "backupSetsOfPresetBanksToggle", "backupPresetBankToggle",
                                  "backupUserCabBankToggle", "backupPresetToggle", "backupUserCabToggle",
                                  "backupCurrentPresetToggle", "backupCurrentUserCabToggle" };
const char* const group1Names[] = { "backupPresetBanksToggle", "backupUserCabBanksToggle", "backupSystemToggle" };
const char* const group2Names[] = { "backupPresetBanks1Toggle", "backupPresetBanks2Toggle",
                                    "backupPresetBanks3Toggle", "backupPresetBanks4Toggle" };
const char* const group1ButtonNames[] = { "selectAllButtonKT4", "deselectAllButtonKT4", "invertSelectionButtonKT4" };
const char* const group2ButtonNames[] = { "selectAllButton2KT4", "deselectAllButton2KT4", "invertSelectionButton2KT4" };
const char* const spinNames[] = { "backupPresetBankSpinControl", "backupUserCabBankSpinControl",
                                  "backupPresetSpinControl", "backupUserCabSpinControl" };
const char* const dividerNames[] = { "divider1", "divider2", "divider3", "divider4" };

const char* const presetHelpText =
    "Please enter a valid preset number.\n\nHow to enter a Bank and Preset Number:\n\n"
    "1. Entering a single digit between 1 and 8 will jump to that preset within bank 1.\n\n"
    "2. Entering a two digit number between 01 and 64 will jump to preset 1 in the typed bank.\n\n"
    "3. Entering a single digit, punctuation, single digit will jump to the given bank and preset. "
    "Example: Type \"4.7\" and hit enter.The preset will change to bank 4 preset 7.\n\n"
    "4. Entering two digits, punctuation, single digit will jump to the given bank and preset. "
    "Example : Type \"18.7\" and hit enter.The preset will change to bank 18 preset 7.\n\n"
    "5. Valid punctuation characters : -*+/ , .; :";

template <size_t N>
int indexOf (const char* const (&names)[N], const juce::String& name)
{
    for (size_t i = 0; i < N; ++i)
        if (name == names[i])
            return (int) i;

    return -1;
}

using Frame = BackupDialogFrame;
} // namespace

KT4BackupDialog::KT4BackupDialog()
{
    setName ("KT4 Backup Component");
}

KT4BackupDialog::~KT4BackupDialog()
{
    for (auto& button : group1Buttons) if (button != nullptr) button->removeChangeListener (this);
    for (auto& button : group2Buttons) if (button != nullptr) button->removeChangeListener (this);
    for (auto& spin : spins) if (spin != nullptr) spin->removeChangeListener (this);
}

void KT4BackupDialog::buildFromSkin (SkinManager* skin)
{
    const auto* section = Frame::getSection (skin, "KT4BackupSkin");

    if (section == nullptr)
        return;

    setSize (dialogWidth, dialogHeight);

    Frame::buildWidgets (*this, *section, [this, skin] (const juce::XmlElement& widget, const juce::String& name) -> juce::Component*
    {
        if (auto i = indexOf (modeNames, name); i >= 0)
        {
            modeToggles[i] = Frame::makeToggle (widget, radioGroup, i == wholeDevice);
            modeToggles[i]->addListener (this);
            return modeToggles[i].get();
        }

        if (auto g1 = indexOf (group1Names, name); g1 >= 0)
        {
            group1Toggles[g1] = Frame::makeToggle (widget, 0, true);
            group1Toggles[g1]->addListener (this);
            return group1Toggles[g1].get();
        }

        if (auto g2 = indexOf (group2Names, name); g2 >= 0)
        {
            group2Toggles[g2] = Frame::makeToggle (widget, 0, true);
            group2Toggles[g2]->setEnabled (false);
            group2Toggles[g2]->addListener (this);
            return group2Toggles[g2].get();
        }

        if (auto b1 = indexOf (group1ButtonNames, name); b1 >= 0)
        {
            group1Buttons[b1] = Frame::makeGroupButton (*skin, widget, name, *this);
            return group1Buttons[b1].get();
        }

        if (auto b2 = indexOf (group2ButtonNames, name); b2 >= 0)
        {
            group2Buttons[b2] = Frame::makeGroupButton (*skin, widget, name, *this);
            group2Buttons[b2]->setEnabled (false);
            return group2Buttons[b2].get();
        }

        if (auto s = indexOf (spinNames, name); s >= 0)
        {
            static const int modes[] = { 4, 0, 5, 6 };
            Frame::SpinSettings settings;
            settings.allowedCharacters = s == 2 ? "1234567890-*+/,.;:" : "1234567890";
            settings.displayMode = modes[s];
            spins[s] = Frame::makeSpin (skin, widget, settings);
            spins[s]->setEnabledState (false);
            spins[s]->addChangeListener (this);
            return spins[s].get();
        }

        if (auto d = indexOf (dividerNames, name); d >= 0)
        {
            dividers[d] = skin->createDrawableButton (&widget, name);
            return dividers[d].get();
        }

        if (name == "backupTimeWarning")
        {
            timeWarning = Frame::makeTextLabel (skin, widget);
            return timeWarning.get();
        }

        return Frame::makeOkayCancelOrRectangle (*skin, widget, name, *this, okayButton, cancelButton, rectangle);
    });
}

//==============================================================================
void KT4BackupDialog::getBackupSelection (KT4BackupSelection& selection) const
{
    selection = {};

    if (Frame::isOn (modeToggles[wholeDevice]))
    {
        selection.allPresetBanks = Frame::flag (group1Toggles[0]);
        selection.allUserCabBanks = Frame::flag (group1Toggles[1]);
        selection.system = Frame::flag (group1Toggles[2]);
    }

    if (Frame::isOn (modeToggles[bankSets]))
        for (int i = 0; i < 4; ++i)
            selection.bankSets[i] = Frame::flag (group2Toggles[i]);

    selection.onePresetBank = Frame::flag (modeToggles[onePresetBank]);

    if (selection.onePresetBank != 0 && spins[0] != nullptr)
    {
        const auto n = (juce::uint16) spins[0]->getText().getIntValue();
        selection.presetBank = Frame::isWithinRange (*spins[0], n) ? n - 1 : -1;
    }

    selection.onePreset = Frame::flag (modeToggles[onePreset]);

    if (selection.onePreset != 0 && spins[2] != nullptr)
    {
        juce::uint16 index = 0;
        selection.preset = parseBankPresetLabel (spins[2]->getText(), index) ? (juce::int32) index : -1;
    }

    selection.oneUserCabBank = Frame::flag (modeToggles[oneUserCabBank]);

    if (selection.oneUserCabBank != 0 && spins[1] != nullptr)
    {
        const auto n = (juce::uint16) spins[1]->getText().getIntValue();
        selection.userCabBank = Frame::isWithinRange (*spins[1], n) ? (n - 1) % 256 : -1;
    }

    selection.oneUserCab = Frame::flag (modeToggles[oneUserCab]);

    if (selection.oneUserCab != 0 && spins[3] != nullptr)
    {
        const auto n = spins[3]->getText().getIntValue();
        selection.userCab = Frame::isWithinRange (*spins[3], n) ? n - 1 : -1;
    }

    selection.currentPreset = Frame::flag (modeToggles[currentPreset]);
    selection.currentUserCab = Frame::flag (modeToggles[currentUserCab]);
}

bool KT4BackupDialog::validateSelection()
{
    KT4BackupSelection s;
    getBackupSelection (s);

    if (Frame::isOn (modeToggles[wholeDevice]) && s.allPresetBanks == 0 && s.allUserCabBanks == 0 && s.system == 0)
    {
        Frame::showWarning ("Please choose one or more options under \"Back up the KT4.\"");
        return false;
    }

    if (Frame::isOn (modeToggles[bankSets]) && s.bankSets[0] == 0 && s.bankSets[1] == 0 && s.bankSets[2] == 0 && s.bankSets[3] == 0)
    {
        Frame::showWarning ("Please choose one or more options under \"Back up sets of preset banks.\"");
        return false;
    }

    struct Check { bool failed; const char* text; int spin; };
    const Check checks[] = {
        { s.onePresetBank != 0 && s.presetBank == -1, "Please enter a valid preset bank number.", 0 },
        { s.oneUserCabBank != 0 && s.userCabBank == -1, "Please enter a valid user cab bank number.", 1 },
        { s.onePreset != 0 && s.preset == -1, presetHelpText, 2 },
        { s.oneUserCab != 0 && s.userCab == -1, "Please enter a valid user cab number.", 3 },
    };

    for (const auto& check : checks)
    {
        if (check.failed)
            return Frame::rejectSpinValue (check.text, spins[check.spin].get());
    }

    return true;
}

//==============================================================================
juce::Array<juce::ToggleButton*> KT4BackupDialog::group (int index) const
{
    juce::Array<juce::ToggleButton*> toggles;

    if (index == 1)
        for (auto& toggle : group1Toggles)
            toggles.add (toggle.get());
    else
        for (auto& toggle : group2Toggles)
            toggles.add (toggle.get());

    return toggles;
}

void KT4BackupDialog::setGroupsEnabled (bool group1, bool group2)
{
    for (auto& toggle : group1Toggles) Frame::setEnabled ({ toggle.get() }, group1);
    for (auto& button : group1Buttons) Frame::setEnabled ({ button.get() }, group1);
    for (auto& toggle : group2Toggles) Frame::setEnabled ({ toggle.get() }, group2);
    for (auto& button : group2Buttons) Frame::setEnabled ({ button.get() }, group2);
}

void KT4BackupDialog::applyMode (int mode, bool moveFocus)
{
    setGroupsEnabled (mode == wholeDevice, mode == bankSets);

    // Modes 2 to 5 each have their spin control: the one preset bank, user cab bank, preset, user cab.
    for (int i = 0; i < 4; ++i)
        if (spins[i] != nullptr)
            spins[i]->setEnabledState (mode == onePresetBank + i);

    if (! moveFocus)
        return;

    if (mode == wholeDevice)
        Frame::focus (group1Toggles[0].get());
    else if (mode == bankSets)
        Frame::focus (group2Toggles[0].get());
    else if (mode >= onePresetBank && mode <= oneUserCab)
        Frame::focusSpin (spins[mode - onePresetBank].get());
    else
        Frame::focus (modeToggles[mode].get());
}

int KT4BackupDialog::modeOfSpin (const juce::ChangeBroadcaster* source) const
{
    for (int i = 0; i < 4; ++i)
        if (spins[i] != nullptr && source == spins[i].get())
            return onePresetBank + i;

    return -1;
}

void KT4BackupDialog::buttonClicked (juce::Button* button)
{
    if (Frame::handleOkayOrCancel (*this, button, okayButton.get(), cancelButton.get()))
        return;

    if (const auto mode = Frame::clickedMode (button, modeToggles); mode >= 0)
        applyMode (mode, true);
}

void KT4BackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (const auto mode = modeOfSpin (source); mode >= 0)
    {
        if (Frame::focusOkayIfConfirmed (*spins[mode - onePresetBank], okayButton.get()))
            return;

        // A click on the disabled control chooses its mode; the control has enabled itself.
        Frame::selectOnly (modeToggles, mode);
        applyMode (mode, false);
        return;
    }

    if (const auto op = Frame::clickedGroupOperation (source, group1Buttons); op >= 0)
        Frame::applyGroupOperation (op, group (1));
    else if (const auto op2 = Frame::clickedGroupOperation (source, group2Buttons); op2 >= 0)
        Frame::applyGroupOperation (op2, group (2));
}

void KT4BackupDialog::paint (juce::Graphics& g)
{
    BackupDialogFrame::paintBody (*this, g);
}

void KT4BackupDialog::parentHierarchyChanged()
{
    BackupDialogFrame::belongToMainWindow (*this);
}
