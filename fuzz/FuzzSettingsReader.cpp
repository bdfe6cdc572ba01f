// The settings file as the program reads it at its start: any bytes at the settings file's path,
// then the console's settings loaded. A file is either read by the framework's properties reader
// whole and left as it was, or it is reported, kept aside byte for byte, and the settings start
// from their defaults: never taken silently as empty, and nothing of it taken.

#include "ConsoleSettings.h"
#include "FuzzScratchFolder.h"

#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<FuzzScratchFolder> scratch;

[[noreturn]] void fail (const char* what, const juce::String& detail = {})
{
    fprintf (stderr, "settings reader: %s %s\n", what, detail.toRawUTF8());
    __builtin_trap();
}

bool holdsExactly (const juce::File& file, const uint8_t* data, size_t size)
{
    juce::MemoryBlock now;
    // Compared by hand: an empty input comes as a null pointer, which memcmp must not be given.
    return file.existsAsFile() && file.loadFileAsData (now) && now.getSize() == size
           && (size == 0 || std::memcmp (now.getData(), data, size) == 0);
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::MessageManager::getInstance();
    scratch = std::make_unique<FuzzScratchFolder> ("morvane-fuzz-settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto& appData = scratch->get();

    {
        ConsoleSettings settings (appData);
        const auto path = settings.getOptions().getDefaultFile();

        // Written as it came, an empty input as an empty file (which replaceWithData would not leave).
        if (! path.getParentDirectory().createDirectory() || path.create().failed() || ! path.appendData (data, size))
            fail ("could not write the input at", path.getFullPathName());

        settings.load();

        if (settings.getFile() == nullptr)
            fail ("no settings after load");

        if (settings.getStartNotice().isEmpty())
        {
            // Taken: the framework read the very file, which is still there as it was.
            if (! settings.getFile()->isValidFile())
                fail ("a file the framework could not read was taken without a word");

            if (! holdsExactly (path, data, size))
                fail ("a file that was read changed");
        }
        else
        {
            // Reported: the user's bytes are kept whole beside the settings, and nothing of them
            // was taken.
            if (settings.getKeptFile() == juce::File() || ! holdsExactly (settings.getKeptFile(), data, size))
                fail ("an unreadable file was not kept whole");

            if (path.exists())
                fail ("an unreadable file was left where the settings are written");

            if (settings.getWindowState().isNotEmpty() || settings.getFile()->getAllProperties().size() != 0)
                fail ("settings were taken from an unreadable file");
        }
    }

    scratch->empty();
    return 0;
}
