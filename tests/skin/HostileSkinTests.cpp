#include "SkinManager.h"
#include "SkinTestSupport.h"
#include "SkinValueLimits.h"
#include "SkinXmlReader.h"
#include "TPXLabelComponent.h"

#include <gtest/gtest.h>

#include <limits>

#include <zlib.h>

using namespace morvane::test;

namespace
{
const juce::String skinHead ("<SKIN skin=\"fixture.zip\" skinEngineVersion=\"2.0\">");

juce::MemoryBlock withByteFlipped (juce::MemoryBlock data, size_t index)
{
    data[index] = (char) (data[index] ^ 0x5A);
    return data;
}

juce::MemoryBlock truncated (const juce::MemoryBlock& data, size_t size)
{
    return { data.getData(), juce::jmin (size, data.getSize()) };
}

/** The PNG with the size in its header changed and the header's checksum made right again. */
juce::MemoryBlock withSize (juce::MemoryBlock png, juce::uint32 width, juce::uint32 height)
{
    auto* bytes = static_cast<unsigned char*> (png.getData());

    for (int i = 0; i < 4; ++i)
    {
        bytes[16 + i] = (unsigned char) (width >> (24 - 8 * i));
        bytes[20 + i] = (unsigned char) (height >> (24 - 8 * i));
    }

    const auto crc = (juce::uint32) crc32 (0, bytes + 12, 17);

    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = (unsigned char) (crc >> (24 - 8 * i));

    return png;
}

juce::MemoryBlock makeJpeg()
{
    juce::Image image (juce::Image::RGB, 32, 32, true);
    image.clear (image.getBounds(), juce::Colours::orange);
    juce::MemoryOutputStream out;
    juce::JPEGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

/** A glyph of a hand-written serialised typeface: its character, width and outline numbers. */
struct Glyph
{
    juce::juce_wchar character;
    float width;
    std::vector<float> square; // x0 y0 x1 y1 of a box outline
};

struct Pair
{
    juce::juce_wchar first, second;
    float amount;
};

/** An ".stf" entry in the framework's serialised typeface format, gzip-compressed. */
juce::MemoryBlock makeStfOf (const std::vector<Glyph>& glyphs, const std::vector<Pair>& pairs)
{
    juce::MemoryOutputStream raw;
    raw.writeString ("Hostile");
    raw.writeBool (false);
    raw.writeBool (false);
    raw.writeFloat (0.8f);
    raw.writeShort (' ');
    raw.writeInt ((int) glyphs.size());

    for (const auto& g : glyphs)
    {
        raw.writeShort ((short) g.character);
        raw.writeFloat (g.width);
        raw.writeByte ('m');
        raw.writeFloat (g.square[0]);
        raw.writeFloat (g.square[1]);
        raw.writeByte ('l');
        raw.writeFloat (g.square[2]);
        raw.writeFloat (g.square[3]);
        raw.writeByte ('c');
        raw.writeByte ('e');
    }

    raw.writeInt ((int) pairs.size());

    for (const auto& p : pairs)
    {
        raw.writeShort ((short) p.first);
        raw.writeShort ((short) p.second);
        raw.writeFloat (p.amount);
    }

    juce::MemoryOutputStream compressed;
    {
        juce::GZIPCompressorOutputStream gzip (compressed);
        gzip.write (raw.getData(), raw.getDataSize());
    }
    return compressed.getMemoryBlock();
}

std::vector<Glyph> glyphsFrom (juce::juce_wchar first, int count)
{
    std::vector<Glyph> glyphs;

    for (int i = 0; i < count; ++i)
        glyphs.push_back ({ first + (juce::juce_wchar) i, 0.6f, { 0.1f, 0.1f, 0.5f, 0.7f } });

    return glyphs;
}

bool mentions (const juce::StringArray& problems, const juce::String& entryName)
{
    for (const auto& line : problems)
        if (line.startsWith (entryName + ":"))
            return true;

    return false;
}

class HostileSkin : public ::testing::Test
{
protected:
    std::unique_ptr<SkinManager> loadWith (const juce::String& xml, const ArchiveEntries& entries)
    {
        writeSkin (temp.getFolder(), xml, entries);
        return loadSkin (temp.getFolder());
    }

    std::unique_ptr<SkinManager> loadEntries (const ArchiveEntries& extra)
    {
        auto entries = standardEntries();
        entries.insert (entries.end(), extra.begin(), extra.end());
        return loadWith (standardSkinXml(), entries);
    }

    ScopedTempFolder temp;
};
} // namespace

TEST_F (HostileSkin, DamagedImagesAreSkippedAndNamedWhileTheSkinLoads)
{
    const auto png = makePng (4, 4, juce::Colours::red);
    const auto jpeg = makeJpeg();

    // 45 bytes of PNG whose header checksum is wrong; a PNG whose image data is damaged; a cut
    // JPEG; a GIF that is only its signature and noise.
    const ArchiveEntries damaged {
        { "bad-header.png", truncated (withByteFlipped (png, 30), 45) },
        { "bad-data.png", withByteFlipped (png, png.getSize() - 20) },
        { "cut.jpg", truncated (jpeg, jpeg.getSize() / 3) },
        { "noise.gif", textBlock ("GIF89a\x01\x00\x01\x00\xF7\x00\x00 noise") },
        { "cut-header.png", truncated (png, 33) },
        { "huge.png", withSize (png, 100000, 100000) },
    };

    auto skin = loadEntries (damaged);
    ASSERT_TRUE (skin->getLoadResult().wasOk()) << skin->getLoadResult().getErrorMessage();
    EXPECT_TRUE (SkinManager::hasImage ("up.png"));

    for (const auto& [name, data] : damaged)
    {
        EXPECT_FALSE (SkinManager::hasImage (name)) << name;
        EXPECT_EQ (SkinManager::getImage (name).getPixelAt (1, 1), fixtureColours::missing) << name;
    }

    for (const auto* name : { "bad-header.png", "bad-data.png", "cut.jpg", "noise.gif", "cut-header.png", "huge.png" })
        EXPECT_TRUE (mentions (skin->getLoadProblems(), name)) << name << "\n"
                                                               << skin->getLoadProblems().joinIntoString ("\n");

    // A whole JPEG still decodes.
    auto good = loadEntries ({ { "photo.jpg", jpeg } });
    EXPECT_TRUE (SkinManager::hasImage ("photo.jpg"));
    EXPECT_TRUE (good->getLoadProblems().isEmpty()) << good->getLoadProblems().joinIntoString ("\n");
}

TEST_F (HostileSkin, ProcessingInstructionsAfterTheDeclarationAreRefused)
{
    const juce::String refused[] = {
        skinHead + "x<?" "?>y</SKIN>",
        skinHead + "<TestSkin><?pi data?></TestSkin></SKIN>",
        "<?xml version=\"1.0\"?>" + skinHead + "<TestSkin/><?" "?></SKIN>",
        "<?xml version=\"1.0\"?><?xml-stylesheet href=\"x\"?>" + skinHead + "<TestSkin/></SKIN>",
        // Found by fuzzing the feeds, whose parser is the same: a cut or impossible reference.
        skinHead + "<TestSkin/>x&#X",
        skinHead + "<TestSkin a=\"&#xD800;\"/></SKIN>",
        skinHead + "<TestSkin a=\"& b\"/></SKIN>",
    };

    for (const auto& xml : refused)
    {
        auto skin = loadWith (xml, standardEntries());
        EXPECT_EQ (skin->getLoadResult().getErrorMessage(), "Not a valid Skin file") << xml;
        EXPECT_EQ (skin->getSkinRoot(), nullptr) << xml;
    }

    auto declared = loadWith (juce::String::fromUTF8 ("\xEF\xBB\xBF") + "  <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + skinHead + "<TestSkin/></SKIN>",
                              standardEntries());
    EXPECT_TRUE (declared->getLoadResult().wasOk()) << declared->getLoadResult().getErrorMessage();

    auto referenced = loadWith (skinHead + "<TestSkin a=\"&amp;&quot;&#65;&#x41;\"/></SKIN>", standardEntries());
    ASSERT_TRUE (referenced->getLoadResult().wasOk()) << referenced->getLoadResult().getErrorMessage();
    EXPECT_EQ (referenced->getSection ("TestSkin")->getStringAttribute ("a"), "&\"AA");

    // Drawings go through the same parser.
    auto drawing = loadEntries ({ { "pi.svg", textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\">x<?" "?>y</svg>") } });
    EXPECT_EQ (drawing->getDrawable ("pi.svg"), nullptr);
    EXPECT_TRUE (mentions (drawing->getLoadProblems(), "pi.svg"));
}

