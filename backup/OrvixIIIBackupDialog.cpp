#include "OrvixIIIBackupDialog.h"

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

// Created when the program starts, so that the first call of getInstance finds it.
juce::CriticalSection instanceLock;
OrvixIIIBackupDialog* instance = nullptr;
bool beingCreated = false, createdOnce = false;

bool isOn (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return toggle != nullptr && toggle->getToggleState();
}

juce::uint8 flag (const std::unique_ptr<juce::ToggleButton>& toggle)
{
    return isOn (toggle) ? 1 : 0;
}
} // namespace

OrvixIIIBackupDialog::OrvixIIIBackupDialog() = default;

OrvixIIIBackupDialog::~OrvixIIIBackupDialog()
{
    for (auto& button : groupButtons)
        if (button != nullptr)
            button->removeChangeListener (this);

    for (auto* spin : { presetSpin.get(), slotSpin.get() })
        if (spin != nullptr)
            spin->removeChangeListener (this);

    if (cabBankCombo != nullptr)
        cabBankCombo->removeMouseListener (this);

    const juce::ScopedLock sl (instanceLock);

    if (instance == this)
        instance = nullptr;
}

OrvixIIIBackupDialog* OrvixIIIBackupDialog::getInstance()
{
    const juce::ScopedLock sl (instanceLock);

    if (instance == nullptr && ! beingCreated && ! createdOnce)
    {
        beingCreated = createdOnce = true;
        instance = new OrvixIIIBackupDialog();
        beingCreated = false;
    }

    return instance;
}

