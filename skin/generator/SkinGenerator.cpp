#include "SkinGenerator.h"

#include "ContactSheet.h"
#include "SkinArtist.h"
#include "SkinChecker.h"
#include "SkinFontMaker.h"
#include "SkinPngWriter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <set>

namespace
{
    /** One file of the archive. */
    struct ArchiveEntry
    {
        juce::String name;
        juce::MemoryBlock data;
        juce::Point<int> size { -1, -1 };
    };

    // A tiny drawing of the logo: nothing in the program needs it, but it keeps the drawable
    // loader exercised by a real file.
    const char* const logoSvg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" viewBox=\"0 0 16 16\">"
        "<rect x=\"1\" y=\"3\" width=\"14\" height=\"10\" rx=\"3\" fill=\"#2a3a4b\"/>"
        "<circle cx=\"5.5\" cy=\"8\" r=\"2\" fill=\"#f2b33d\"/>"
        "<circle cx=\"10.5\" cy=\"8\" r=\"2\" fill=\"#f2b33d\"/>"
        "</svg>\n";

    bool isPlainFileName (const juce::String& name)
    {
        return name.isNotEmpty() && ! name.containsAnyOf ("/\\:") && name != "." && name != ".."
            && juce::File::createLegalFileName (name) == name;
    }

    /** The image as the archive holds it (see SkinPngWriter), or an empty block with the reason in
        problem when it cannot be written, or when the framework's PNG reader gives back other
        pixels from it than from the framework's own (compressed) PNG of the image: the program
        must show exactly what it showed before the images were stored this way.
    */
    juce::MemoryBlock encodePng (const juce::Image& image, juce::String& problem)
    {
        auto png = SkinPngWriter::write (image);

        if (png.isEmpty())
        {
            problem = "cannot be encoded";
            return {};
        }

        juce::MemoryOutputStream framework;

        if (! juce::PNGImageFormat().writeImageToStream (image, framework))
        {
            problem = "cannot be encoded";
            return {};
        }

        const auto readBack = juce::PNGImageFormat::loadFrom (png.getData(), png.getSize());
        const auto drawn = juce::PNGImageFormat::loadFrom (framework.getData(), framework.getDataSize());

        if (readBack.getWidth() != drawn.getWidth() || readBack.getHeight() != drawn.getHeight())
        {
            problem = "does not read back at its size";
            return {};
        }

        for (int y = 0; y < drawn.getHeight(); ++y)
        {
            for (int x = 0; x < drawn.getWidth(); ++x)
            {
                if (readBack.getPixelAt (x, y) != drawn.getPixelAt (x, y))
                {
                    problem = "reads back with other pixels at " + juce::String (x) + ", " + juce::String (y);
                    return {};
                }
            }
        }

        return png;
    }

    /** Reads the written archive back and makes sure it holds exactly the entries, each readable. */
    juce::StringArray verifyArchive (const juce::File& file, const std::vector<ArchiveEntry>& entries)
    {
        juce::StringArray problems;
        juce::ZipFile zip (file);

        if (zip.getNumEntries() != (int) entries.size())
            problems.add ("the archive holds " + juce::String (zip.getNumEntries()) + " entries instead of "
                          + juce::String ((int) entries.size()));

        for (auto& entry : entries)
        {
            const auto* zipEntry = zip.getEntry (entry.name);
            std::unique_ptr<juce::InputStream> in (zipEntry != nullptr ? zip.createStreamForEntry (*zipEntry) : nullptr);

            if (in == nullptr)
            {
                problems.add ("the archive cannot give back " + entry.name);
                continue;
            }

            juce::MemoryBlock data;
            in->readIntoMemoryBlock (data);

            if (data != entry.data)
                problems.add ("the archive gives back " + entry.name + " altered");
        }

        return problems;
    }
} // namespace

SkinGenerator::SkinGenerator (Options o)
    : options (std::move (o))
{
}

juce::StringArray SkinGenerator::run()
{
    juce::String archiveName;
    auto problems = build (archiveName);

    if (! problems.isEmpty())
    {
        options.outputFolder.getChildFile (getSkinFileName()).deleteFile();

        if (isPlainFileName (archiveName))
            options.outputFolder.getChildFile (archiveName).deleteFile();
    }

    return problems;
}