TEST_F (HostileSkin, FontsBeyondTheCapsOrWithBadNumbersOrKerningAreRefused)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto some = glyphsFrom ('a', 3);
    auto withNanOutline = some;
    withNanOutline[1].square[2] = nan;
    auto withHugeOutline = some;
    withHugeOutline[0].square[1] = 1.0e30f;
    auto withNanWidth = some;
    withNanWidth[2].width = nan;
    auto withTwin = some;
    withTwin.push_back (some[0]);

    struct Case
    {
        const char* name;
        juce::MemoryBlock data;
        bool accepted;
    };

    const Case cases[] = {
        { "fine.stf", makeStfOf (some, { { 'a', 'b', -0.05f } }), true },
        { "many-glyphs.stf", makeStfOf (glyphsFrom (0x100, 2049), {}), false },
        { "many-pairs.stf", makeStfOf (some, std::vector<Pair> (32769, { 'a', 'b', -0.01f })), false },
        { "missing-first.stf", makeStfOf (some, { { 'z', 'a', -0.05f } }), false },
        { "missing-second.stf", makeStfOf (some, { { 'a', 0x4E00, -0.05f } }), false },
        { "nan-outline.stf", makeStfOf (withNanOutline, {}), false },
        { "huge-outline.stf", makeStfOf (withHugeOutline, {}), false },
        { "nan-width.stf", makeStfOf (withNanWidth, {}), false },
        { "nan-kerning.stf", makeStfOf (some, { { 'a', 'b', nan } }), false },
        { "twin-glyphs.stf", makeStfOf (withTwin, {}), false },
    };

    ArchiveEntries entries;

    for (const auto& c : cases)
        entries.push_back ({ c.name, c.data });

    auto skin = loadEntries (entries);
    ASSERT_TRUE (skin->getLoadResult().wasOk());

    for (const auto& c : cases)
    {
        EXPECT_EQ (skin->hasTypeface (c.name), c.accepted) << c.name;
        EXPECT_EQ (mentions (skin->getLoadProblems(), c.name), ! c.accepted) << c.name;

        // A refused font gives the placeholder.
        if (! c.accepted)
        {
            EXPECT_EQ (skin->getTypeface (c.name), skin->getTypeface (SkinManager::missingFontName)) << c.name;
        }
    }
}

