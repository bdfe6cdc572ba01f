#pragma once

#include "BackupSelections.h"
#include "SysExDecoders.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class SkinManager;
class TPXDrawableButton;
class TPXLabelComponent;
class TPXMultiLineLabelComponent;
class TPXPaintedButton;
class TPXSpinControl;

/** The Orvix III's backup selection dialog: the whole device (preset banks A-D, user cab banks 1
    and 2, system memory, global and foot controller settings), one preset, the current preset,
    or one user cab chosen by its bank and slot. System memory needs firmware 1.09.

    One instance per program run: getInstance() creates it on its first call and never again; the
    console's chooser sizes it to 530 x 410, builds it from "OrvixIIIBackupSkin" at the first show
    and owns it from then on. Message thread only.
*/
class OrvixIIIBackupDialog : public juce::Component,
                             public juce::Button::Listener,
                             public juce::ChangeListener,
                             public juce::ChangeBroadcaster
{
public:
    OrvixIIIBackupDialog();
    ~OrvixIIIBackupDialog() override;

    /** The one instance, created by the first call under a lock of its own; null once it has been
        deleted (it is never created twice).
    */
    static OrvixIIIBackupDialog* getInstance();

    void buildFromSkin (SkinManager* skin);

    /** Every show (the console passes 0): the bank texts and the preset spin's range, 0-511 for
        offset 0 and 1-512 otherwise (a value outside becomes the minimum).
    */
    void setDisplayOffset (int offset);

    /** Every show: the console's user cab count (kept, not used by the dialog). */
    void setUserCabCount (int count) noexcept { userCabCount = count; }

    /** Every show: the user cab slot spin's range 1 to 1024, step 1. */
    void setSlotRange (int minimum, int maximum);

    /** Every show: the device's firmware version, for the system memory gate. */
    void setFirmwareVersion (const FirmwareVersionRecord& version) noexcept { firmwareVersion = version; }

    /** Sets the four mode toggles without notification, enables each mode's widgets and moves the
        keyboard focus into the chosen mode.
    */
    void setMode (bool wholeDevice, bool preset, bool currentPreset, bool userCab);

    void getBackupSelection (OrvixIIIBackupSelection& selection) const;

    /** Checks the choice; shows the first failure (focusing the spin concerned) and returns false. */
    bool validateSelection();

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void parentHierarchyChanged() override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    static constexpr int dialogWidth = 530;
    static constexpr int dialogHeight = 410;

private:
    juce::Array<juce::ToggleButton*> getGroup() const;

    // The parts of buildFromSkin: each builds the widgets of its own names and returns what the
    // dialog shows, or null.
    juce::Component* buildToggle (const juce::XmlElement& widget, const juce::String& name);
    juce::Component* buildTextSpinOrList (const SkinManager* skin, const juce::XmlElement& widget, const juce::String& name);

    std::unique_ptr<juce::ToggleButton> wholeToggle, presetToggle, currentToggle, userCabToggle;
    std::unique_ptr<juce::ToggleButton> bankToggles[4], cabBankToggles[2];
    std::unique_ptr<juce::ToggleButton> systemToggle, globalToggle, footswitchToggle;
    std::unique_ptr<TPXMultiLineLabelComponent> systemDescription, globalDescription;
    std::unique_ptr<TPXPaintedButton> groupButtons[3];
    std::unique_ptr<TPXSpinControl> presetSpin, slotSpin;
    std::unique_ptr<juce::ComboBox> cabBankCombo;
    std::unique_ptr<TPXLabelComponent> rectangle;
    std::unique_ptr<TPXDrawableButton> okayButton, cancelButton;
    juce::Array<juce::Point<int>> dividerPositions;

    int userCabCount = 0;
    FirmwareVersionRecord firmwareVersion;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvixIIIBackupDialog)
};
