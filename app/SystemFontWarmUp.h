#pragma once

#include <juce_graphics/juce_graphics.h>

/** Finds the system's default typeface on a thread of its own while start-up goes on.

    The first text drawn or measured in the system font makes the framework read every font
    file of the machine to choose that typeface. The main window draws only with the skin's
    typefaces, so here the reading happens while the skin loads and the window appears, and the
    first text in the system font (a backup dialog's, a message box's) waits for it. Nothing else
    may use the system's fonts until waitUntilDone() has returned, which the look-and-feel's
    system font gate sees to: the framework's font list is not made for two threads.
    Created and waited for on the message thread.
*/
class SystemFontWarmUp : private juce::Thread
{
public:
    /** Starts the search at once. */
    SystemFontWarmUp();

    /** Waits for the search and its thread to end. */
    ~SystemFontWarmUp() override;

    /** Returns once the default typeface has been found (at once when it already was). */
    void waitUntilDone();

private:
    void run() override;

    juce::WaitableEvent done { true };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemFontWarmUp)
};