TEST_F (HostileSkin, NumbersThatAreNotFiniteOrHugeAreDroppedOrClampedAtLoad)
{
    const auto xml = skinHead + R"(<TestSkin>
        <Widget name="label" font="regular.stf" fontSize="nan" alpha="inf" minHorzScale="1e999" labelFontSize="-1e300"
                positionX="-2147483648" positionY="99999999999999999999" width="4294967297" height="-5"
                bounds="0 0 2147483647 99999999999" minVal="-99999999999" maxVal="12" text="nan"/>
        </TestSkin></SKIN>)";

    auto skin = loadWith (xml, standardEntries());
    ASSERT_TRUE (skin->getLoadResult().wasOk()) << skin->getLoadResult().getErrorMessage();
    const auto* widget = findWidget (*skin, "TestSkin", "label");
    ASSERT_NE (widget, nullptr);

    EXPECT_FALSE (widget->hasAttribute ("fontSize"));
    EXPECT_FALSE (widget->hasAttribute ("alpha"));
    EXPECT_FALSE (widget->hasAttribute ("minHorzScale"));
    EXPECT_EQ (widget->getDoubleAttribute ("labelFontSize"), -SkinValueLimits::maxDecimal);
    EXPECT_EQ (widget->getIntAttribute ("positionX"), -SkinValueLimits::maxCoordinate);
    EXPECT_EQ (widget->getIntAttribute ("positionY"), SkinValueLimits::maxCoordinate);
    EXPECT_EQ (widget->getIntAttribute ("width"), SkinValueLimits::maxCoordinate);
    EXPECT_EQ (widget->getIntAttribute ("height"), 0);
    EXPECT_EQ (widget->getStringAttribute ("bounds"), "0 0 10000 10000");
    EXPECT_EQ (widget->getIntAttribute ("minVal"), -SkinValueLimits::maxValue);
    EXPECT_EQ (widget->getStringAttribute ("maxVal"), "12");
    EXPECT_EQ (widget->getStringAttribute ("text"), "nan");
    EXPECT_FALSE (skin->getLoadProblems().isEmpty());

    auto label = skin->createLabel (widget, "label");
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (0, 0, 10000, 10000));
    EXPECT_TRUE (std::isfinite (label->getFont().getHeight()));

    // The parsers themselves saturate instead of overflowing.
    EXPECT_EQ (SkinManager::parseRectangle ("-2147483648 2147483648 99999999999 -99999999999"),
               juce::Rectangle<int> (-10000, 10000, 10000, -10000));
    EXPECT_EQ (SkinValueLimits::readInteger ("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ (SkinValueLimits::readInteger (" 99999999999x"), std::numeric_limits<int>::max());
    EXPECT_EQ (SkinValueLimits::readInteger ("12abc"), 12);
    EXPECT_EQ (SkinValueLimits::readInteger ("abc"), 0);
    EXPECT_EQ (SkinManager::parseJustification ("-2147483648").getFlags(), std::numeric_limits<int>::min());

    // Found by fuzzing: the framework's decimal parsing overflows on an exponent this long.
    EXPECT_EQ (SkinValueLimits::readDecimal ("7e888888888888"), std::numeric_limits<double>::infinity());
    EXPECT_EQ (SkinValueLimits::readDecimal ("-7e888888888888"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ (SkinValueLimits::readDecimal ("7e-888888888888"), 0.0);
    EXPECT_EQ (SkinValueLimits::readDecimal (" 2.5e0002x"), 250.0);
    EXPECT_EQ (SkinValueLimits::readDecimal ("12.5"), 12.5);

    auto longExponent = loadWith (skinHead + "<TestSkin><Widget name=\"w\" minHorzScale=\"7e888888888888\"/></TestSkin></SKIN>",
                                  standardEntries());
    ASSERT_TRUE (longExponent->getLoadResult().wasOk());
    EXPECT_FALSE (findWidget (*longExponent, "TestSkin", "w")->hasAttribute ("minHorzScale"));
}

TEST_F (HostileSkin, TextThatIsNotValidUtf8IsRefusedBeforeParsing)
{
    // Found by fuzzing: the framework's UTF-8 decoding reads past the end of a text that ends in
    // the middle of a character (here a run of 0xFF bytes inside an attribute).
    juce::MemoryBlock skinBytes;
    skinBytes.append (skinHead.toRawUTF8(), skinHead.getNumBytesAsUTF8());
    skinBytes.append ("<TestSkin a=\"", 13);
    skinBytes.append ("\xFF\xFF\xFF\xF0", 4);

    writeSkin (temp.getFolder(), {}, standardEntries());
    temp.getFolder().getChildFile (SkinManager::skinFileName).replaceWithData (skinBytes.getData(), skinBytes.getSize());
    auto skin = loadSkin (temp.getFolder());
    EXPECT_EQ (skin->getLoadResult().getErrorMessage(), "Not a valid Skin file");
    EXPECT_EQ (skin->getSkinRoot(), nullptr);

    auto drawing = loadEntries ({ { "bad.svg", textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\"><text>\xC3") } });
    EXPECT_EQ (drawing->getDrawable ("bad.svg"), nullptr);
    EXPECT_TRUE (mentions (drawing->getLoadProblems(), "bad.svg"));

    // Valid text in either encoding still reads.
    juce::String text;
    EXPECT_TRUE (SkinXmlReader::decodeText ("\xEF\xBB\xBF<a>\xC3\xA4</a>", 12, text));
    EXPECT_EQ (text, juce::String::fromUTF8 ("<a>\xC3\xA4</a>"));
    EXPECT_TRUE (SkinXmlReader::decodeText ("\xFF\xFE<\0a\0>\0", 8, text));
    EXPECT_EQ (text, "<a>");
    EXPECT_FALSE (SkinXmlReader::decodeText ("<a>\xE2\x82", 5, text));

    // Found by fuzzing too: an overlong zero (C0 80), which the framework's own check lets through
    // and its string building then writes past the end of its buffer with.
    EXPECT_FALSE (SkinXmlReader::decodeText ("a\xC0\x80" "b", 4, text));
    EXPECT_FALSE (SkinXmlReader::decodeText ("\xE0\x80\xAF", 3, text));
    EXPECT_FALSE (SkinXmlReader::decodeText ("\xED\xA0\x80", 3, text));
    EXPECT_FALSE (SkinXmlReader::decodeText ("\xF4\x90\x80\x80", 4, text));
    EXPECT_TRUE (SkinXmlReader::decodeText ("\xF0\x9F\x8E\xB8", 4, text));
}

TEST_F (HostileSkin, GifImagesAreRecognisedButNotDecoded)
{
    // Found by fuzzing: the framework's GIF decoder indexes before its own buffer on every image.
    // A 4 x 4 GIF: header, screen with a two-colour table, one image of LZW data, trailer.
    const unsigned char gifBytes[] = {
        'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
        ',', 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 2, 0x44, 1, 0, ';'
    };
    const juce::MemoryBlock gif (gifBytes, sizeof (gifBytes));

    auto skin = loadEntries ({ { "named.svg", gif } });
    EXPECT_TRUE (skin->getLoadResult().wasOk());
    EXPECT_FALSE (SkinManager::hasImage ("named.svg"));
    EXPECT_FALSE (skin->getDrawableNames().contains ("named.svg")); // an image by its content
    EXPECT_TRUE (mentions (skin->getLoadProblems(), "named.svg"));
}

TEST_F (HostileSkin, DrawingsThatAreNoPlainIconAreRefused)
{
    const juce::String head ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">");

    struct Case
    {
        const char* name;
        juce::String body;
        bool accepted;
    };

    // Found by fuzzing: a path coordinate near 1e15 overflows the framework's integer bounds.
    const Case cases[] = {
        { "icon.svg", "<rect x=\"1\" y=\"3\" width=\"14\" height=\"10\" rx=\"3\" fill=\"#2a3a4b\"/>"
                      "<circle cx=\"5.5\" cy=\"8\" r=\"2\" style=\"fill:#f2b33d\"/>", true },
        { "huge-path.svg", "<path d=\"M0 0 L4 4 Q2 3 1 888888888888000000000001471099206045293317Z\"/>", false },
        { "exponent.svg", "<rect width=\"1e12\" height=\"4\"/>", false },
        { "infinite.svg", "<circle cx=\"1e999\" cy=\"1\" r=\"1\"/>", false },
        { "scaled.svg", "<g transform=\"scale(1000)\"><g transform=\"scale(1000)\"><rect width=\"9\" height=\"9\"/></g></g>", false },
        { "embedded.svg", "<image width=\"4\" height=\"4\" href=\"data:image/png;base64,iVBORw0KGgo=\"/>", false },
        { "path.svg", "<path d=\"M1 1 L4 4 H2 V3 Q2 3 1 1 c.5-.5 1e1 2 3 4Z\"/><polygon points=\"1,1 4,4 2,6\"/>", true },
        // Found by fuzzing too: the framework's path parser reads past the end of this one.
        { "malformed-path.svg", "<path d=\"M0 0 L1VVVVVVVV 4%!Q6 2 3 1 Z\"/>", false },
        { "unknown-command.svg", "<path d=\"J0 0\"/>", false },
    };

    ArchiveEntries entries;

    for (const auto& c : cases)
        entries.push_back ({ c.name, textBlock (head + c.body + "</svg>") });

    entries.push_back ({ "tiny-view.svg", textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9000\" "
                                                     "height=\"9000\" viewBox=\"0 0 0.001 0.001\"><rect width=\"1\" height=\"1\"/></svg>") });

    auto skin = loadEntries (entries);
    ASSERT_TRUE (skin->getLoadResult().wasOk());

    for (const auto& c : cases)
    {
        EXPECT_EQ (skin->getDrawable (c.name) != nullptr, c.accepted) << c.name;
        EXPECT_EQ (mentions (skin->getLoadProblems(), c.name), ! c.accepted) << c.name;
    }

    EXPECT_EQ (skin->getDrawable ("tiny-view.svg"), nullptr);
    EXPECT_NE (skin->getDrawable ("dot.svg"), nullptr);
}