void OrvixIIIBackupDialog::buildFromSkin (SkinManager* skin)
{
    if (skin == nullptr)
        return;

    const auto* section = skin->getSection ("OrvixIIIBackupSkin");

    if (section == nullptr)
        return;

    for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
    {
        const auto name = widget->getStringAttribute ("name");
        juce::Component* built = nullptr;

        auto toggle = [&] (std::unique_ptr<juce::ToggleButton>& target, int group, bool state)
        {
            target = BackupDialogFrame::makeToggle (*widget, group, state);
            target->addListener (this);
            built = target.get();
        };

        if (name == "BackUpAllToggle")
            toggle (wholeToggle, radioGroup, true);
        else if (name == "PresetToggle")
            toggle (presetToggle, radioGroup, false);
        else if (name == "PresetCurrentToggle")
            toggle (currentToggle, radioGroup, false);
        else if (name == "UserCabToggle")
            toggle (userCabToggle, radioGroup, false);
        else if (name.length() == 17 && name.startsWith ("PresetBank") && name.endsWith ("Toggle")
                 && name[10] >= 'A' && name[10] <= 'D')
            toggle (bankToggles[name[10] - 'A'], 0, true);
        else if (name == "CabBank1Toggle" || name == "CabBank2Toggle")
            toggle (cabBankToggles[name[7] - '1'], 0, true);
        else if (name == "SystemToggle")
            toggle (systemToggle, 0, true);
        else if (name == "GlobalToggle")
            toggle (globalToggle, 0, true);
        else if (name == "FootswitchToggle")
            toggle (footswitchToggle, 0, true);
        else if (name == "SystemDescription" || name == "GlobalDescription")
        {
            auto& label = name == "SystemDescription" ? systemDescription : globalDescription;
            label = BackupDialogFrame::makeTextLabel (skin, *widget);
            built = label.get();
        }
        else if (name == "selectAllButton" || name == "deselectAllButton" || name == "invertSelectionButton")
        {
            const auto op = name == "selectAllButton" ? 0 : name == "deselectAllButton" ? 1 : 2;
            groupButtons[op] = skin->createPaintedButton (widget, name);
            groupButtons[op]->setName (name);
            groupButtons[op]->addChangeListener (this);
            built = groupButtons[op].get();
        }
        else if (name == "PresetSpinControl" || name == "UserCabSlotSpin")
        {
            const bool preset = name == "PresetSpinControl";
            BackupDialogFrame::SpinSettings settings;
            settings.maximum = 383;
            settings.readMinimum = settings.readMaximum = settings.readInitialValue = ! preset;
            settings.readMaximumLength = false;
            auto& spin = preset ? presetSpin : slotSpin;
            spin = BackupDialogFrame::makeSpin (skin, *widget, settings);
            spin->setEnabledState (false);
            spin->addChangeListener (this);
            built = spin.get();
        }
        else if (name == "UserCabBankCombo")
        {
            cabBankCombo = std::make_unique<juce::ComboBox> (name);
            cabBankCombo->setBounds (BackupDialogFrame::readRectangle (*widget, "rect"));
            cabBankCombo->setEditableText (false);
            cabBankCombo->addItem ("USER 1", 2);
            cabBankCombo->addItem ("USER 2", 3);
            cabBankCombo->setSelectedId (2, juce::dontSendNotification);
            cabBankCombo->setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xFFFFFFFF));
            cabBankCombo->setColour (juce::ComboBox::outlineColourId, juce::Colour (0x00000000));
            cabBankCombo->setColour (juce::ComboBox::textColourId, juce::Colour (0xFF000000));
            cabBankCombo->setColour (juce::ComboBox::arrowColourId, juce::Colour (0xFF000000));
            cabBankCombo->setColour (juce::ComboBox::buttonColourId, juce::Colours::lightgrey);
            cabBankCombo->setEnabled (false);
            cabBankCombo->addMouseListener (this, true);
            built = cabBankCombo.get();
        }
        else if (name == "divider1" || name == "divider2" || name == "divider3")
        {
            const auto point = BackupDialogFrame::readRectangle (*widget, "point");
            dividerPositions.add ({ point.getX(), point.getY() });
        }
        else if (name == "okayButton" || name == "cancelButton")
        {
            auto& button = name == "okayButton" ? okayButton : cancelButton;
            button = skin->createDrawableButton (widget, name);
            button->addListener (this);
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
void OrvixIIIBackupDialog::setDisplayOffset (int offset)
{
    for (int bank = 0; bank < 4; ++bank)
    {
        if (bankToggles[bank] != nullptr)
            bankToggles[bank]->setButtonText (juce::String::formatted ("Preset Bank %c (%d-%d)", 'A' + bank,
                                                                       offset + bank * 128, offset + bank * 128 + 127));
    }

    if (presetSpin == nullptr)
        return;

    const auto minimum = offset == 0 ? 0 : 1;
    const auto maximum = offset == 0 ? 511 : 512;
    presetSpin->setInterval (1);
    presetSpin->setRange (minimum, maximum);

    if (presetSpin->getValue() < minimum || presetSpin->getValue() > maximum)
        presetSpin->setValue (minimum);
}

void OrvixIIIBackupDialog::setSlotRange (int minimum, int maximum)
{
    if (slotSpin == nullptr)
        return;

    slotSpin->setInterval (1);
    slotSpin->setRange (minimum, maximum);
}

juce::Array<juce::ToggleButton*> OrvixIIIBackupDialog::getGroup() const
{
    juce::Array<juce::ToggleButton*> group;

    for (auto& toggle : bankToggles)
        group.add (toggle.get());

    for (auto& toggle : cabBankToggles)
        group.add (toggle.get());

    group.add (systemToggle.get());
    group.add (globalToggle.get());
    group.add (footswitchToggle.get());
    return group;
}

void OrvixIIIBackupDialog::setMode (bool wholeDevice, bool preset, bool currentPreset, bool userCab)
{
    const std::pair<juce::ToggleButton*, bool> modes[] = { { wholeToggle.get(), wholeDevice },
                                                           { presetToggle.get(), preset },
                                                           { currentToggle.get(), currentPreset },
                                                           { userCabToggle.get(), userCab } };

    for (auto [toggle, on] : modes)
        if (toggle != nullptr)
            toggle->setToggleState (on, juce::dontSendNotification);

    for (auto* toggle : getGroup())
        BackupDialogFrame::setEnabled ({ toggle }, wholeDevice);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (preset);

    if (slotSpin != nullptr)
        slotSpin->setEnabledState (userCab);

    BackupDialogFrame::setEnabled ({ cabBankCombo.get() }, userCab);

    if (wholeDevice)
        BackupDialogFrame::focus (wholeToggle.get());
    else if (preset)
        BackupDialogFrame::focusSpin (presetSpin.get());
    else if (currentPreset)
        BackupDialogFrame::focus (currentToggle.get());
    else if (userCab)
        BackupDialogFrame::focusSpin (slotSpin.get());
}

//==============================================================================
void OrvixIIIBackupDialog::getBackupSelection (OrvixIIIBackupSelection& selection) const
{
    selection = {};

    if (isOn (wholeToggle))
    {
        for (int bank = 0; bank < 4; ++bank)
            selection.banks[bank] = flag (bankToggles[bank]);

        for (int bank = 0; bank < 2; ++bank)
            selection.cabBanks[bank] = flag (cabBankToggles[bank]);

        selection.system = flag (systemToggle);
        selection.global = flag (globalToggle);
        selection.footswitch = flag (footswitchToggle);
    }
    else if (isOn (presetToggle))
    {
        selection.onePreset = 1;
        selection.preset = presetSpin != nullptr ? presetSpin->getValue() : -1;
    }
    else if (isOn (currentToggle))
    {
        selection.currentPreset = 1;
    }
    else if (isOn (userCabToggle))
    {
        selection.oneUserCab = 1;
        const auto bankId = cabBankCombo != nullptr ? cabBankCombo->getSelectedId() : 0;
        selection.userCab = (bankId << 10) + (slotSpin != nullptr ? slotSpin->getValue() : -1);
    }
}

bool OrvixIIIBackupDialog::validateSelection()
{
    OrvixIIIBackupSelection s;
    getBackupSelection (s);

    if (isOn (wholeToggle))
    {
        bool any = s.system != 0 || s.global != 0 || s.footswitch != 0;

        for (auto bank : s.banks) any = any || bank != 0;
        for (auto bank : s.cabBanks) any = any || bank != 0;

        if (! any)
        {
            BackupDialogFrame::showWarning ("Please choose one or more options under \"Back up the Orvix III.\"");
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

    if (s.oneUserCab != 0 && slotSpin != nullptr
        && (slotSpin->getValue() < slotSpin->getMinimum() || slotSpin->getValue() > slotSpin->getMaximum()))
    {
        BackupDialogFrame::showWarning (juce::String::formatted ("Please enter a valid user cab number between %d and %d",
                                                                 slotSpin->getMinimum(), slotSpin->getMaximum()));
        BackupDialogFrame::focusSpin (slotSpin.get());
        return false;
    }

    if (s.system != 0 && (firmwareVersion.major == 0 || (firmwareVersion.major == 1 && firmwareVersion.minor < 9)))
    {
        BackupDialogFrame::showWarning ("Backup of the System Memory is only available for Orvix III firmware 1.09 and greater.");
        return false;
    }

    return true;
}

//==============================================================================
void OrvixIIIBackupDialog::buttonClicked (juce::Button* button)
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
    else if (button == wholeToggle.get())
    {
        setMode (true, false, false, false);
    }
    else if (button == presetToggle.get())
    {
        setMode (false, true, false, false);
    }
    else if (button == currentToggle.get())
    {
        setMode (false, false, true, false);
    }
    else if (button == userCabToggle.get())
    {
        setMode (false, false, false, true);
    }
}

void OrvixIIIBackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == nullptr ? nullptr
               : source == presetSpin.get() ? presetSpin.get()
               : source == slotSpin.get() ? slotSpin.get() : nullptr;

    if (spin != nullptr)
    {

        if (spin->wasConfirmed())
            BackupDialogFrame::focus (okayButton.get());
        else if (spin == presetSpin.get())
            setMode (false, true, false, false);
        else
            setMode (false, false, false, true);

        return;
    }

    for (int op = 0; op < 3; ++op)
    {
        if (groupButtons[op] == nullptr || source != static_cast<juce::ChangeBroadcaster*> (groupButtons[op].get()))
            continue;

        if (groupButtons[op]->getEventCode() != tpxEventClicked)
            return;

        BackupDialogFrame::applyGroupOperation (op, getGroup());

        setMode (true, false, false, false);
        return;
    }
}

void OrvixIIIBackupDialog::mouseDown (const juce::MouseEvent& event)
{
    if (cabBankCombo == nullptr)
        return;

    const auto position = event.getEventRelativeTo (this).getPosition();

    if (cabBankCombo->getBounds().contains (position))
        setMode (false, false, false, true);
}

void OrvixIIIBackupDialog::paint (juce::Graphics& g)
{
    g.setColour (juce::Colour (0xFF000000));

    for (auto point : dividerPositions)
        if (dialogWidth - point.x > point.x)
            g.fillRect (point.x, point.y, dialogWidth - 2 * point.x, 1);
}
