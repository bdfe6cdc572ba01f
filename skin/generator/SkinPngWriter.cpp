#include "SkinPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace
{
void appendToBlock (png_structp png, png_bytep data, png_size_t length)
{
    static_cast<juce::MemoryOutputStream*> (png_get_io_ptr (png))->write (data, length);
}

void flushNothing (png_structp) {}

/** The rows of an ARGB image as the PNG file stores them: RGB, or RGBA with straight colours. */
std::vector<png_byte> rowsOf (const juce::Image& image, bool withAlpha)
{
    jassert (image.getFormat() == juce::Image::ARGB);

    const auto width = image.getWidth();
    const auto height = image.getHeight();
    const auto channels = withAlpha ? 4 : 3;
    std::vector<png_byte> rows ((size_t) width * (size_t) height * (size_t) channels);
    const juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::readOnly);
    auto* out = rows.data();

    for (int y = 0; y < height; ++y)
    {
        const auto* line = bitmap.getLinePointer (y);

        for (int x = 0; x < width; ++x)
        {
            // As the framework's PNG writer stores a pixel: un-premultiplied.
            auto pixel = *reinterpret_cast<const juce::PixelARGB*> (line + x * bitmap.pixelStride);
            pixel.unpremultiply();

            *out++ = pixel.getRed();
            *out++ = pixel.getGreen();
            *out++ = pixel.getBlue();

            if (withAlpha)
                *out++ = pixel.getAlpha();
        }
    }

    return rows;
}

/** Runs libpng's writer; false when it reports an error. Nothing with a destructor lives in this
    frame, because libpng's errors jump back into it.
*/
bool writeRows (png_structp png, png_infop info, juce::MemoryOutputStream& out, int width, int height,
                bool withAlpha, std::vector<png_bytep>& rowPointers)
{
    if (setjmp (png_jmpbuf (png)) != 0)
        return false;

    png_set_write_fn (png, &out, appendToBlock, flushNothing);
    png_set_IHDR (png, info, (png_uint_32) width, (png_uint_32) height, 8,
                  withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                  PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);

    // No row filters, the fastest compression: reading the file is little more than an inflate.
    png_set_compression_level (png, 1);
    png_set_filter (png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);

    png_write_info (png, info);
    png_write_image (png, rowPointers.data());
    png_write_end (png, nullptr);
    return true;
}
} // namespace

bool SkinPngWriter::isOpaque (const juce::Image& image)
{
    if (! image.hasAlphaChannel())
        return true;

    const juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (bitmap.getPixelColour (x, y).getAlpha() != 0xff)
                return false;

    return true;
}

juce::MemoryBlock SkinPngWriter::write (const juce::Image& image)
{
    if (! image.isValid())
        return {};

    const auto argb = image.convertedToFormat (juce::Image::ARGB);
    const auto withAlpha = ! isOpaque (argb);
    const auto width = argb.getWidth();
    const auto height = argb.getHeight();
    auto rows = rowsOf (argb, withAlpha);
    std::vector<png_bytep> rowPointers ((size_t) height);

    for (int y = 0; y < height; ++y)
        rowPointers[(size_t) y] = rows.data() + (size_t) y * (size_t) width * (withAlpha ? 4u : 3u);

    auto* png = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    auto* info = png != nullptr ? png_create_info_struct (png) : nullptr;

    if (info == nullptr)
    {
        png_destroy_write_struct (&png, nullptr);
        return {};
    }

    juce::MemoryOutputStream out;
    const auto written = writeRows (png, info, out, width, height, withAlpha, rowPointers);
    png_destroy_write_struct (&png, &info);

    return written ? out.getMemoryBlock() : juce::MemoryBlock();
}
