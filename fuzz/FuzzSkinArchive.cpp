// The skin archive: a whole ZIP archive read as the skin manager reads it, or one entry's bytes
// given straight to the image decoder, the typeface reader or the drawing reader (the first byte
// chooses).

#include "FuzzInput.h"
#include "FuzzScratchFolder.h"
#include "SkinImageDecoder.h"
#include "SkinManager.h"
#include "SkinTypefaceReader.h"

#include <memory>

namespace
{
std::unique_ptr<FuzzScratchFolder> workFolder;
int runs = 0;

void useTypeface (const juce::Typeface::Ptr& typeface)
{
    if (typeface == nullptr)
        return;

    // What the widgets do with a skin font: measure and lay out a text.
    const juce::Font font (typeface);
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font.withHeight (14.0f), juce::String::fromUTF8 ("Morvane \xc3\xa4\xc3\xb6 0-9 AVAWAT"), 0.0f, 0.0f);
    juce::Path path;
    glyphs.createPath (path);
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::MessageManager::getInstance();

    // The font aid of a ".ttf" entry writes into the working directory: keep that in a folder of
    // our own, empty it now and then, and remove it at the end.
    workFolder = std::make_unique<FuzzScratchFolder> ("morvane-fuzz-archive");
    workFolder->get().setAsCurrentWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);
    const auto mode = input.byte() % 4;
    const auto bytes = input.rest();

    if (mode == 0)
    {
        SkinManager skin (workFolder->get());
        juce::ZipFile archive (new juce::MemoryInputStream (bytes, false), true);
        skin.loadArchiveEntries (archive);

        for (const auto& name : skin.getTypefaceNames())
            useTypeface (skin.getTypeface (name));

        if (++runs % 1000 == 0)
            workFolder->empty();
    }
    else if (mode == 1)
    {
        juce::String problem;
        const auto image = SkinImageDecoder::decode (bytes.getData(), bytes.getSize(), problem);

        if (image.isValid() && (image.getWidth() > SkinImageDecoder::maxSide || image.getHeight() > SkinImageDecoder::maxSide))
            __builtin_trap();
    }
    else if (mode == 2)
    {
        juce::String problem;
        useTypeface (SkinTypefaceReader::read (bytes, problem));
    }
    else
    {
        juce::String problem;

        if (auto drawable = SkinManager::readDrawable (bytes, problem))
        {
            juce::Image image (juce::Image::ARGB, 32, 32, true);
            juce::Graphics g (image);
            drawable->drawWithin (g, image.getBounds().toFloat(), juce::RectanglePlacement::centred, 1.0f);
        }
    }

    juce::ImageCache::releaseUnusedImages();
    return 0;
}
