#pragma once

#include <juce_core/juce_core.h>

/** Watches the display for the first painted window of a process, from outside it.

    The process's top-level window is found by its _NET_WM_PID; from the moment it is mapped, a
    square at its centre is read back from the display about once a millisecond. The window has
    been painted when that square first shows what it shows once the program has settled, so
    the same rule times any program, whatever it draws. Linux (X11) only.
*/
class WindowWatcher
{
public:
    WindowWatcher();
    ~WindowWatcher();

    bool isConnected() const noexcept { return display != nullptr; }

    /** Milliseconds from startMs (on Time::getMillisecondCounterHiRes) to the first sight of the
        settled picture of pid's window; -1 when no window appeared within timeoutMs. settleMs
        is how long the picture must stay unchanged to count as settled.
    */
    double timeToFirstPaint (int pid, double startMs, int timeoutMs = 20000, int settleMs = 1500);

private:
    unsigned long findWindowOf (int pid);

    void* display = nullptr;

    JUCE_DECLARE_NON_COPYABLE (WindowWatcher)
};
