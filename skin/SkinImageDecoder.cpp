#include "SkinImageDecoder.h"

#include <png.h>

#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

namespace
{
// Recognised as the framework's image formats recognise them (juce::ImageFileFormat::canUnderstand).
bool isPng (const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*> (data);
    return size >= 4 && p[1] == 'P' && p[2] == 'N' && p[3] == 'G';
}

bool isJpeg (const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*> (data);
    return size >= 24 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
}

bool isGif (const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*> (data);
    return size >= 4 && p[0] == 'G' && p[1] == 'I' && p[2] == 'F';
}

bool sizeIsAcceptable (juce::int64 width, juce::int64 height)
{
    return width > 0 && height > 0 && width <= SkinImageDecoder::maxSide && height <= SkinImageDecoder::maxSide
        && width * height <= SkinImageDecoder::maxPixels;
}

/** Premultiplies straight ARGB pixels in place, exactly as juce::Colour::getPixelARGB does. */
void premultiplyRows (const juce::Image::BitmapData& bitmap)
{
    for (int y = 0; y < bitmap.height; ++y)
    {
        auto* pixel = reinterpret_cast<juce::PixelARGB*> (bitmap.getLinePointer (y));

        for (int x = 0; x < bitmap.width; ++x, ++pixel)
            pixel->premultiply();
    }
}

/** libjpeg must not return from its error handler: this one jumps back into decodeJpeg. */
struct JpegErrorManager
{
    jpeg_error_mgr manager;
    std::jmp_buf jumpBuffer;
};

[[noreturn]] void leaveJpegDecoder (j_common_ptr info)
{
    std::longjmp (reinterpret_cast<JpegErrorManager*> (info->err)->jumpBuffer, 1);
}

void ignoreJpegMessage (j_common_ptr) {}
void ignoreJpegWarning (j_common_ptr, int) {}

/** Everything a JPEG decode touches, kept outside the frame that a jump returns to, so that
    nothing in that frame is left indeterminate by the jump.
*/
struct JpegDecoding
{
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    juce::HeapBlock<juce::uint8> pixels;
    int width = 0;
    int height = 0;
    bool tooLarge = false;
};

/** Decodes into decoding.pixels (RGB rows); false when the image is damaged or too large. No
    object with a destructor lives in this frame, because libjpeg's errors jump back into it.
*/
bool runJpegDecoder (JpegDecoding& d, const void* data, size_t size)
{
    juce::zerostruct (d.info);
    d.info.err = jpeg_std_error (&d.errors.manager);
    d.errors.manager.error_exit = leaveJpegDecoder;
    d.errors.manager.output_message = ignoreJpegMessage;
    d.errors.manager.emit_message = ignoreJpegWarning;

    if (setjmp (d.errors.jumpBuffer) != 0)
    {
        jpeg_destroy_decompress (&d.info);
        return false;
    }

    jpeg_create_decompress (&d.info);
    jpeg_mem_src (&d.info, static_cast<const unsigned char*> (data), (unsigned long) size);
    jpeg_read_header (&d.info, TRUE);

    if (! sizeIsAcceptable (d.info.image_width, d.info.image_height))
    {
        d.tooLarge = true;
        jpeg_destroy_decompress (&d.info);
        return false;
    }

    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress (&d.info);

    d.width = (int) d.info.output_width;
    d.height = (int) d.info.output_height;

    if (d.info.output_components != 3 || ! sizeIsAcceptable (d.width, d.height))
    {
        jpeg_destroy_decompress (&d.info);
        return false;
    }

    d.pixels.calloc ((size_t) d.width * (size_t) d.height * 3);

    while (d.info.output_scanline < d.info.output_height)
    {
        JSAMPROW row = d.pixels.get() + (size_t) d.info.output_scanline * (size_t) d.width * 3;

        if (jpeg_read_scanlines (&d.info, &row, 1) != 1)
        {
            jpeg_destroy_decompress (&d.info);
            return false;
        }
    }

    jpeg_finish_decompress (&d.info);
    jpeg_destroy_decompress (&d.info);
    return true;
}
} // namespace

bool SkinImageDecoder::isImage (const void* data, size_t size)
{
    return isPng (data, size) || isJpeg (data, size) || isGif (data, size);
}

juce::Image SkinImageDecoder::decode (const void* data, size_t size, juce::String& problem)
{
    if (isPng (data, size))
        return decodePng (data, size, problem);

    if (isJpeg (data, size))
        return decodeJpeg (data, size, problem);

    // The framework's GIF decoder indexes before the start of its own buffer on every image, so
    // a GIF is recognised as an image but not decoded: the placeholder stands in for it.
    if (isGif (data, size))
    {
        problem = "GIF images are not decoded";
        return {};
    }

    problem = "not an image";
    return {};
}

juce::Image SkinImageDecoder::decodePng (const void* data, size_t size, juce::String& problem)
{
    png_image png;
    juce::zerostruct (png);
    png.version = PNG_IMAGE_VERSION;

    if (! png_image_begin_read_from_memory (&png, data, size))
    {
        problem = "the PNG image is damaged (" + juce::String (png.message) + ")";
        return {};
    }

    if (! sizeIsAcceptable (png.width, png.height))
    {
        png_image_free (&png);
        problem = "the PNG image is too large";
        return {};
    }

    // libpng writes straight BGRA rows, in memory the byte order of the framework's ARGB pixels,
    // straight into the image; the colours are then premultiplied in place as the framework
    // premultiplies them. An image without alpha (nor a transparent colour) comes out opaque:
    // nothing to premultiply.
    const auto hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_BGRA;

    juce::Image image (juce::Image::ARGB, (int) png.width, (int) png.height, false);
    juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::readWrite);

    if (bitmap.pixelStride != 4 || bitmap.lineStride < bitmap.width * 4
        || ! png_image_finish_read (&png, nullptr, bitmap.data, (png_int_32) bitmap.lineStride, nullptr))
    {
        problem = "the PNG image is damaged (" + juce::String (png.message) + ")";
        png_image_free (&png);
        return {};
    }

    if (hasAlpha)
        premultiplyRows (bitmap);

    return image;
}

juce::Image SkinImageDecoder::decodeJpeg (const void* data, size_t size, juce::String& problem)
{
    JpegDecoding decoding;

    if (! runJpegDecoder (decoding, data, size))
    {
        problem = decoding.tooLarge ? "the JPEG image is too large" : "the JPEG image is damaged";
        return {};
    }

    juce::Image image (juce::Image::RGB, decoding.width, decoding.height, false);
    juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < decoding.height; ++y)
    {
        const auto* source = decoding.pixels.get() + (size_t) y * (size_t) decoding.width * 3;
        auto* destination = bitmap.getLinePointer (y);

        for (int x = 0; x < decoding.width; ++x, source += 3, destination += bitmap.pixelStride)
            reinterpret_cast<juce::PixelRGB*> (destination)->setARGB (0xff, source[0], source[1], source[2]);
    }

    return image;
}
