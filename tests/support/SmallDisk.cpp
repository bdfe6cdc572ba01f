#include "SmallDisk.h"

namespace morvane::test
{
namespace
{
bool runCommand (const juce::StringArray& arguments)
{
    juce::ChildProcess process;
    return process.start (arguments, 0) && process.waitForProcessToFinish (20000) && process.getExitCode() == 0;
}
} // namespace

SmallDisk::SmallDisk (int kibibytes)
    : folder (juce::File::createTempFile ("small-disk"))
{
    folder.createDirectory();
    mounted = runCommand ({ "mount", "-t", "tmpfs", "-o", "size=" + juce::String (kibibytes) + "k", "tmpfs",
                            folder.getFullPathName() });
}

SmallDisk::~SmallDisk()
{
    if (mounted)
        runCommand ({ "umount", folder.getFullPathName() });

    folder.deleteRecursively();
}

void SmallDisk::fillLeaving (juce::int64 bytes) const
{
    const auto filler = folder.getChildFile ("filler");
    juce::FileOutputStream stream (filler, 0);
    const juce::HeapBlock<char> block (4096, true);

    // Fill completely, then give back what was asked for.
    while (stream.write (block.getData(), 4096))
    {
    }

    stream.flush();
    const auto size = filler.getSize();

    if (stream.setPosition (juce::jmax ((juce::int64) 0, size - bytes)))
        stream.truncate();
}
} // namespace morvane::test
