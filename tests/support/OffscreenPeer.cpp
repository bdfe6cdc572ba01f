#include "OffscreenPeer.h"

namespace morvane::test
{
OffscreenPeer::OffscreenPeer (juce::Component& owner, int flags, void* hiddenNativeWindow)
    : juce::ComponentPeer (owner, flags), bounds (owner.getBounds()), nativeWindow (hiddenNativeWindow)
{
}
} // namespace morvane::test
