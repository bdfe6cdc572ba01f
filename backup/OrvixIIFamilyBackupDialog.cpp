#include "OrvixIIFamilyBackupDialog.h"

#include "BackupDialogFrame.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXSpinControl.h"

namespace
{
constexpr int radioGroup = 2;
constexpr int unknownOffsetShift = 80;

const char* const modeSuffixes[] = { "Toggle", "PresetToggle", "PresetEditBufferToggle", "UserCabToggle" };

using Frame = BackupDialogFrame;
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
    const auto* section = Frame::getSection (skin, xl ? "OrvixIIXLBackupSkin" : "OrvixIIBackupSkin");

    if (section == nullptr)
        return;

    // Each builder acts on its own names only and returns what the dialog shows, or null.
    Frame::buildWidgets (*this, *section, [this, skin] (const juce::XmlElement& widget, const juce::String& name) -> juce::Component*
    {
        if (auto* toggle = buildToggle (widget, name))
            return toggle;

        if (auto* control = buildTextOrSpin (skin, widget, name))
            return control;

        if (auto* button = Frame::makeGroupButtonNamed (*skin, widget, name, *this, groupButtons))
            return button;

        if (name == "divider1" || name == "divider2" || name == "divider3")
        {
            const auto d = name.getTrailingIntValue() - 1;
            auto image = std::make_unique<juce::DrawableImage>();
            image->setImage (SkinManager::getImage (widget.getStringAttribute ("icon")));
            dividers[d] = std::move (image);
            dividerPositions[d] = { widget.getIntAttribute ("positionX"),
                                    widget.getIntAttribute ("positionY") + (d > 0 ? shift : 0) };
            return nullptr;
        }

        return Frame::makeOkayCancelOrRectangle (*skin, widget, name, *this, okayButton, cancelButton, rectangle, shift);
    });

    // The spins start disabled with the whole-device mode.
    for (auto* spin : { presetSpin.get(), userCabSpin.get() })
        if (spin != nullptr)
            spin->setEnabledState (false);
}

juce::Component* OrvixIIFamilyBackupDialog::buildToggle (const juce::XmlElement& widget, const juce::String& name)
{
    const auto p = prefix();

    for (int mode = 0; mode < numModes; ++mode)
    {
        if (name == p + modeSuffixes[mode])
        {
            // The edit-buffer and user cab modes sit below the warning.
            const auto dy = mode == editBuffer || mode == oneUserCab ? shift : 0;
            modeToggles[mode] = Frame::makeToggle (widget, radioGroup, mode == wholeDevice, dy);
            modeToggles[mode]->addListener (this);
            return modeToggles[mode].get();
        }
    }

    if (name.startsWith (p + "Bank") && name.endsWith ("Toggle") && name.length() == p.length() + 11)
    {
        const auto bank = name[p.length() + 4] - 'A';

        if (bank < 0 || bank >= numBanks())
            return nullptr;

        bankToggles[bank] = Frame::makeToggle (widget, 0, ! (xl && bank >= 4));
        bankToggles[bank]->setEnabled (! (xl && bank >= 4));
        bankToggles[bank]->addListener (this);
        return bankToggles[bank].get();
    }

    if (xl && name.startsWith (p + "CabBank") && name.length() == p.length() + 14)
    {
        const auto bank = name[p.length() + 7] - 'A';

        if (bank < 0 || bank >= 8)
            return nullptr;

        cabBankToggles[bank] = Frame::makeToggle (widget, 0, bank < 4);
        cabBankToggles[bank]->setEnabled (bank < 4);
        cabBankToggles[bank]->addListener (this);
        return cabBankToggles[bank].get();
    }

    if (name == p + "SystemToggle" || (! xl && name == p + "UserCabsToggle"))
    {
        auto& toggle = name == p + "SystemToggle" ? systemToggle : userCabsToggle;
        toggle = Frame::makeToggle (widget, 0, true);
        toggle->addListener (this);
        return toggle.get();
    }

    if (name == p + "PresetEditBufferStripGlobalsToggle")
    {
        stripGlobalsToggle = Frame::makeToggle (widget, 0, false, shift);
        stripGlobalsToggle->setEnabled (false);
        stripGlobalsToggle->addListener (this);
        return stripGlobalsToggle.get();
    }

    return nullptr;
}

juce::Component* OrvixIIFamilyBackupDialog::buildTextOrSpin (const SkinManager* skin, const juce::XmlElement& widget,
                                                             const juce::String& name)
{
    const auto p = prefix();

    if (name == p + "SystemDescription")
    {
        systemDescription = Frame::makeTextLabel (skin, widget);
        return systemDescription.get();
    }

    if (name == p + "DisplayOffsetWarning")
    {
        offsetWarning = Frame::makeTextLabel (skin, widget);
        addChildComponent (*offsetWarning);
        offsetWarning->setVisible (! offsetKnown);
        return nullptr;
    }

    if (name == p + "PresetSpinControl")
    {
        Frame::SpinSettings settings;
        settings.maximum = xl ? 511 : 383;
        settings.readMinimum = settings.readMaximum = settings.readInitialValue = settings.readMaximumLength = false;
        presetSpin = Frame::makeSpin (skin, widget, settings);
        presetSpin->addChangeListener (this);
        return presetSpin.get();
    }

    if (name == p + "UserCabSpinControl")
    {
        Frame::SpinSettings settings;
        settings.maximum = xl ? userCabCount : 0;
        settings.readMaximum = ! xl;
        settings.readMaximumLength = false;
        userCabSpin = Frame::makeSpin (skin, widget, settings, shift);
        userCabSpin->addChangeListener (this);
        return userCabSpin.get();
    }

    return nullptr;
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

    Frame::setSpinRange (*presetSpin, minimum, maximum, true);
}

