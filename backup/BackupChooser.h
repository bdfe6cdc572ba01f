#pragma once

#include "BackupJobPlan.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class BackupRun;
class DeviceQueries;
class KT4BackupDialog;
class LM6BackupDialog;
class OrvixIIBackupDialog;
class OrvixIIIBackupDialog;
class OrvixIIXLBackupDialog;
class SkinManager;

/** The choice of what to back up: given the connected device (its model, and the facts that its
    queries read: firmware version, system information, user cab count, display offset), shows
    the backup dialog of the device's family in a modal window and hands the record that the user
    confirmed, with the job plan's context, to onChosen.

    Each dialog is built at its first show and kept until the chooser ends, so that a user's
    choices stay from one show to the next. Message thread only.
*/
class BackupChooser : private juce::ChangeListener
{
public:
    /** What the user chose: the family, and the context of the job plan with the family's record
        filled in.
    */
    struct Choice
    {
        enum class Family
        {
            orvixII,
            orvixIII,
            kt4,
            lm6
        };

        Family family = Family::kt4;
        BackupJobPlan::Context context;

        /** Starts the backup run of this choice into the folder; false when nothing started. */
        bool startOn (BackupRun& run, const juce::String& folder) const;
    };

    /** The skin may be null (tests); the queries must outlive the chooser. */
    BackupChooser (SkinManager* skin, DeviceQueries& queries);
    ~BackupChooser() override;

    /** Called with the user's choice when a dialog is confirmed. */
    std::function<void (const Choice&)> onChosen;

    /** Shows the dialog of the model's family (none for a model that cannot be backed up this way)
        centred around the component, and returns when it closes.
    */
    void choose (int model, juce::Component* centreAround);

    /** The dialog shown now, or null (tests click in it). */
    juce::Component* getShownDialog() const noexcept { return shownDialog; }

private:
    void chooseOrvixII (juce::Component* centreAround);
    void chooseOrvixIIXL (juce::Component* centreAround);
    void chooseOrvixIII (juce::Component* centreAround);
    void launch (juce::Component& dialog, const juce::String& title, juce::Component* centreAround);
    void displayOffsetGate();
    BackupJobPlan::Context makeContext() const;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    SkinManager* skinManager = nullptr;
    DeviceQueries& queries;
    int model = 0;
    std::unique_ptr<KT4BackupDialog> kt4Dialog;
    std::unique_ptr<LM6BackupDialog> lm6Dialog;
    std::unique_ptr<OrvixIIBackupDialog> orvixIIDialog;
    std::unique_ptr<OrvixIIXLBackupDialog> orvixIIXLDialog;
    std::unique_ptr<OrvixIIIBackupDialog> orvixIIIDialog;
    juce::Component* shownDialog = nullptr;
    int displayOffset = 0;
    bool displayOffsetKnown = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BackupChooser)
};
