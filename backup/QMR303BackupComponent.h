#pragma once

#include "DumpProgressThread.h"
#include "FootControllerDump.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class MidiProcessing;
class TPXMultiLineLabelComponent;
class Transfers;

/** The content of the foot controller's dump window, "QMR-303 Create Backup".

    The QMR-303 is backed up by a dump that the user starts on the device itself. The window
    tells how, step by step; READY starts recording what arrives and shows the byte count on the
    bar; OK writes the SysEx that arrived into a time-stamped ".syx" file of the receive folder
    and closes the window; Cancel drops what was recorded and closes it. When nothing
    arrived, or the file could not be written, the window stays open and READY can start again;
    a dump whose file failed is kept, so OK can be pressed again.

    The console makes one at the first show and keeps it; its children are rebuilt at every
    show. The dump counter is the transfers' own, which lock the page while it runs and tell the
    user through their view. Message thread only.
*/
class QMR303BackupComponent : public juce::Component,
                              public juce::Button::Listener,
                              public DumpProgressThread::Listener
{
public:
    static constexpr int windowWidth = 375;
    /** The least height; the window grows when its instructions need more room in the font at hand. */
    static constexpr int windowHeight = 430;

    /** Records on the link (which may be null) and counts through transfers; receiveFolder gives
        the folder that the dump is written to. Transfers must outlive the component.
    */
    QMR303BackupComponent (Transfers& transfers, MidiProcessing* link, std::function<juce::String()> receiveFolder);

    /** Drops a recording that still runs. */
    ~QMR303BackupComponent() override;

    /** The step-by-step instructions shown above the buttons. */
    static juce::String getInstructionText();

    /** Replaces the label, the three buttons and the bar, laid out below the instructions at the
        height their text needs, and gives the component its size.
    */
    void rebuild();

    /** READY: recording starts from nothing, the bar counts the bytes. */
    void startDumpRecording();

    /** OK: recording stops; the SysEx that arrived is written and the window closes, or a
        warning says why not and the window stays.
    */
    void exportSysEx();

    /** Cancel, or the window closed otherwise: recording stops, what arrived is dropped, the
        console gets its page back.
    */
    void cancelDump();

    /** The text of a failed write's warning. */
    static juce::String makeExportErrorText (const juce::String& error);

    /** The bar's value: 1 while it shows the count, 0 otherwise. */
    double getDumpProgress() const noexcept { return dumpProgress; }

    /** The bar's text: the byte count while recording. */
    juce::String getProgressText() const { return progressText; }

    //==============================================================================
    void buttonClicked (juce::Button* button) override;
    /** Its window is a dialog of the main window, marked before it shows. */
    void parentHierarchyChanged() override;
    void dumpByteCountChanged (juce::uint32 byteCount, const juce::String& text) override;

private:
    std::unique_ptr<juce::ImageButton> makeButton (const juce::String& name, const juce::String& image,
                                                   const juce::String& over, const juce::String& down, int x);
    void endRecording();

    static constexpr int instructionsTop = 20, lowestButtonsY = 310;
    void closeWindow (int result);

    Transfers& transfers;
    std::function<juce::String()> receiveFolder;
    FootControllerDump dump;
    bool recording = false;

    double dumpProgress = 0.0;
    juce::String progressText;

    std::unique_ptr<TPXMultiLineLabelComponent> instructionsLabel;
    std::unique_ptr<juce::ImageButton> readyButton, okButton, cancelButton;
    std::unique_ptr<juce::ProgressBar> dumpProgressBar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QMR303BackupComponent)
};
