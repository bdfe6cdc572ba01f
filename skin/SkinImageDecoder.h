#pragma once

#include <juce_graphics/juce_graphics.h>

/** Decodes the images of a skin archive without trusting them.

    The framework on this platform decodes PNG and JPEG with the system's libpng and libjpeg, but
    its error handlers return into (or jump to) stack frames that no longer exist, so a damaged
    image can crash the program. Here PNG goes through libpng's simplified interface, which
    catches every libpng error itself, and JPEG through libjpeg with an error handler that leaves
    the decoder properly. GIF is recognised but not decoded, because the framework's GIF decoder
    indexes outside its buffer on every image; the skin then shows the missing-image placeholder.
    Images larger than maxSide on a side are refused before any pixel is allocated.
*/
class SkinImageDecoder
{
public:
    static constexpr int maxSide = 8192;
    static constexpr juce::int64 maxPixels = 16 * 1024 * 1024;

    /** True when the data starts like an image of a format the framework knows (PNG, JPEG, GIF). */
    static bool isImage (const void* data, size_t size);

    /** The decoded image, or a null image with the reason in problem. */
    static juce::Image decode (const void* data, size_t size, juce::String& problem);

private:
    static juce::Image decodePng (const void* data, size_t size, juce::String& problem);
    static juce::Image decodeJpeg (const void* data, size_t size, juce::String& problem);

    SkinImageDecoder() = delete;
};
