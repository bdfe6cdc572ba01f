#include "OrvixIIFamilyBackupDialog.h"

#include "BackupDialogFrame.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXEffectParam.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXSpinControl.h"

namespace
{
constexpr int radioGroup = 2;
constexpr int unknownOffsetShift = 80;

const char* const modeSuffixes[] = { "Toggle", "PresetToggle", "PresetEditBufferToggle", "UserCabToggle" };
const char* const groupButtonNames[] = { "selectAllButton", "deselectAllButton", "invertSelectionButton" };

bool isOn (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return toggle != nullptr && toggle->getToggleState();
}

juce::uint8 flag (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return isOn (toggle) ? 1 : 0;
}
} // namespace

OrvixIIFamilyBackupDialog::OrvixIIFamilyBackupDialog (bool isXL)
    : xl (isXL)
{
}

OrvixIIFamilyBackupDialog::~OrvixIIFamilyBackupDialog()
{
    deleteWidgets();
}

juce::String OrvixIIFamilyBackupDialog::prefix() const
{
    return xl ? "backupOrvixIIXL" : "backupOrvixII";
}

void OrvixIIFamilyBackupDialog::deleteWidgets()
{
    for (auto& button : groupButtons)
        if (button != nullptr)
            button->removeChangeListener (this);

    for (auto* spin : { presetSpin.get(), userCabSpin.get() })
        if (spin != nullptr)
            spin->removeChangeListener (this);

    removeAllChildren();

    for (auto& toggle : modeToggles) toggle.reset();
    for (auto& toggle : bankToggles) toggle.reset();
    for (auto& toggle : cabBankToggles) toggle.reset();
    for (auto& button : groupButtons) button.reset();
    for (auto& divider : dividers) divider.reset();

    systemToggle.reset();
    userCabsToggle.reset();
    stripGlobalsToggle.reset();
    presetSpin.reset();
    userCabSpin.reset();
    systemDescription.reset();
    offsetWarning.reset();
    rectangle.reset();
    okayButton.reset();
    cancelButton.reset();
}

void OrvixIIFamilyBackupDialog::setUp (SkinManager* skin, bool displayOffsetKnown)
{
    deleteWidgets();
    offsetKnown = displayOffsetKnown;
    shift = offsetKnown ? 0 : unknownOffsetShift;

    if (xl)
        setSize (585, offsetKnown ? 478 : 558);
    else
        setSize (375, offsetKnown ? 440 : 520);

    buildFromSkin (skin);
}

