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

using Frame = BackupDialogFrame;
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
    const auto* section = Frame::getSection (skin, "LM6BackupSkin");

    if (section == nullptr)
        return;

    setSize (dialogWidth, dialogHeight);

    Frame::buildWidgets (*this, *section, [this, skin] (const juce::XmlElement& widget, const juce::String& name) -> juce::Component*
    {
        for (int mode = 0; mode < numModes; ++mode)
        {
            if (name == modeNames[mode])
            {
                modeToggles[mode] = Frame::makeToggle (widget, radioGroup, false);
                modeToggles[mode]->addListener (this);
                return modeToggles[mode].get();
            }
        }

        if (name == "backupPresetBanksToggle" || name == "backupSystemToggle")
        {
            auto& toggle = name == "backupSystemToggle" ? systemToggle : presetBanksToggle;
            toggle = Frame::makeToggle (widget, 0, true);
            toggle->setEnabled (false);
            toggle->addListener (this);
            return toggle.get();
        }

        if (name == "backupPresetBankSpinControl" || name == "backupPresetSpinControl")
        {
            const bool bank = name == "backupPresetBankSpinControl";
            Frame::SpinSettings settings;
            settings.allowedCharacters = bank ? "ABCDEFGHIJKLMNOPabcdefghijklmnop"
                                              : "ABCDEFGHIJKLMNOPabcdefghijklmnop1234567890";
            settings.displayMode = bank ? 2 : 1;
            auto& spin = bank ? bankSpin : presetSpin;
            spin = Frame::makeSpin (skin, widget, settings);
            spin->setEnabledState (false);
            spin->addChangeListener (this);
            return spin.get();
        }

        if (name.startsWith ("divider") && name.getTrailingIntValue() >= 1 && name.getTrailingIntValue() <= 3)
        {
            auto& divider = dividers[name.getTrailingIntValue() - 1];
            divider = skin->createDrawableButton (&widget, name);
            return divider.get();
        }

        auto* built = Frame::makeOkayCancelOrRectangle (*skin, widget, name, *this, okayButton, cancelButton, rectangle);

        // OK stays dimmed until the first choice.
        if (built != nullptr && built == okayButton.get())
        {
            okayButton->setAlpha (0.3f);
            okayButton->setEnabled (false);
        }

        return built;
    });
}

//==============================================================================
void LM6BackupDialog::getBackupSelection (LM6BackupSelection& selection) const
{
    selection = {};

    if (Frame::isOn (modeToggles[wholeDevice]))
    {
        selection.allPresetBanks = Frame::flag (presetBanksToggle);
        selection.system = Frame::flag (systemToggle);
    }

    selection.onePresetBank = Frame::flag (modeToggles[onePresetBank]);

    if (selection.onePresetBank != 0 && bankSpin != nullptr)
    {
        juce::uint16 bank = 0;

        if (parseBankLetter (bankSpin->getText(), bank) && Frame::isWithinRange (*bankSpin, bank))
            selection.presetBank = bank;
    }

    selection.onePreset = Frame::flag (modeToggles[onePreset]);

    if (selection.onePreset != 0 && presetSpin != nullptr)
    {
        juce::uint16 preset = 0;

        if (parseLetterNumberLabel (presetSpin->getText(), preset) && Frame::isWithinRange (*presetSpin, preset))
            selection.preset = preset;
    }

    selection.currentPreset = Frame::flag (modeToggles[currentPreset]);
}

bool LM6BackupDialog::validateSelection()
{
    LM6BackupSelection s;
    getBackupSelection (s);

    // OK with no mode chosen would start a backup of nothing; it asks for a choice instead.
    bool anyMode = false;

    for (auto& toggle : modeToggles)
        anyMode = anyMode || Frame::isOn (toggle);

    if (! anyMode || (Frame::isOn (modeToggles[wholeDevice]) && s.allPresetBanks == 0 && s.system == 0))
    {
        Frame::showWarning (wholeDeviceText);
        return false;
    }

    if (s.onePresetBank != 0 && s.presetBank == -1)
        return Frame::rejectSpinValue ("Please enter a valid preset bank.", bankSpin.get());

    if (s.onePreset != 0 && s.preset == -1)
        return Frame::rejectSpinValue ("Please enter a valid preset number.\nValid values are in the format "
                                       "\"A1\", \"A2\", ..., \"A8\", \"B1\", ..., \"P8\".", presetSpin.get());

    return true;
}

//==============================================================================
void LM6BackupDialog::applyMode (int mode, bool moveFocus)
{
    Frame::setEnabled ({ presetBanksToggle.get(), systemToggle.get() }, mode == wholeDevice);

    if (bankSpin != nullptr)
        bankSpin->setEnabledState (mode == onePresetBank);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (mode == onePreset);

    if (! moveFocus)
        return;

    if (mode == wholeDevice)
        Frame::focus (presetBanksToggle.get());
    else if (mode == onePresetBank)
        Frame::focusSpin (bankSpin.get());
    else if (mode == onePreset)
        Frame::focusSpin (presetSpin.get());
    else
        Frame::focus (modeToggles[mode].get());
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
    if (! Frame::handleOkayOrCancel (*this, button, okayButton.get(), cancelButton.get()))
        if (const auto mode = Frame::clickedMode (button, modeToggles); mode >= 0)
            applyMode (mode, true);

    makeOkUsable();
}

void LM6BackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == bankSpin.get() ? bankSpin.get() : source == presetSpin.get() ? presetSpin.get() : nullptr;

    if (spin == nullptr || Frame::focusOkayIfConfirmed (*spin, okayButton.get()))
        return;

    const auto mode = spin == bankSpin.get() ? onePresetBank : onePreset;
    Frame::selectOnly (modeToggles, mode);
    applyMode (mode, false);

    if (okayButton != nullptr)
    {
        okayButton->setAlpha (1.0f);
        okayButton->setEnabled (true);
    }
}

void LM6BackupDialog::paint (juce::Graphics& g)
{
    BackupDialogFrame::paintBody (*this, g);
}

void LM6BackupDialog::parentHierarchyChanged()
{
    BackupDialogFrame::belongToMainWindow (*this);
}
