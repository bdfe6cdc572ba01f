#pragma once

#include <juce_core/juce_core.h>

namespace morvane::test
{
/** A folder on a RAM disk of its own (tmpfs) of a given size, for writes that must run out of
    room. Mounting needs root, as the tests run; isMounted says whether it worked, so that a test
    can skip where it did not. Unmounted and removed at the end.
*/
class SmallDisk
{
public:
    explicit SmallDisk (int kibibytes);
    ~SmallDisk();

    bool isMounted() const noexcept { return mounted; }

    /** The folder on the disk. */
    const juce::File& getFolder() const noexcept { return folder; }

    /** Fills the disk but for about this many bytes. */
    void fillLeaving (juce::int64 bytes) const;

private:
    juce::File folder;
    bool mounted = false;

    JUCE_DECLARE_NON_COPYABLE (SmallDisk)
};
} // namespace morvane::test
