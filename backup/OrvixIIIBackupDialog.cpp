#include "OrvixIIIBackupDialog.h"

#include "BackupDialogFrame.h"
#include "SingleDialogInstance.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXSpinControl.h"

namespace
{
constexpr int radioGroup = 2;

using Frame = BackupDialogFrame;
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

    SingleDialogInstance<OrvixIIIBackupDialog>::forget (this);
}

OrvixIIIBackupDialog* OrvixIIIBackupDialog::getInstance()
{
    return SingleDialogInstance<OrvixIIIBackupDialog>::get();
}

void OrvixIIIBackupDialog::buildFromSkin (SkinManager* skin)
{
    const auto* section = Frame::getSection (skin, "OrvixIIIBackupSkin");

    if (section == nullptr)
        return;

    // Each builder acts on its own names only and returns what the dialog shows, or null.
    Frame::buildWidgets (*this, *section, [this, skin] (const juce::XmlElement& widget, const juce::String& name) -> juce::Component*
    {
        if (auto* toggle = buildToggle (widget, name))
            return toggle;

        if (auto* control = buildTextSpinOrList (skin, widget, name))
            return control;

        if (auto* button = Frame::makeGroupButtonNamed (*skin, widget, name, *this, groupButtons))
            return button;

        if (name == "divider1" || name == "divider2" || name == "divider3")
        {
            const auto point = Frame::readRectangle (widget, "point");
            dividerPositions.add ({ point.getX(), point.getY() });
            return nullptr;
        }

        return Frame::makeOkayCancelOrRectangle (*skin, widget, name, *this, okayButton, cancelButton, rectangle);
    });
}

juce::Component* OrvixIIIBackupDialog::buildToggle (const juce::XmlElement& widget, const juce::String& name)
{
    auto toggle = [&] (std::unique_ptr<juce::ToggleButton>& target, int group, bool state)
    {
        target = Frame::makeToggle (widget, group, state);
        target->addListener (this);
        return target.get();
    };

    if (name == "BackUpAllToggle")
        return toggle (wholeToggle, radioGroup, true);

    if (name == "PresetToggle")
        return toggle (presetToggle, radioGroup, false);

    if (name == "PresetCurrentToggle")
        return toggle (currentToggle, radioGroup, false);

    if (name == "UserCabToggle")
        return toggle (userCabToggle, radioGroup, false);

    if (name.length() == 17 && name.startsWith ("PresetBank") && name.endsWith ("Toggle")
        && name[10] >= 'A' && name[10] <= 'D')
        return toggle (bankToggles[name[10] - 'A'], 0, true);

    if (name == "CabBank1Toggle" || name == "CabBank2Toggle")
        return toggle (cabBankToggles[name[7] - '1'], 0, true);

    if (name == "SystemToggle")
        return toggle (systemToggle, 0, true);

    if (name == "GlobalToggle")
        return toggle (globalToggle, 0, true);

    if (name == "FootswitchToggle")
        return toggle (footswitchToggle, 0, true);

    return nullptr;
}

juce::Component* OrvixIIIBackupDialog::buildTextSpinOrList (const SkinManager* skin, const juce::XmlElement& widget,
                                                            const juce::String& name)
{
    if (name == "SystemDescription" || name == "GlobalDescription")
    {
        auto& label = name == "SystemDescription" ? systemDescription : globalDescription;
        label = Frame::makeTextLabel (skin, widget);
        return label.get();
    }

    if (name == "PresetSpinControl" || name == "UserCabSlotSpin")
    {
        const bool preset = name == "PresetSpinControl";
        Frame::SpinSettings settings;
        settings.maximum = 383;
        settings.readMinimum = settings.readMaximum = settings.readInitialValue = ! preset;
        settings.readMaximumLength = false;
        auto& spin = preset ? presetSpin : slotSpin;
        spin = Frame::makeSpin (skin, widget, settings);
        spin->setEnabledState (false);
        spin->addChangeListener (this);
        return spin.get();
    }

    if (name == "UserCabBankCombo")
    {
        cabBankCombo = std::make_unique<juce::ComboBox> (name);
        cabBankCombo->setBounds (Frame::readRectangle (widget, "rect"));
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
        return cabBankCombo.get();
    }

    return nullptr;
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

    Frame::setSpinRange (*presetSpin, offset == 0 ? 0 : 1, offset == 0 ? 511 : 512, true);
}

