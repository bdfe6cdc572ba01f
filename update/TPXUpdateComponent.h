#pragma once

#include "TPXProgressBar.h"
#include "UpdateCheckThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class SkinManager;
class TPXDrawableButton;
class TPXLabelComponent;
class UpdateDownloadThread;

/** What the program-update and firmware-update windows share: a notes page (the info view) and
    a download-progress page (the component itself), both built from a skin section, the modal
    notes window, and the watch over a running download.

    The component's 1000 ms timer (id 0) cancels the download when its window has gone, and once
    the download thread has ended closes the progress window, copies the result and sends a
    synchronous change message. A 100 ms timer (id 1) copies the thread's progress to the bar;
    while a body without a length arrives the progress is below 0, the bar shows that it is busy
    and Cancel stays offered. Checks read the server on a thread of their own (UpdateCheckThread).
    Message thread only.
*/
class TPXUpdateComponent : public juce::Component,
                           public juce::Button::Listener,
                           public juce::ChangeBroadcaster,
                           public juce::MultiTimer
{
public:
    ~TPXUpdateComponent() override;

    /** The download's DownloadResult, copied once the thread has ended; 0 before. */
    int getDownloadResult() const;

    /** What the progress page's Cancel does: asks a running download to stop. */
    void cancelDownload();

    /** True while a download thread runs. */
    bool isDownloadRunning() const;

    /** True while a check reads the server (on its own thread). */
    bool isChecking() const noexcept { return checkThread != nullptr && checkThread->isChecking(); }

    /** The notes page shown in the notes window. */
    juce::Component& getInfoView() noexcept { return infoView; }

    /** The texts of the notes page, for the tests and the window. */
    juce::String getInfoText() const { return infoText; }
    juce::String getNotesText() const { return notesText; }
    juce::String getButtonText() const { return buttonLabelText; }
    bool isInfoCancelShown() const noexcept { return cancelShown; }

    /** False when the skin had no section for this window (there is nothing to show then). */
    bool hasNotesPage() const noexcept;

    TPXDrawableButton* getOkayButton() const noexcept { return infoOkayButton.get(); }
    TPXDrawableButton* getProgressCancelButton() const noexcept { return progressCancelButton.get(); }

    void buttonClicked (juce::Button* button) override;
    void timerCallback (int timerId) override;

    /** The window that shows the progress page is a dialog of the main window, whoever opens it. */
    void parentHierarchyChanged() override;

protected:
    explicit TPXUpdateComponent (SkinManager* skin);

    /** Builds the widgets of the section that both windows know; false for any other name. */
    bool buildCommonWidget (const juce::XmlElement& widget, const juce::String& name);

    /** Reads the section's sizes and walks its Widgets, handing each to buildWidget(). Nothing is
        built without a loaded skin that holds the section.
    */
    void buildFromSection (const juce::String& sectionName);
    virtual void buildWidget (const juce::XmlElement& widget, const juce::String& name) = 0;

    /** Fills the notes page. endOfLife centres OK and hides Cancel; otherwise OK goes back to its
        place and Cancel shows.
    */
    void setInfoPage (const juce::String& info, const juce::String& notes, const juce::String& buttonText, bool endOfLife);

    /** The progress cancel button back to full opacity and enabled. */
    void resetProgressPage();

    /** Runs the notes window modally with that title; true when it ended with OK. */
    bool runNotesWindow (const juce::String& title);

    /** Starts watching the thread that a derived class has just started; null stops watching
        (before the thread is deleted).
    */
    void watchDownload (UpdateDownloadThread* thread);

    /** Starts a check's network reads on their own thread (ending an earlier check first); then
        calls finished on the message thread, unless the component has gone meanwhile.
    */
    void startCheck (UpdateCheckThread::Job reads, std::function<void()> finished);

    /** Stops watching the download and deletes its thread (before a new one, and in the derived
        destructors).
    */
    template <typename Thread>
    void endDownload (std::unique_ptr<Thread>& thread)
    {
        watchDownload (nullptr);
        thread.reset();
    }

    /** Ends the previous download, then starts a new thread made from the arguments and watches it. */
    template <typename Thread, typename... Args>
    void beginDownload (std::unique_ptr<Thread>& thread, Args&&... args)
    {
        endDownload (thread);
        thread = std::make_unique<Thread> (std::forward<Args> (args)...);
        thread->startThread();
        watchDownload (thread.get());
    }

    /** Leaves the modal state of the nearest dialog window around the component with that result. */
    void closeWindowOf (juce::Component& component, int result);

    /** A toggle from a Widget: its "text", "toggleRect" and colours; this component listens. */
    std::unique_ptr<juce::ToggleButton> buildToggle (const juce::XmlElement& widget);

    /** Called once the notes window has closed, however it closed. */
    virtual void notesWindowClosing() {}

    /** A label that shows text only: not editable, no focus, no squeezing. */
    static void makeStatic (juce::Label& label);

    SkinManager* const skinManager;
    juce::Component infoView;
    std::unique_ptr<TPXLabelComponent> infoLabel, infoButtonLabel, progressDownloadLabel;
    /** Where the notes show on the notes page; it holds their editor only while the notes window
        is open, as every juce::TextEditor keeps the desktop asking where the pointer is.
    */
    std::unique_ptr<juce::Component> infoNotes;
    std::unique_ptr<TPXDrawableButton> infoOkayButton, infoCancelButton, progressCancelButton;
    std::unique_ptr<TPXProgressBar> progressBar;
    int okayX = 0, centredOkayX = 0;

    std::atomic<double> progress { 0.0 };

private:
    void showProgress (double value);
    void showNotes();

    /** Gives the info text the height it needs, at most the skin's, and moves what lies below it
        up by what it gave back, so that no empty band stays under a one-line text.
    */
    void fitInfoLabel();

    struct SkinPlace
    {
        juce::Component::SafePointer<juce::Component> component;
        int y = 0;
    };

    std::vector<SkinPlace> placesBelowInfo;
    int skinInfoLabelHeight = -1, skinInfoViewHeight = 0;

    std::unique_ptr<juce::TextEditor> notesEditor;
    juce::String infoText, notesText, buttonLabelText;
    bool cancelShown = true;
    UpdateDownloadThread* watchedDownload = nullptr;
    std::unique_ptr<UpdateCheckThread> checkThread;
    juce::CriticalSection resultLock;
    int downloadResult = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXUpdateComponent)
};
