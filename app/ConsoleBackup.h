#pragma once

#include "BackupRun.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class KT4BackupDialog;
class LM6BackupDialog;
class MorvaneDialog;
class OrvixIIBackupDialog;
class OrvixIIIBackupDialog;
class OrvixIIXLBackupDialog;

/** The receive page's backup road on the console: the folder choice, the chooser windows that
    BEGIN opens per device family (with the device facts each dialog needs at every show), and the
    backup run that an OK in a dialog starts, which shows itself through the console's view.

    Owned by MorvaneDialog, which hands over to it from its entry points. The KT4 and LM6 dialogs
    are built here with the console; the Orvix dialogs at their first show. Message thread only.
*/
class ConsoleBackup : private juce::ChangeListener
{
public:
    explicit ConsoleBackup (MorvaneDialog& console);
    ~ConsoleBackup() override;

    /** The choosers: each launches its dialog in a modal window and returns when it closes. */
    void chooseOrvixIIBackupType();
    void chooseOrvixIIXLBackupType();
    void chooseOrvixIIIBackupType();
    void chooseLM6BackupType();
    void chooseKT4BackupType();

    /** BEGIN on the receive page: the chooser of the device's family. */
    void begin();

    /** Browse on the receive page: "Choose save location", then setReceiveFolder. */
    void browse();

    /** Takes an existing folder as the receive folder (stored as `RCV_DIR`); anything else is
        ignored.
    */
    void setReceiveFolder (const juce::String& path);

    /** A drop on the receive page: inside the drop area, while the ports that the device needs
        there are set and no work runs, the first dropped path becomes the receive folder when it
        is an existing folder, as if chosen with Browse. Files and any other drop are ignored.
    */
    void filesDropped (const juce::StringArray& files, int x, int y);

    /** The console's Cancel during a run. */
    void cancel() { if (run != nullptr) run->cancel(); }

    bool isRunning() const noexcept { return run != nullptr && run->isRunning(); }

    /** The run, or null without a link. */
    BackupRun* getRun() noexcept { return run.get(); }

    /** The dialog shown by the chooser that runs now, or null (tests click in it). */
    juce::Component* getShownDialog() const noexcept { return shownDialog; }

    /** The Orvix II XL dialog, once shown: the console's queries refresh it. */
    OrvixIIXLBackupDialog* getOrvixIIXLDialog() const noexcept { return orvixIIXLDialog.get(); }

private:
    void launch (juce::Component& dialog, const juce::String& title);
    void displayOffsetGate();
    BackupJobPlan::Context makeContext() const;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    MorvaneDialog& c;
    std::unique_ptr<KT4BackupDialog> kt4Dialog;
    std::unique_ptr<LM6BackupDialog> lm6Dialog;
    std::unique_ptr<OrvixIIBackupDialog> orvixIIDialog;
    std::unique_ptr<OrvixIIXLBackupDialog> orvixIIXLDialog;
    std::unique_ptr<OrvixIIIBackupDialog> orvixIIIDialog;
    juce::Component* shownDialog = nullptr;
    int displayOffset = 0;
    bool displayOffsetKnown = false;
    std::unique_ptr<BackupRun> run;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleBackup)
};