void OrvixIIFamilyBackupDialog::buildFromSkin (SkinManager* skin)
{
    if (skin == nullptr)
        return;

    const auto* section = skin->getSection (xl ? "OrvixIIXLBackupSkin" : "OrvixIIBackupSkin");

    if (section == nullptr)
        return;

    const auto p = prefix();

    for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
    {
        const auto name = widget->getStringAttribute ("name");
        juce::Component* built = nullptr;
        int mode = -1;

        for (int i = 0; i < numModes; ++i)
            if (name == p + modeSuffixes[i])
                mode = i;

        if (mode >= 0)
        {
            // The edit-buffer and user cab modes sit below the warning.
            const auto dy = mode == editBuffer || mode == oneUserCab ? shift : 0;
            modeToggles[mode] = BackupDialogFrame::makeToggle (*widget, radioGroup, mode == wholeDevice, dy);
            modeToggles[mode]->addListener (this);
            built = modeToggles[mode].get();
        }
        else if (name.startsWith (p + "Bank") && name.endsWith ("Toggle") && name.length() == p.length() + 11)
        {
            const auto bank = name[p.length() + 4] - 'A';

            if (bank >= 0 && bank < numBanks())
            {
                bankToggles[bank] = BackupDialogFrame::makeToggle (*widget, 0, ! (xl && bank >= 4));
                bankToggles[bank]->setEnabled (! (xl && bank >= 4));
                bankToggles[bank]->addListener (this);
                built = bankToggles[bank].get();
            }
        }
        else if (xl && name.startsWith (p + "CabBank") && name.length() == p.length() + 14)
        {
            const auto bank = name[p.length() + 7] - 'A';

            if (bank >= 0 && bank < 8)
            {
                cabBankToggles[bank] = BackupDialogFrame::makeToggle (*widget, 0, bank < 4);
                cabBankToggles[bank]->setEnabled (bank < 4);
                cabBankToggles[bank]->addListener (this);
                built = cabBankToggles[bank].get();
            }
        }
        else if (name == p + "SystemToggle" || (! xl && name == p + "UserCabsToggle"))
        {
            auto& toggle = name == p + "SystemToggle" ? systemToggle : userCabsToggle;
            toggle = BackupDialogFrame::makeToggle (*widget, 0, true);
            toggle->addListener (this);
            built = toggle.get();
        }
        else if (name == p + "PresetEditBufferStripGlobalsToggle")
        {
            stripGlobalsToggle = BackupDialogFrame::makeToggle (*widget, 0, false, shift);
            stripGlobalsToggle->setEnabled (false);
            stripGlobalsToggle->addListener (this);
            built = stripGlobalsToggle.get();
        }
        else if (name == p + "SystemDescription")
        {
            systemDescription = BackupDialogFrame::makeTextLabel (skin, *widget);
            built = systemDescription.get();
        }
        else if (name == p + "DisplayOffsetWarning")
        {
            offsetWarning = BackupDialogFrame::makeTextLabel (skin, *widget);
            addChildComponent (*offsetWarning);
            offsetWarning->setVisible (! offsetKnown);
        }
        else if (name == p + "PresetSpinControl")
        {
            BackupDialogFrame::SpinSettings settings;
            settings.maximum = xl ? 511 : 383;
            settings.readMinimum = settings.readMaximum = settings.readInitialValue = settings.readMaximumLength = false;
            presetSpin = BackupDialogFrame::makeSpin (skin, *widget, settings);
            presetSpin->addChangeListener (this);
            built = presetSpin.get();
        }
        else if (name == p + "UserCabSpinControl")
        {
            BackupDialogFrame::SpinSettings settings;
            settings.maximum = xl ? userCabCount : 0;
            settings.readMaximum = ! xl;
            settings.readMaximumLength = false;
            userCabSpin = BackupDialogFrame::makeSpin (skin, *widget, settings, shift);
            userCabSpin->addChangeListener (this);
            built = userCabSpin.get();
        }
        else if (name == "selectAllButton" || name == "deselectAllButton" || name == "invertSelectionButton")
        {
            const auto op = name == "selectAllButton" ? 0 : name == "deselectAllButton" ? 1 : 2;
            groupButtons[op] = skin->createPaintedButton (widget, name);
            groupButtons[op]->setName (name);
            groupButtons[op]->addChangeListener (this);
            built = groupButtons[op].get();
        }
        else if (name == "divider1" || name == "divider2" || name == "divider3")
        {
            const auto d = name.getTrailingIntValue() - 1;
            auto image = std::make_unique<juce::DrawableImage>();
            image->setImage (SkinManager::getImage (widget->getStringAttribute ("icon")));
            dividers[d] = std::move (image);
            dividerPositions[d] = { widget->getIntAttribute ("positionX"),
                                    widget->getIntAttribute ("positionY") + (d > 0 ? shift : 0) };
        }
        else if (name == "okayButton" || name == "cancelButton")
        {
            auto& button = name == "okayButton" ? okayButton : cancelButton;
            button = skin->createDrawableButton (widget, name);
            button->setTopLeftPosition (button->getX(), button->getY() + shift);
            button->addListener (this);
            built = button.get();
        }
        else if (name == "rectangle")
        {
            rectangle = skin->createLabel (widget, name);
            rectangle->setTopLeftPosition (rectangle->getX(), rectangle->getY() + shift);
            rectangle->setEditable (false);
            built = rectangle.get();
        }

        if (built != nullptr)
            addAndMakeVisible (built);
    }

    // The spins start disabled with the whole-device mode.
    for (auto* spin : { presetSpin.get(), userCabSpin.get() })
        if (spin != nullptr)
            spin->setEnabledState (false);
}

//==============================================================================
void OrvixIIFamilyBackupDialog::setBankLabels (int offset)
{
    if (offset != 0 && offset != 1)
        return;

    for (int bank = 0; bank < numBanks(); ++bank)
    {
        if (bankToggles[bank] == nullptr)
            continue;

        const auto first = bank * 128 + offset;
        const auto text = juce::String ("Preset Bank ") + (char) ('A' + bank) + " ("
                        + juce::String (first).paddedLeft ('0', 3) + "-" + juce::String (first + 127).paddedLeft ('0', 3) + ")";
        bankToggles[bank]->setButtonText (text);
    }
}

