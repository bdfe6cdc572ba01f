#include "SkinImageBatch.h"
#include "SkinImageDecoder.h"
#include "SamePixels.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
/** A colour of its own for every number. */
juce::Colour colourNumber (int i)
{
    return juce::Colour ((juce::uint8) (40 + i * 7), (juce::uint8) (200 - i * 5), (juce::uint8) (i * 11), (juce::uint8) 255);
}

juce::MemoryBlock cut (const juce::MemoryBlock& block, size_t size)
{
    return { block.getData(), juce::jmin (size, block.getSize()) };
}

} // namespace

// Whatever the number of images and of helper threads, and whether the images decode or not, each
// result is the one the decoder gives for that image alone, in the order given.
TEST (SkinImageBatching, EachResultIsTheDecodersOwn)
{
    for (const int helpers : { 0, SkinImageBatch::maxHelpers })
    for (const int count : { 0, 1, 2, 5, 40 })
    {
        SCOPED_TRACE (juce::String (count) + " images, " + juce::String (helpers) + " helpers");
        std::vector<juce::MemoryBlock> blocks;

        for (int i = 0; i < count; ++i)
        {
            const auto png = makePng (3 + i % 7, 2 + i % 5, colourNumber (i));

            switch (i % 5)
            {
                case 3:  blocks.push_back (cut (png, png.getSize() / 2)); break;   // damaged
                case 4:  blocks.push_back (textBlock ("GIF89a and nothing more")); break;
                default: blocks.push_back (png); break;
            }
        }

        std::vector<const juce::MemoryBlock*> pointers;

        for (const auto& block : blocks)
            pointers.push_back (&block);

        SkinImageBatch batch (pointers, helpers);
        EXPECT_LE (batch.getNumHelpers(), helpers);
        batch.finish();

        for (int i = 0; i < count; ++i)
        {
            juce::String problem;
            const auto alone = SkinImageDecoder::decode (blocks[(size_t) i].getData(), blocks[(size_t) i].getSize(), problem);

            EXPECT_TRUE (samePixels (batch.getImage (i), alone)) << "image " << i;
            EXPECT_EQ (batch.getProblem (i), problem) << "image " << i;
            EXPECT_EQ (batch.getImage (i).isValid(), i % 5 < 3) << "image " << i;
        }
    }
}

// A skin of many images among drawings and fonts: every image is found under its own name with its
// own colours, and the problems are named in archive order, as the entries come.
TEST (SkinImageBatching, ASkinOfManyImagesLoadsEveryOneInArchiveOrder)
{
    ScopedTempFolder temp;
    auto entries = standardEntries();
    int numStandardImages = 0;

    for (const auto& [name, data] : entries)
        numStandardImages += SkinImageDecoder::isImage (data.getData(), data.getSize()) ? 1 : 0;

    juce::StringArray expectedProblems;

    for (int i = 0; i < 30; ++i)
    {
        const auto name = "image-" + juce::String (i) + ".png";
        const auto png = makePng (6, 4, colourNumber (i));

        if (i % 10 == 9)
        {
            entries.push_back ({ name, cut (png, 40) });
            expectedProblems.add (name);
            entries.push_back ({ "drawing-" + juce::String (i) + ".svg",
                                 textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\">x<?" "?>y</svg>") });
            expectedProblems.add ("drawing-" + juce::String (i) + ".svg");
        }
        else
        {
            entries.push_back ({ name, png });
        }

        if (i == 14)
        {
            entries.push_back ({ "font-14.stf", textBlock ("not a typeface") });
            expectedProblems.add ("font-14.stf");
        }
    }

    writeSkin (temp.getFolder(), standardSkinXml(), entries);
    const auto skin = loadSkin (temp.getFolder());
    ASSERT_TRUE (skin->getLoadResult().wasOk()) << skin->getLoadResult().getErrorMessage();

    for (int i = 0; i < 30; ++i)
    {
        const auto name = "image-" + juce::String (i) + ".png";

        if (i % 10 == 9)
        {
            EXPECT_FALSE (SkinManager::hasImage (name)) << name;
            continue;
        }

        ASSERT_TRUE (SkinManager::hasImage (name)) << name;
        EXPECT_EQ (SkinManager::getImage (name).getPixelAt (5, 3), colourNumber (i)) << name;
    }

    // A damaged image keeps its place in the list as a null image.
    EXPECT_EQ (skin->getNumImages(), numStandardImages + 30);

    juce::StringArray named;

    for (const auto& line : skin->getLoadProblems())
        named.add (line.upToFirstOccurrenceOf (":", false, false));

    EXPECT_EQ (named, expectedProblems) << skin->getLoadProblems().joinIntoString ("\n");
}
