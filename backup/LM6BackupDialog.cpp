#include "LM6BackupDialog.h"

#include "BackupDialogFrame.h"
#include "PresetLabels.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXSpinControl.h"

namespace
{
constexpr int radioGroup = 4;

const char* const modeNames[] = { "backupLM6Toggle", "backupPresetBankToggle", "backupPresetToggle",
                                  "backupCurrentPresetToggle" };
const char* const wholeDeviceText = "Please choose one or more options under \"Back up the LM6.\"";

bool isOn (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return toggle != nullptr && toggle->getToggleState();
}

juce::uint8 flag (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return isOn (toggle) ? 1 : 0;
}

bool withinRange (const TPXSpinControl& spin, int value)
{
    return value >= spin.getMinimum() && value <= spin.getMaximum();
}
} // namespace

LM6BackupDialog::LM6BackupDialog()
{
    setName ("LM6 Backup Component");
}

LM6BackupDialog::~LM6BackupDialog()
{
    for (auto* spin : { bankSpin.get(), presetSpin.get() })
        if (spin != nullptr)
            spin->removeChangeListener (this);
}

void LM6BackupDialog::buildFromSkin (SkinManager* skin)
{
    if (skin == nullptr)
        return;

    const auto* section = skin->getSection ("LM6BackupSkin");

    if (section == nullptr)
        return;

    setSize (dialogWidth, dialogHeight);

    for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
    {
        const auto name = widget->getStringAttribute ("name");
        juce::Component* built = nullptr;
        int mode = -1;

        for (int i = 0; i < numModes; ++i)
            if (name == modeNames[i])
                mode = i;

        if (mode >= 0)
        {
            modeToggles[mode] = BackupDialogFrame::makeToggle (*widget, radioGroup, false);
            modeToggles[mode]->addListener (this);
            built = modeToggles[mode].get();
        }
        else if (name == "backupPresetBanksToggle" || name == "backupSystemToggle")
        {
            auto& toggle = name == "backupSystemToggle" ? systemToggle : presetBanksToggle;
            toggle = BackupDialogFrame::makeToggle (*widget, 0, true);
            toggle->setEnabled (false);
            toggle->addListener (this);
            built = toggle.get();
        }
        else if (name == "backupPresetBankSpinControl" || name == "backupPresetSpinControl")
        {
            const bool bank = name == "backupPresetBankSpinControl";
            BackupDialogFrame::SpinSettings settings;
            settings.allowedCharacters = bank ? "ABCDEFGHIJKLMNOPabcdefghijklmnop"
                                              : "ABCDEFGHIJKLMNOPabcdefghijklmnop1234567890";
            settings.displayMode = bank ? 2 : 1;
            auto& spin = bank ? bankSpin : presetSpin;
            spin = BackupDialogFrame::makeSpin (skin, *widget, settings);
            spin->setEnabledState (false);
            spin->addChangeListener (this);
            built = spin.get();
        }
        else if (name.startsWith ("divider") && name.getTrailingIntValue() >= 1 && name.getTrailingIntValue() <= 3)
        {
            auto& divider = dividers[name.getTrailingIntValue() - 1];
            divider = skin->createDrawableButton (widget, name);
            built = divider.get();
        }
        else if (name == "okayButton" || name == "cancelButton")
        {
            auto& button = name == "okayButton" ? okayButton : cancelButton;
            button = skin->createDrawableButton (widget, name);
            button->addListener (this);

            if (name == "okayButton")
            {
                button->setAlpha (0.3f);
                button->setEnabled (false);
            }

            built = button.get();
        }
        else if (name == "rectangle")
        {
            rectangle = skin->createLabel (widget, name);
            rectangle->setEditable (false);
            built = rectangle.get();
        }

        if (built != nullptr)
            addAndMakeVisible (built);
    }
}

