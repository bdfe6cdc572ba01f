#pragma once

#include <juce_graphics/juce_graphics.h>

namespace morvane::test
{
/** True when both images are valid or both invalid, and have the same bounds, format and pixels. */
inline bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.isValid() != b.isValid() || a.getBounds() != b.getBounds() || a.getFormat() != b.getFormat())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}
} // namespace morvane::test
