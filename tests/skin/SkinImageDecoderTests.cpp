#include "SkinImageDecoder.h"

#include <gtest/gtest.h>

#include <png.h>

#include <vector>

namespace
{
/** One straight (not premultiplied) RGBA pixel, as a PNG stores it. */
struct Straight
{
    juce::uint8 r, g, b, a;
};

/** A PNG written by libpng from straight pixels in the given format (RGBA, GA or a palette with
    transparency), row by row.
*/
juce::MemoryBlock writePng (const std::vector<Straight>& pixels, int width, juce::uint32 format)
{
    const auto height = (int) pixels.size() / width;
    std::vector<png_byte> rgba;

    for (const auto& p : pixels)
        rgba.insert (rgba.end(), { p.r, p.g, p.b, p.a });

    png_image image;
    juce::zerostruct (image);
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32) width;
    image.height = (png_uint_32) height;
    image.format = format;

    std::vector<png_byte> source;
    std::vector<png_byte> colourMap;

    if (format == PNG_FORMAT_GA)
    {
        for (const auto& p : pixels)
            source.insert (source.end(), { p.r, p.a });
    }
    else if (format == PNG_FORMAT_RGBA_COLORMAP)
    {
        for (const auto& p : pixels)
        {
            source.push_back ((png_byte) (colourMap.size() / 4));
            colourMap.insert (colourMap.end(), { p.r, p.g, p.b, p.a });
        }

        image.colormap_entries = (png_uint_32) pixels.size();
    }
    else
    {
        source = rgba;
    }

    png_alloc_size_t size = 0;
    EXPECT_TRUE (png_image_write_to_memory (&image, nullptr, &size, 0, source.data(), 0,
                                            colourMap.empty() ? nullptr : colourMap.data()));
    juce::MemoryBlock block (size);
    EXPECT_TRUE (png_image_write_to_memory (&image, block.getData(), &size, 0, source.data(), 0,
                                            colourMap.empty() ? nullptr : colourMap.data()));
    block.setSize (size);
    return block;
}

/** The pixel as stored in the image's memory (premultiplied for ARGB). */
juce::uint32 storedPixel (const juce::Image& image, int x, int y)
{
    const juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::readOnly);
    return reinterpret_cast<const juce::PixelARGB*> (bitmap.getPixelPointer (x, y))->getNativeARGB();
}

/** Every alpha the premultiplication treats apart (0, 1, 254, 255), half alpha, and colours whose
    channels round differently.
*/
std::vector<Straight> alphaPixels()
{
    return { { 255, 0, 0, 255 },    { 0, 255, 0, 128 },  { 0, 0, 255, 1 },     { 255, 255, 255, 0 },
             { 200, 100, 50, 254 }, { 17, 99, 201, 127 }, { 255, 255, 255, 64 }, { 1, 2, 3, 200 },
             { 128, 128, 128, 2 },  { 90, 180, 45, 33 },  { 0, 0, 0, 129 },     { 254, 253, 252, 250 },
             { 77, 66, 55, 255 },   { 5, 250, 130, 191 } };
}
} // namespace