TEST_F (HostileSkin, SkinsAndDrawingsNestedBeyondTheBoundAreRefused)
{
    const auto limit = SkinXmlReader::maxNestingDepth;
    const auto sections = [] (int levels)
    {
        return skinHead + juce::String::repeatedString ("<TestSkin>", levels) + juce::String::repeatedString ("</TestSkin>", levels)
               + "</SKIN>";
    };

    auto deep = loadWith (sections (5000), standardEntries());
    EXPECT_EQ (deep->getLoadResult().getErrorMessage(), "Not a valid Skin file");
    EXPECT_EQ (deep->getSkinRoot(), nullptr);

    auto justInside = loadWith (sections (limit - 1), standardEntries());
    EXPECT_TRUE (justInside->getLoadResult().wasOk()) << justInside->getLoadResult().getErrorMessage();
    EXPECT_EQ (loadWith (sections (limit), standardEntries())->getLoadResult().getErrorMessage(), "Not a valid Skin file");

    // A drawing goes through the same check before it is parsed.
    const auto groups = textBlock ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                                   + juce::String::repeatedString ("<g>", 5000) + juce::String::repeatedString ("</g>", 5000)
                                   + "</svg>");
    auto drawings = loadEntries ({ { "deep.svg", groups } });
    ASSERT_TRUE (drawings->getLoadResult().wasOk());
    EXPECT_EQ (drawings->getDrawable ("deep.svg"), nullptr);
    EXPECT_TRUE (mentions (drawings->getLoadProblems(), "deep.svg"));
}
