#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The few file operations that the single-instance channel needs and the framework does not
    offer: a folder that only this user may enter, and a lock that tells a lock held by another
    process from one that cannot be taken at all. POSIX calls where the platform has them;
    elsewhere the nearest framework call.
*/
class PlatformFiles
{
public:
    /** The user's own folder for the files of a running program: $XDG_RUNTIME_DIR when it names a
        folder of this user's that only this user may enter (mode 0700), else "morvane-<uid>" in
        the temporary folder, made with mode 0700 when it does not exist. Returns an empty File
        when that folder is not this user's own (a link, another user's, open to others) and
        cannot be made so.
    */
    static juce::File findRuntimeFolder();

    /** The same, for the given value of $XDG_RUNTIME_DIR (empty: not set) and temporary folder. */
    static juce::File findRuntimeFolder (const juce::String& runtimeDirVariable, const juce::File& tempFolder);

    /** True when the path is a real folder (not a link) of this user's that only this user may enter. */
    static bool isPrivateFolder (const juce::File& folder);

    /** An exclusive lock on a file, held while the object lives. */
    class Lock
    {
    public:
        /** Opens (making it when missing) and locks the file without waiting. Null when another
            process holds the lock, whyNot then left empty; null too when the lock cannot be taken
            at all (a folder or a link stands at the path, the file is another user's or not an
            ordinary file, the system refused), whyNot then saying why.
        */
        static std::unique_ptr<Lock> take (const juce::File& file, juce::String* whyNot = nullptr);
        ~Lock();

        /** Replaces what the locked file holds with the text; false when it could not be written. */
        bool replaceContent (const juce::String& text);

    private:
        Lock() = default;

       #if JUCE_LINUX || JUCE_BSD || JUCE_MAC
        int descriptor = -1;
       #else
        std::unique_ptr<juce::InterProcessLock> fallback;
        juce::File file;
       #endif

        JUCE_DECLARE_NON_COPYABLE (Lock)
    };

private:
    PlatformFiles() = delete;
};