// Each PNG layout with partial alpha decodes into the framework's premultiplied ARGB pixels,
// exactly as a juce::Colour of the straight pixel gives them, whatever the image's width.
TEST (SkinImageDecoding, PngWithPartialAlphaGivesThePremultipliedColours)
{
    struct Case
    {
        const char* name;
        juce::uint32 format;
        int width;
    };

    const Case cases[] = { { "RGBA, 7 wide", PNG_FORMAT_RGBA, 7 },
                           { "RGBA, 1 wide", PNG_FORMAT_RGBA, 1 },
                           { "RGBA, 14 wide", PNG_FORMAT_RGBA, 14 },
                           { "grey and alpha", PNG_FORMAT_GA, 7 },
                           { "palette with transparency", PNG_FORMAT_RGBA_COLORMAP, 2 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto pixels = alphaPixels();

        if (c.format == PNG_FORMAT_GA)
            for (auto& p : pixels)
                p.g = p.b = p.r;

        const auto png = writePng (pixels, c.width, c.format);
        juce::String problem;
        const auto image = SkinImageDecoder::decode (png.getData(), png.getSize(), problem);

        ASSERT_TRUE (image.isValid()) << problem;
        EXPECT_EQ (image.getFormat(), juce::Image::ARGB);
        EXPECT_EQ (image.getWidth(), c.width);
        ASSERT_EQ (image.getHeight(), (int) pixels.size() / c.width);

        for (int i = 0; i < (int) pixels.size(); ++i)
        {
            const auto& p = pixels[(size_t) i];
            const auto x = i % c.width, y = i / c.width;
            const juce::Colour colour (p.r, p.g, p.b, p.a);

            EXPECT_EQ (storedPixel (image, x, y), colour.getPixelARGB().getNativeARGB()) << "pixel " << i;
            EXPECT_EQ (image.getPixelAt (x, y).getAlpha(), p.a) << "pixel " << i;
        }
    }
}

// An opaque PNG keeps its colours exactly, and a fully transparent pixel is stored as zero.
TEST (SkinImageDecoding, OpaqueAndTransparentPngPixels)
{
    const std::vector<Straight> pixels { { 10, 20, 30, 255 }, { 250, 128, 3, 255 }, { 9, 8, 7, 0 }, { 255, 255, 255, 0 } };
    const auto png = writePng (pixels, 2, PNG_FORMAT_RGBA);
    juce::String problem;
    const auto image = SkinImageDecoder::decode (png.getData(), png.getSize(), problem);

    ASSERT_TRUE (image.isValid()) << problem;
    EXPECT_EQ (image.getPixelAt (0, 0), juce::Colour (10, 20, 30));
    EXPECT_EQ (image.getPixelAt (1, 0), juce::Colour (250, 128, 3));
    EXPECT_EQ (storedPixel (image, 0, 1), 0u);
    EXPECT_EQ (storedPixel (image, 1, 1), 0u);
}

// A JPEG decodes into RGB pixels that are those of the framework's own decoder, and its flat
// areas keep their colours.
TEST (SkinImageDecoding, JpegGivesTheRightColours)
{
    const juce::Colour blocks[] = { juce::Colour (0xffd02020), juce::Colour (0xff20d020), juce::Colour (0xff2020d0),
                                    juce::Colour (0xffffbc00), juce::Colour (0xff808080), juce::Colour (0xff000000) };
    const int blockSize = 16;
    const int numBlocks = (int) std::size (blocks);

    juce::Image original (juce::Image::RGB, blockSize * numBlocks + 5, blockSize + 3, true);

    {
        juce::Graphics g (original);
        g.fillAll (juce::Colours::white);

        for (int i = 0; i < numBlocks; ++i)
        {
            g.setColour (blocks[i]);
            g.fillRect (i * blockSize, 0, blockSize, blockSize);
        }
    }

    juce::MemoryOutputStream jpeg;
    juce::JPEGImageFormat writer;
    writer.setQuality (1.0f);
    ASSERT_TRUE (writer.writeImageToStream (original, jpeg));

    juce::String problem;
    const auto image = SkinImageDecoder::decode (jpeg.getData(), jpeg.getDataSize(), problem);
    ASSERT_TRUE (image.isValid()) << problem;
    EXPECT_EQ (image.getFormat(), juce::Image::RGB);
    ASSERT_EQ (image.getBounds(), original.getBounds());

    juce::MemoryInputStream in (jpeg.getData(), jpeg.getDataSize(), false);
    const auto reference = juce::JPEGImageFormat().decodeImage (in);
    ASSERT_EQ (reference.getBounds(), image.getBounds());

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ASSERT_EQ (image.getPixelAt (x, y), reference.getPixelAt (x, y)) << x << ", " << y;

    auto near = [] (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) <= 6 && std::abs (a.getGreen() - b.getGreen()) <= 6
            && std::abs (a.getBlue() - b.getBlue()) <= 6;
    };

    for (int i = 0; i < numBlocks; ++i)
    {
        const auto seen = image.getPixelAt (i * blockSize + blockSize / 2, blockSize / 2);
        EXPECT_TRUE (near (seen, blocks[i])) << "block " << i << ": " << seen.toDisplayString (false);
    }
}