//==============================================================================
void LM6BackupDialog::getBackupSelection (LM6BackupSelection& selection) const
{
    selection = {};

    if (isOn (modeToggles[wholeDevice]))
    {
        selection.allPresetBanks = flag (presetBanksToggle);
        selection.system = flag (systemToggle);
    }

    selection.onePresetBank = flag (modeToggles[onePresetBank]);

    if (selection.onePresetBank != 0 && bankSpin != nullptr)
    {
        juce::uint16 bank = 0;

        if (parseBankLetter (bankSpin->getText(), bank) && withinRange (*bankSpin, bank))
            selection.presetBank = bank;
    }

    selection.onePreset = flag (modeToggles[onePreset]);

    if (selection.onePreset != 0 && presetSpin != nullptr)
    {
        juce::uint16 preset = 0;

        if (parseLetterNumberLabel (presetSpin->getText(), preset) && withinRange (*presetSpin, preset))
            selection.preset = preset;
    }

    selection.currentPreset = flag (modeToggles[currentPreset]);
}

bool LM6BackupDialog::validateSelection()
{
    LM6BackupSelection s;
    getBackupSelection (s);

    // OK with no mode chosen would start a backup of nothing; it asks for a choice instead.
    bool anyMode = false;

    for (auto& toggle : modeToggles)
        anyMode = anyMode || isOn (toggle);

    if (! anyMode || (isOn (modeToggles[wholeDevice]) && s.allPresetBanks == 0 && s.system == 0))
    {
        BackupDialogFrame::showWarning (wholeDeviceText);
        return false;
    }

    if (s.onePresetBank != 0 && s.presetBank == -1)
    {
        BackupDialogFrame::showWarning ("Please enter a valid preset bank.");
        BackupDialogFrame::focusSpin (bankSpin.get());
        return false;
    }

    if (s.onePreset != 0 && s.preset == -1)
    {
        BackupDialogFrame::showWarning ("Please enter a valid preset number.\nValid values are in the format "
                                        "\"A1\", \"A2\", ..., \"A8\", \"B1\", ..., \"P8\".");
        BackupDialogFrame::focusSpin (presetSpin.get());
        return false;
    }

    return true;
}

//==============================================================================
void LM6BackupDialog::applyMode (int mode, bool moveFocus)
{
    BackupDialogFrame::setEnabled ({ presetBanksToggle.get(), systemToggle.get() }, mode == wholeDevice);

    if (bankSpin != nullptr)
        bankSpin->setEnabledState (mode == onePresetBank);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (mode == onePreset);

    if (! moveFocus)
        return;

    if (mode == wholeDevice)
        BackupDialogFrame::focus (presetBanksToggle.get());
    else if (mode == onePresetBank)
        BackupDialogFrame::focusSpin (bankSpin.get());
    else if (mode == onePreset)
        BackupDialogFrame::focusSpin (presetSpin.get());
    else
        BackupDialogFrame::focus (modeToggles[mode].get());
}

void LM6BackupDialog::makeOkUsable()
{
    if (okayButton == nullptr)
        return;

    if (! okayButton->isEnabled() || (okayButton->getParentComponent() != nullptr && ! okayButton->getParentComponent()->isEnabled()))
    {
        okayButton->setAlpha (1.0f);
        okayButton->setEnabled (true);
    }
}

void LM6BackupDialog::buttonClicked (juce::Button* button)
{
    if (button == okayButton.get())
    {
        if (validateSelection())
        {
            BackupDialogFrame::closeDialog (*this, BackupDialogFrame::okResult);
            sendChangeMessage();
        }
    }
    else if (button == cancelButton.get())
    {
        BackupDialogFrame::closeDialog (*this, 0);
    }
    else
    {
        for (int mode = 0; mode < numModes; ++mode)
            if (button == modeToggles[mode].get() && button->getToggleState())
                applyMode (mode, true);
    }

    makeOkUsable();
}

void LM6BackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == bankSpin.get() ? bankSpin.get() : source == presetSpin.get() ? presetSpin.get() : nullptr;

    if (spin == nullptr)
        return;

    if (spin->wasConfirmed())
    {
        BackupDialogFrame::focus (okayButton.get());
        return;
    }

    const auto mode = spin == bankSpin.get() ? onePresetBank : onePreset;

    for (int i = 0; i < numModes; ++i)
        if (modeToggles[i] != nullptr)
            modeToggles[i]->setToggleState (i == mode, juce::dontSendNotification);

    applyMode (mode, false);

    if (okayButton != nullptr)
    {
        okayButton->setAlpha (1.0f);
        okayButton->setEnabled (true);
    }
}