void OrvixIIFamilyBackupDialog::setDisplayOffset (int offset)
{
    setBankLabels (offset);

    if (presetSpin == nullptr)
        return;

    int minimum = 0, maximum = 0;

    if (xl)
    {
        minimum = offset;
        maximum = offset + (banksEFGate ? 767 : 511);
    }
    else
    {
        minimum = offset == 0 ? 0 : 1;
        maximum = offset == 0 ? 383 : 384;
    }

    presetSpin->setInterval (1);
    presetSpin->setRange (minimum, maximum);
    const auto value = presetSpin->getValue();

    if (value < minimum || value > maximum)
        presetSpin->setValue (minimum);
}

void OrvixIIFamilyBackupDialog::storeUserCabCount (int count)
{
    userCabCount = count;

    if (userCabSpin != nullptr)
        userCabSpin->setMaximum (count);
}

void OrvixIIFamilyBackupDialog::applyGates (bool banksEFOpen, bool cabBanksEHOpen)
{
    const bool wholeOn = isOn (modeToggles[wholeDevice]);

    auto apply = [wholeOn] (std::unique_ptr<juce::ToggleButton>& toggle, bool open, bool wasOpen)
    {
        if (toggle == nullptr)
            return;

        toggle->setEnabled (open && wholeOn);

        if (! open)
            toggle->setToggleState (false, juce::dontSendNotification);
        else if (! wasOpen)
            toggle->setToggleState (true, juce::dontSendNotification);
    };

    for (int bank = 4; bank < 6; ++bank)
        apply (bankToggles[bank], banksEFOpen, banksEFGate);

    for (int bank = 4; bank < 8; ++bank)
        apply (cabBankToggles[bank], cabBanksEHOpen, cabBanksEHGate);

    banksEFGate = banksEFOpen;
    cabBanksEHGate = cabBanksEHOpen;
}

//==============================================================================
void OrvixIIFamilyBackupDialog::getBackupSelection (OrvixIIBackupSelection& selection) const
{
    selection = {};

    if (isOn (modeToggles[wholeDevice]))
    {
        for (int bank = 0; bank < numBanks(); ++bank)
            selection.banks[bank] = flag (bankToggles[bank]);

        selection.system = flag (systemToggle);
        selection.allUserCabs = xl ? 0 : flag (userCabsToggle);

        if (xl)
            for (int bank = 0; bank < 8; ++bank)
                selection.cabBanks[bank] = flag (cabBankToggles[bank]);
    }
    else if (isOn (modeToggles[onePreset]))
    {
        selection.onePreset = 1;
        selection.preset = presetSpin != nullptr ? presetSpin->getValue() : -1;
    }
    else if (isOn (modeToggles[editBuffer]))
    {
        selection.editBuffer = 1;
        selection.stripGlobals = flag (stripGlobalsToggle);
    }
    else if (isOn (modeToggles[oneUserCab]))
    {
        selection.oneUserCab = 1;
        selection.userCab = userCabSpin != nullptr ? userCabSpin->getValue() : -1;
    }
}

bool OrvixIIFamilyBackupDialog::validateSelection()
{
    OrvixIIBackupSelection s;
    getBackupSelection (s);

    if (isOn (modeToggles[wholeDevice]))
    {
        bool any = s.system != 0 || s.allUserCabs != 0;

        for (auto bank : s.banks) any = any || bank != 0;
        for (auto bank : s.cabBanks) any = any || bank != 0;

        if (! any)
        {
            BackupDialogFrame::showWarning ("Please choose one or more options under \"Back up the Orvix II.\"");
            return false;
        }
    }

    if (s.onePreset != 0 && presetSpin != nullptr
        && (s.preset < presetSpin->getMinimum() || s.preset > presetSpin->getMaximum()))
    {
        BackupDialogFrame::showWarning (juce::String::formatted ("Please enter a valid preset number between %d and %d",
                                                                 presetSpin->getMinimum(), presetSpin->getMaximum()));
        BackupDialogFrame::focusSpin (presetSpin.get());
        return false;
    }

    if (s.oneUserCab != 0 && userCabSpin != nullptr && (s.userCab < 1 || s.userCab > userCabCount))
    {
        BackupDialogFrame::showWarning (juce::String::formatted ("Please enter a valid user cab number between %d and %d",
                                                                 userCabSpin->getMinimum(), userCabSpin->getMaximum()));
        BackupDialogFrame::focusSpin (userCabSpin.get());
        return false;
    }

    return true;
}

