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

/** What the Orvix II and the Orvix II XL backup dialogs share: the whole device (preset banks,
    system, and all user cabs or user cab banks), one preset, the edit buffer (optionally without
    its globals) or one user cab; the display-offset warning and the 80-pixel shift below it when
    the console could not learn how the device numbers its presets; the divider images; the
    record and its validation.

    OrvixIIBackupDialog has banks A-C and the all-user-cabs toggle; OrvixIIXLBackupDialog banks
    A-F and user cab banks A-H, with firmware gates on banks E-F (15.04) and cab banks E-H (20).
    Message thread only.
*/
class OrvixIIFamilyBackupDialog : public juce::Component,
                                  public juce::Button::Listener,
                                  public juce::ChangeListener,
                                  public juce::ChangeBroadcaster
{
public:
    ~OrvixIIFamilyBackupDialog() override;

    /** First show only: rebuilds every widget for a known or unknown display offset (the shift
        and the size follow from it) from the dialog's skin section.
    */
    void setUp (SkinManager* skin, bool displayOffsetKnown);

    /** Builds the widgets of the dialog's section with the current shift. */
    void buildFromSkin (SkinManager* skin);

    /** Every show: the bank texts for the offset, then the preset spin's range (a value outside
        it becomes the minimum).
    */
    void setDisplayOffset (int offset);

    /** The bank texts for offset 0 or 1; any other offset leaves them as they are. */
    void setBankLabels (int offset);

    void getBackupSelection (OrvixIIBackupSelection& selection) const;

    /** Checks the choice; shows the first failure (focusing the spin concerned) and returns false. */
    bool validateSelection();

    int getUserCabCount() const noexcept { return userCabCount; }
    bool isDisplayOffsetKnown() const noexcept { return offsetKnown; }

    void paint (juce::Graphics& g) override;
    void parentHierarchyChanged() override;
    void buttonClicked (juce::Button* button) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

protected:
    OrvixIIFamilyBackupDialog (bool isXL);

    /** Sets the user cab count and the user cab spin's maximum. */
    void storeUserCabCount (int count);

    /** Applies the XL's firmware gates to the gated toggles. */
    void applyGates (bool banksEFOpen, bool cabBanksEHOpen);

    const bool xl;

private:
    enum Mode { wholeDevice, onePreset, editBuffer, oneUserCab, numModes };

    void applyMode (int mode, bool moveFocus);
    void setWholeDeviceWidgetsEnabled (bool enabled);
    juce::Array<juce::ToggleButton*> getGroup() const;
    juce::String prefix() const;
    int numBanks() const noexcept { return xl ? 6 : 3; }
    void deleteWidgets();

    // The parts of buildFromSkin: each builds the widgets of its own names and returns what the
    // dialog shows, or null.
    juce::Component* buildToggle (const juce::XmlElement& widget, const juce::String& name);
    juce::Component* buildTextOrSpin (const SkinManager* skin, const juce::XmlElement& widget, const juce::String& name);

    std::unique_ptr<juce::ToggleButton> modeToggles[numModes];
    std::unique_ptr<juce::ToggleButton> bankToggles[6], cabBankToggles[8];
    std::unique_ptr<juce::ToggleButton> systemToggle, userCabsToggle, stripGlobalsToggle;
    std::unique_ptr<TPXPaintedButton> groupButtons[3];
    std::unique_ptr<TPXSpinControl> presetSpin, userCabSpin;
    std::unique_ptr<TPXMultiLineLabelComponent> systemDescription, offsetWarning;
    std::unique_ptr<TPXLabelComponent> rectangle;
    std::unique_ptr<TPXDrawableButton> okayButton, cancelButton;
    std::unique_ptr<juce::Drawable> dividers[3];
    juce::Point<int> dividerPositions[3];

    bool offsetKnown = true;
    int shift = 0;
    int userCabCount = 0;
    bool banksEFGate = false, cabBanksEHGate = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OrvixIIFamilyBackupDialog)
};