juce::StringArray SkinGenerator::build (juce::String& archiveName)
{
    // The skin file.
    juce::MemoryBlock skinText;

    if (! options.skinSource.loadFileAsData (skinText))
        return { "cannot read " + options.skinSource.getFullPathName() };

    const auto text = skinText.toString();

    if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
        return { "the skin file holds a DOCTYPE or ENTITY declaration, which the program refuses" };

    juce::XmlDocument document (text);
    const auto root = document.getDocumentElement();

    if (root == nullptr)
        return { "the skin file is not well-formed XML: " + document.getLastParseError() };

    archiveName = root->getStringAttribute ("skin");

    if (! isPlainFileName (archiveName))
        return { "the root's skin attribute must name an archive file beside the skin file, not \""
                 + archiveName + "\"" };

    // Fonts: the skin's regular and bold faces, and a legible but visibly different placeholder.
    std::vector<ArchiveEntry> entries;
    ContactSheet::NamedTypefaces typefaces;
    juce::StringArray problems;

    struct FontSource
    {
        const char* entry;
        const char* file;
        const char* family;
        bool bold;
    };

    const FontSource fonts[] = {
        { "_bgp_r.stf", "DejaVuSans.ttf", "Morvane Sans", false },
        { "_bgp_b.stf", "DejaVuSans-Bold.ttf", "Morvane Sans", true },
        { "_missing_font.stf", "DejaVuSansMono.ttf", "Morvane Placeholder", false },
    };

    for (auto& font : fonts)
    {
        juce::String error;
        auto data = SkinFontMaker::makeTypeface (options.fontFolder.getChildFile (font.file), font.family, font.bold, error);
        auto typeface = SkinFontMaker::loadTypeface (data);

        if (typeface == nullptr || typeface->getName().isEmpty())
        {
            problems.add (error.isNotEmpty() ? error : juce::String ("cannot make ") + font.entry);
            continue;
        }

        typefaces.emplace_back (font.entry, typeface);
        entries.push_back ({ font.entry, std::move (data), { -1, -1 } });
    }

    if (! problems.isEmpty())
        return problems;

    // Images, drawn with the skin's own fonts.
    SkinPainter painter (typefaces[0].second, typefaces[1].second);
    SkinArtist artist (painter);
    const auto images = artist.drawAll();

    for (auto& image : images)
    {
        juce::String problem;
        auto png = encodePng (image.second, problem);

        if (png.isEmpty())
            problems.add (image.first + " " + problem);

        entries.push_back ({ image.first, std::move (png), { image.second.getWidth(), image.second.getHeight() } });
    }

    entries.push_back ({ "morvane-mark.svg", juce::MemoryBlock (logoSvg, strlen (logoSvg)), { -1, -1 } });

    if (juce::Drawable::createFromImageData (logoSvg, strlen (logoSvg)) == nullptr)
        problems.add ("morvane-mark.svg does not load as a drawing");

    // The archive is flat and its names are exact: no folders, no duplicates. Images are found by
    // the 64-bit hash of their name, so two names must not share a hash either.
    SkinChecker::EntrySizes sizes;
    std::set<juce::int64> hashes;

    for (auto& entry : entries)
    {
        if (! isPlainFileName (entry.name))
            problems.add ("archive entry " + entry.name + " is not a plain file name");

        if (! sizes.emplace (entry.name, entry.size).second)
            problems.add ("archive entry " + entry.name + " is drawn twice");
        else if (! hashes.insert (entry.name.hashCode64()).second)
            problems.add ("archive entry " + entry.name + " has the same name hash as another entry");
    }

    problems.addArray (SkinChecker (*root, archiveName, sizes).check());

    if (! problems.isEmpty())
        return problems;

    // Write the archive beside a fresh copy of the skin file; replace earlier output only whole.
    if (! options.outputFolder.createDirectory())
        return { "cannot create " + options.outputFolder.getFullPathName() };

    const auto archiveFile = options.outputFolder.getChildFile (archiveName);
    juce::TemporaryFile archiveTemp (archiveFile);
    {
        juce::ZipFile::Builder builder;
        const juce::Time stamp (2025, 0, 1, 0, 0);   // fixed, so that the archive is reproducible

        // The images are compressed already (see SkinPngWriter): the archive stores them as they are.
        for (auto& entry : entries)
            builder.addEntry (new juce::MemoryInputStream (entry.data, false), entry.name.endsWithIgnoreCase (".png") ? 0 : 6,
                              entry.name, stamp);

        juce::FileOutputStream out (archiveTemp.getFile());

        if (out.failedToOpen() || ! builder.writeToStream (out, nullptr) || (out.flush(), out.getStatus().failed()))
            return { "cannot write " + archiveTemp.getFile().getFullPathName() };
    }

    problems = verifyArchive (archiveTemp.getFile(), entries);

    if (! problems.isEmpty())
        return problems;

    const auto skinFile = options.outputFolder.getChildFile (getSkinFileName());

    if (! archiveTemp.overwriteTargetFileWithTemporary() || ! skinFile.replaceWithData (skinText.getData(), skinText.getSize()))
        return { "cannot write the skin into " + options.outputFolder.getFullPathName() };

    if (options.contactSheet != juce::File())
    {
        options.contactSheet.deleteFile();
        juce::FileOutputStream out (options.contactSheet);

        if (out.failedToOpen() || ! juce::PNGImageFormat().writeImageToStream (ContactSheet (*root, painter, images, typefaces).draw(), out))
            return { "cannot write the contact sheet " + options.contactSheet.getFullPathName() };
    }

    return {};
}