//==============================================================================
juce::Array<juce::ToggleButton*> OrvixIIFamilyBackupDialog::getGroup() const
{
    juce::Array<juce::ToggleButton*> group;

    if (! xl)
    {
        for (int bank = 0; bank < 3; ++bank)
            group.add (bankToggles[bank].get());

        group.add (systemToggle.get());
        group.add (userCabsToggle.get());
        return group;
    }

    for (int bank = 0; bank < 4; ++bank)
        group.add (bankToggles[bank].get());

    group.add (systemToggle.get());

    for (int bank = 0; bank < 4; ++bank)
        group.add (cabBankToggles[bank].get());

    if (banksEFGate)
        for (int bank = 4; bank < 6; ++bank)
            group.add (bankToggles[bank].get());

    if (cabBanksEHGate)
        for (int bank = 4; bank < 8; ++bank)
            group.add (cabBankToggles[bank].get());

    return group;
}

void OrvixIIFamilyBackupDialog::setWholeDeviceWidgetsEnabled (bool enabled)
{
    for (auto& button : groupButtons)
        BackupDialogFrame::setEnabled ({ button.get() }, enabled);

    for (int bank = 0; bank < numBanks(); ++bank)
        BackupDialogFrame::setEnabled ({ bankToggles[bank].get() }, enabled && (bank < 4 || banksEFGate || ! xl));

    for (int bank = 0; bank < 8; ++bank)
        BackupDialogFrame::setEnabled ({ cabBankToggles[bank].get() }, enabled && (bank < 4 || cabBanksEHGate));

    BackupDialogFrame::setEnabled ({ systemToggle.get(), userCabsToggle.get() }, enabled);
}

void OrvixIIFamilyBackupDialog::applyMode (int mode, bool moveFocus)
{
    setWholeDeviceWidgetsEnabled (mode == wholeDevice);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (mode == onePreset);

    if (userCabSpin != nullptr)
        userCabSpin->setEnabledState (mode == oneUserCab);

    BackupDialogFrame::setEnabled ({ stripGlobalsToggle.get() }, mode == editBuffer);

    if (! moveFocus)
        return;

    if (mode == onePreset)
        BackupDialogFrame::focusSpin (presetSpin.get());
    else if (mode == oneUserCab)
        BackupDialogFrame::focusSpin (userCabSpin.get());
    else if (mode == editBuffer)
        BackupDialogFrame::focus (stripGlobalsToggle.get());
}

void OrvixIIFamilyBackupDialog::buttonClicked (juce::Button* button)
{
    if (button == okayButton.get())
    {
        if (validateSelection())
        {
            BackupDialogFrame::closeDialog (*this, BackupDialogFrame::okResult);
            sendChangeMessage();
        }

        return;
    }

    if (button == cancelButton.get())
    {
        BackupDialogFrame::closeDialog (*this, 0);
        return;
    }

    for (int mode = 0; mode < numModes; ++mode)
        if (button == modeToggles[mode].get() && button->getToggleState())
            applyMode (mode, true);
}

void OrvixIIFamilyBackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == nullptr ? nullptr
               : source == presetSpin.get() ? presetSpin.get()
               : source == userCabSpin.get() ? userCabSpin.get() : nullptr;

    if (spin != nullptr)
    {

        if (spin->wasConfirmed())
        {
            BackupDialogFrame::focus (okayButton.get());
            return;
        }

        const auto mode = spin == presetSpin.get() ? onePreset : oneUserCab;

        for (int i = 0; i < numModes; ++i)
            if (modeToggles[i] != nullptr)
                modeToggles[i]->setToggleState (i == mode, juce::dontSendNotification);

        applyMode (mode, false);
        return;
    }

    for (int op = 0; op < 3; ++op)
    {
        if (groupButtons[op] == nullptr || source != static_cast<juce::ChangeBroadcaster*> (groupButtons[op].get()))
            continue;

        if (groupButtons[op]->getEventCode() != tpxEventClicked)
            return;

        BackupDialogFrame::applyGroupOperation (op, getGroup());

        return;
    }
}

void OrvixIIFamilyBackupDialog::paint (juce::Graphics& g)
{
    for (int d = 0; d < 3; ++d)
        if (dividers[d] != nullptr)
            dividers[d]->drawAt (g, (float) dividerPositions[d].x, (float) dividerPositions[d].y, 1.0f);
}
