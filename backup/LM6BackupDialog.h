#pragma once

#include "BackupSelections.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class SkinManager;
class TPXDrawableButton;
class TPXLabelComponent;
class TPXSpinControl;

/** The LM6's backup selection dialog: the whole device (all preset banks and system), one preset
    bank (a letter A-P), one preset (a label "A1"-"P8") or the current preset.

    The console holds it as a member, builds it once from the skin section "LM6BackupSkin" and
    shows it modally under "LM6 Backup Type". Its first show offers no chosen mode and dims OK
    until the first click; OK without a chosen mode is refused like an empty whole-device choice.
    OK with a valid choice closes the window with 3 and sends one change message; Cancel closes it
    with 0. Message thread only.
*/
class LM6BackupDialog : public juce::Component,
                        public juce::ChangeBroadcaster,
                        public juce::ChangeListener,
                        public juce::Button::Listener
{
public:
    LM6BackupDialog();
    ~LM6BackupDialog() override;

    /** Builds the widgets of "LM6BackupSkin" at 375 x 250; nothing without a skin or section. */
    void buildFromSkin (SkinManager* skin);

    void getBackupSelection (LM6BackupSelection& selection) const;

    /** Checks the choice; shows the first failure (focusing the spin concerned) and returns false. */
    bool validateSelection();

    void buttonClicked (juce::Button* button) override;
    void paint (juce::Graphics& g) override;
    void parentHierarchyChanged() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    static constexpr int dialogWidth = 375;
    static constexpr int dialogHeight = 250;

private:
    enum Mode { wholeDevice, onePresetBank, onePreset, currentPreset, numModes };

    void applyMode (int mode, bool moveFocus);
    void makeOkUsable();

    std::unique_ptr<juce::ToggleButton> modeToggles[numModes];
    std::unique_ptr<juce::ToggleButton> presetBanksToggle, systemToggle;
    std::unique_ptr<TPXSpinControl> bankSpin, presetSpin;
    std::unique_ptr<TPXDrawableButton> dividers[3];
    std::unique_ptr<TPXDrawableButton> okayButton, cancelButton;
    std::unique_ptr<TPXLabelComponent> rectangle;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LM6BackupDialog)
};
