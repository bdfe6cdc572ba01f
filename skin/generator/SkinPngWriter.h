#pragma once

#include <juce_graphics/juce_graphics.h>

/** Writes the skin's images as PNG files that the program decodes quickly at start-up.

    The pixels are those the framework's own PNG writer would store (straight, not premultiplied,
    colours), so the program shows exactly the same images; but the rows are not filtered and are
    compressed at zlib's fastest level. The images are mostly flat colour, which that level packs
    about as tightly as the framework's setting, while reading them needs no unfiltering and a
    quicker inflate. An image without a transparent pixel is written without an alpha channel,
    which spares the program premultiplying it. The archive stores the files as they are.
*/
class SkinPngWriter
{
public:
    /** The PNG file of the image, or an empty block when it cannot be written. */
    static juce::MemoryBlock write (const juce::Image& image);

    /** True when every pixel of the image is opaque. */
    static bool isOpaque (const juce::Image& image);

private:
    SkinPngWriter() = delete;
};
