#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Makes the program's secondary windows (message boxes, dialogs, the update windows, file and
    folder choosers) belong to its main window, as a desktop expects of a program's dialogs: the
    window manager keeps them over the main window, places them with it, and leaves them out of
    the task switcher and the task bar.

    JUCE has no call for this on Linux (its X11 windows are all of the normal type and belong to
    nobody), so there each secondary window is marked, through JUCE's own X11 layer, as a dialog
    (_NET_WM_WINDOW_TYPE_DIALOG) that is transient for the main window (WM_TRANSIENT_FOR).
    Elsewhere the calls do nothing.

    A window is best marked before it shows: window managers read the marks when a window is
    mapped, and some only then. The program's own boxes and dialogs are marked as they are built;
    the Watcher marks, as it takes the keyboard focus, any secondary window that was not.
    Message thread only.
*/
class OwnedWindows
{
public:
    /** The window that secondary windows belong to; null forgets it. */
    static void setMainWindow (juce::Component* mainWindow);
    static juce::Component* getMainWindow();

    /** Marks the top-level window that holds the component as a dialog: of the modal window it
        is opened from (a box over a backup dialog), else of the main window. Whatever the
        window, once it is hidden or deleted the part of the program's other windows that it
        covered is painted again at once. Does nothing (and
        returns false) for the main window itself, a window that is not on the desktop, a pop-up
        (a menu or a tooltip) or where there is no main window or no X display.
    */
    static bool markAsDialog (juce::Component& componentInWindow);

    /** True when the component's top-level window carries both marks for the given owner. */
    static bool isMarkedAsDialogOf (juce::Component& componentInWindow, juce::Component& owner);

    /** While it lives, marks the modal window that the framework builds on its own (a file or
        folder chooser) as soon as it is on the screen. Made for the length of a chooser's call.
    */
    class ChooserMarks : private juce::Timer
    {
    public:
        ChooserMarks();
        ~ChooserMarks() override;

    private:
        void timerCallback() override;

        JUCE_DECLARE_NON_COPYABLE (ChooserMarks)
    };

    /** Marks every secondary window that takes the keyboard focus without having been marked:
        windows that the framework builds on its own (a file chooser) or that other code opens.
        The application keeps one for as long as its main window lives.
    */
    class Watcher : private juce::FocusChangeListener
    {
    public:
        Watcher();
        ~Watcher() override;

    private:
        void globalFocusChanged (juce::Component* focusedComponent) override;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Watcher)
    };
};
