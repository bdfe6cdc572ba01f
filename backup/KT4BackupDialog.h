#pragma once

#include "BackupSelections.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class SkinManager;
class TPXDrawableButton;
class TPXLabelComponent;
class TPXMultiLineLabelComponent;
class TPXPaintedButton;
class TPXSpinControl;

/** The KT4's backup selection dialog: the whole device (all preset banks, all user cab banks,
    system), sets of 16 preset banks, one preset bank, one user cab bank, one preset (as a
    bank-preset label), one user cab, the current preset or the current user cab.

    The console holds it as a member, builds it once from the skin section "KT4BackupSkin" and
    shows it modally under "KT4 Backup Type"; its state carries over from one show to the next.
    OK with a valid choice closes the window with 3 and sends one change message, after which the
    console reads getBackupSelection(); Cancel closes it with 0. Message thread only.
*/
class KT4BackupDialog : public juce::Component,
                        public juce::ChangeBroadcaster,
                        public juce::ChangeListener,
                        public juce::Button::Listener
{
public:
    KT4BackupDialog();
    ~KT4BackupDialog() override;

    /** Builds the widgets of "KT4BackupSkin" at 375 x 570; nothing without a skin or section. */
    void buildFromSkin (SkinManager* skin);

    /** Fills the record from the widgets. */
    void getBackupSelection (KT4BackupSelection& selection) const;

    /** Checks the choice; shows the first failure (focusing the spin concerned) and returns false. */
    bool validateSelection();

    void buttonClicked (juce::Button* button) override;
    void paint (juce::Graphics& g) override;
    void parentHierarchyChanged() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    static constexpr int dialogWidth = 375;
    static constexpr int dialogHeight = 570;

private:
    /** The mode toggles, in radio group 6. */
    enum Mode
    {
        wholeDevice, bankSets, onePresetBank, oneUserCabBank, onePreset, oneUserCab, currentPreset,
        currentUserCab, numModes
    };

    void applyMode (int mode, bool moveFocus);
    void setGroupsEnabled (bool group1, bool group2);
    int modeOfSpin (const juce::ChangeBroadcaster* source) const;
    juce::Array<juce::ToggleButton*> group (int index) const;

    std::unique_ptr<juce::ToggleButton> modeToggles[numModes];
    std::unique_ptr<juce::ToggleButton> group1Toggles[3], group2Toggles[4];
    std::unique_ptr<TPXPaintedButton> group1Buttons[3], group2Buttons[3];
    std::unique_ptr<TPXSpinControl> spins[4];   // preset bank, user cab bank, preset, user cab
    std::unique_ptr<TPXMultiLineLabelComponent> timeWarning;
    std::unique_ptr<TPXDrawableButton> dividers[4];
    std::unique_ptr<TPXDrawableButton> okayButton, cancelButton;
    std::unique_ptr<TPXLabelComponent> rectangle;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KT4BackupDialog)
};