void OrvixIIIBackupDialog::setSlotRange (int minimum, int maximum)
{
    if (slotSpin != nullptr)
        Frame::setSpinRange (*slotSpin, minimum, maximum, false);
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
        Frame::setEnabled ({ toggle }, wholeDevice);

    if (presetSpin != nullptr)
        presetSpin->setEnabledState (preset);

    if (slotSpin != nullptr)
        slotSpin->setEnabledState (userCab);

    Frame::setEnabled ({ cabBankCombo.get() }, userCab);

    if (wholeDevice)
        Frame::focus (wholeToggle.get());
    else if (preset)
        Frame::focusSpin (presetSpin.get());
    else if (currentPreset)
        Frame::focus (currentToggle.get());
    else if (userCab)
        Frame::focusSpin (slotSpin.get());
}

//==============================================================================
void OrvixIIIBackupDialog::getBackupSelection (OrvixIIIBackupSelection& selection) const
{
    selection = {};

    if (Frame::isOn (wholeToggle))
    {
        for (int bank = 0; bank < 4; ++bank)
            selection.banks[bank] = Frame::flag (bankToggles[bank]);

        for (int bank = 0; bank < 2; ++bank)
            selection.cabBanks[bank] = Frame::flag (cabBankToggles[bank]);

        selection.system = Frame::flag (systemToggle);
        selection.global = Frame::flag (globalToggle);
        selection.footswitch = Frame::flag (footswitchToggle);
    }
    else if (Frame::isOn (presetToggle))
    {
        selection.onePreset = 1;
        selection.preset = presetSpin != nullptr ? presetSpin->getValue() : -1;
    }
    else if (Frame::isOn (currentToggle))
    {
        selection.currentPreset = 1;
    }
    else if (Frame::isOn (userCabToggle))
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

    if (Frame::isOn (wholeToggle))
    {
        bool any = s.system != 0 || s.global != 0 || s.footswitch != 0;

        for (auto bank : s.banks) any = any || bank != 0;
        for (auto bank : s.cabBanks) any = any || bank != 0;

        if (! any)
        {
            Frame::showWarning ("Please choose one or more options under \"Back up the Orvix III.\"");
            return false;
        }
    }

    if (s.onePreset != 0 && presetSpin != nullptr && ! Frame::isWithinRange (*presetSpin, s.preset))
        return Frame::rejectSpinValue (Frame::rangeText ("preset", *presetSpin), presetSpin.get());

    if (s.oneUserCab != 0 && slotSpin != nullptr && ! Frame::isWithinRange (*slotSpin, slotSpin->getValue()))
        return Frame::rejectSpinValue (Frame::rangeText ("user cab", *slotSpin), slotSpin.get());

    if (s.system != 0 && (firmwareVersion.major == 0 || (firmwareVersion.major == 1 && firmwareVersion.minor < 9)))
    {
        Frame::showWarning ("Backup of the System Memory is only available for Orvix III firmware 1.09 and greater.");
        return false;
    }

    return true;
}

//==============================================================================
void OrvixIIIBackupDialog::buttonClicked (juce::Button* button)
{
    if (Frame::handleOkayOrCancel (*this, button, okayButton.get(), cancelButton.get()))
        return;

    if (button == wholeToggle.get())
        setMode (true, false, false, false);
    else if (button == presetToggle.get())
        setMode (false, true, false, false);
    else if (button == currentToggle.get())
        setMode (false, false, true, false);
    else if (button == userCabToggle.get())
        setMode (false, false, false, true);
}

void OrvixIIIBackupDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* spin = source == nullptr ? nullptr
               : source == presetSpin.get() ? presetSpin.get()
               : source == slotSpin.get() ? slotSpin.get() : nullptr;

    if (spin != nullptr)
    {
        if (Frame::focusOkayIfConfirmed (*spin, okayButton.get()))
            return;

        if (spin == presetSpin.get())
            setMode (false, true, false, false);
        else
            setMode (false, false, false, true);

        return;
    }

    if (const auto op = Frame::clickedGroupOperation (source, groupButtons); op >= 0)
    {
        Frame::applyGroupOperation (op, getGroup());
        setMode (true, false, false, false);
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
    BackupDialogFrame::paintBody (*this, g);

    g.setColour (juce::Colour (0xFF000000));

    for (auto point : dividerPositions)
        if (dialogWidth - point.x > point.x)
            g.fillRect (point.x, point.y, dialogWidth - 2 * point.x, 1);
}

void OrvixIIIBackupDialog::parentHierarchyChanged()
{
    BackupDialogFrame::belongToMainWindow (*this);
}