void OrvixIIFamilyBackupDialog::storeUserCabCount (int count)
{
    userCabCount = count;

    if (userCabSpin != nullptr)
        userCabSpin->setMaximum (count);
}

void OrvixIIFamilyBackupDialog::applyGates (bool banksEFOpen, bool cabBanksEHOpen)
{
    const bool wholeOn = Frame::isOn (modeToggles[wholeDevice]);

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

    if (Frame::isOn (modeToggles[wholeDevice]))
    {
        for (int bank = 0; bank < numBanks(); ++bank)
            selection.banks[bank] = Frame::flag (bankToggles[bank]);

        selection.system = Frame::flag (systemToggle);
        selection.allUserCabs = xl ? 0 : Frame::flag (userCabsToggle);

        if (xl)
            for (int bank = 0; bank < 8; ++bank)
                selection.cabBanks[bank] = Frame::flag (cabBankToggles[bank]);
    }
    else if (Frame::isOn (modeToggles[onePreset]))
    {
        selection.onePreset = 1;
        selection.preset = presetSpin != nullptr ? presetSpin->getValue() : -1;
    }
    else if (Frame::isOn (modeToggles[editBuffer]))
    {
        selection.editBuffer = 1;
        selection.stripGlobals = Frame::flag (stripGlobalsToggle);
    }
    else if (Frame::isOn (modeToggles[oneUserCab]))
    {
        selection.oneUserCab = 1;
        selection.userCab = userCabSpin != nullptr ? userCabSpin->getValue() : -1;
    }
}

bool OrvixIIFamilyBackupDialog::validateSelection()
{
    OrvixIIBackupSelection s;
    getBackupSelection (s);

    if (Frame::isOn (modeToggles[wholeDevice]))
    {
        bool any = s.system != 0 || s.allUserCabs != 0;

        for (auto bank : s.banks) any = any || bank != 0;
        for (auto bank : s.cabBanks) any = any || bank != 0;

        if (! any)
        {
            Frame::showWarning ("Please choose one or more options under \"Back up the Orvix II.\"");
            return false;
        }
    }

    if (s.onePreset != 0 && presetSpin != nullptr && ! Frame::isWithinRange (*presetSpin, s.preset))
        return Frame::rejectSpinValue (Frame::rangeText ("preset", *presetSpin), presetSpin.get());

    if (s.oneUserCab != 0 && userCabSpin != nullptr && (s.userCab < 1 || s.userCab > userCabCount))
        return Frame::rejectSpinValue (Frame::rangeText ("user cab", *userCabSpin), userCabSpin.get());

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
        Frame::setEnabled ({ button.get() }, enabled);

    for (int bank = 0; bank < numBanks(); ++bank)
        Frame::setEnabled ({ bankToggles[bank].get() }, enabled && (bank < 4 || banksEFGate || ! xl));

    for (int bank = 0; bank < 8; ++bank)
        Frame::setEnabled ({ cabBankToggles[bank].get() }, enabled && (bank < 4 || cabBanksEHGate));

    Frame::setEnabled ({ systemToggle.get(), userCabsToggle.get() }, enabled);
}

void OrvixIIFamilyBackupDialog::applyMode (int mode, bool moveFocus)
{
    setWholeDeviceWidgetsEnabled (mode == wholeDevice);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (mode == onePreset);

    if (userCabSpin != nullptr)
        userCabSpin->setEnabledState (mode == oneUserCab);

    Frame::setEnabled ({ stripGlobalsToggle.get() }, mode == editBuffer);

    if (! moveFocus)
        return;

    if (mode == onePreset)
        Frame::focusSpin (presetSpin.get());
    else if (mode == oneUserCab)
        Frame::focusSpin (userCabSpin.get());
    else if (mode == editBuffer)
        Frame::focus (stripGlobalsToggle.get());
}

void OrvixIIFamilyBackupDialog::buttonClicked (juce::Button* button)
{
    if (Frame::handleOkayOrCancel (*this, button, okayButton.get(), cancelButton.get()))
        return;

    if (const auto mode = Frame::clickedMode (button, modeToggles); mode >= 0)
        applyMode (mode, true);
}

void OrvixIIFamilyBackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == nullptr ? nullptr
               : source == presetSpin.get() ? presetSpin.get()
               : source == userCabSpin.get() ? userCabSpin.get() : nullptr;

    if (spin != nullptr)
    {
        if (Frame::focusOkayIfConfirmed (*spin, okayButton.get()))
            return;

        const auto mode = spin == presetSpin.get() ? onePreset : oneUserCab;
        Frame::selectOnly (modeToggles, mode);
        applyMode (mode, false);
        return;
    }

    if (const auto op = Frame::clickedGroupOperation (source, groupButtons); op >= 0)
        Frame::applyGroupOperation (op, getGroup());
}

void OrvixIIFamilyBackupDialog::paint (juce::Graphics& g)
{
    BackupDialogFrame::paintBody (*this, g);

    for (int d = 0; d < 3; ++d)
        if (dividers[d] != nullptr)
            dividers[d]->drawAt (g, (float) dividerPositions[d].x, (float) dividerPositions[d].y, 1.0f);
}

void OrvixIIFamilyBackupDialog::parentHierarchyChanged()
{
    BackupDialogFrame::belongToMainWindow (*this);
}
