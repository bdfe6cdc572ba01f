#pragma once

#include <juce_core/juce_core.h>

/** The one instance of a backup dialog class that exists at most once per program run (the
    Orvix II, II XL and III dialogs).

    get() creates the dialog at its first call, under a lock of the class's own, and never again,
    not even after the dialog has been deleted; the dialog's destructor calls forget(), after which
    get() returns null. The lock is taken from any thread, so a first call from another thread
    would still create at most one instance.
*/
template <typename Dialog>
class SingleDialogInstance
{
public:
    /** The one instance, created by the first call; null once it has been deleted. */
    static Dialog* get()
    {
        const juce::ScopedLock sl (lock);

        if (instance == nullptr && ! beingCreated && ! createdOnce)
        {
            beingCreated = createdOnce = true;
            instance = new Dialog();
            beingCreated = false;
        }

        return instance;
    }

    /** Called by the dialog's destructor: get() no longer returns it. */
    static void forget (const Dialog* dialog)
    {
        const juce::ScopedLock sl (lock);

        if (instance == dialog)
            instance = nullptr;
    }

private:
    // Created when the program starts, so that the first call of get() finds it.
    static inline juce::CriticalSection lock;
    static inline Dialog* instance = nullptr;
    static inline bool beingCreated = false, createdOnce = false;
};
