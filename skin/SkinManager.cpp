#include "SkinManager.h"

#include <cmath>

#include "SkinDrawingReader.h"
#include "SkinImageBatch.h"
#include "SkinImageDecoder.h"
#include "SkinTypefaceReader.h"
#include "SkinValueLimits.h"
#include "SkinXmlReader.h"
#include "SysExMessage.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXPaintedButton.h"

namespace
{
const juce::String notASkinMessage ("Not a valid Skin file");

/** Skin documents, archive entries and decompressed fonts larger than this are refused. */
constexpr juce::int64 maximumSkinFileBytes = 16 * 1024 * 1024;
constexpr int maximumEntryBytes = 64 * 1024 * 1024;
constexpr juce::int64 maximumArchiveBytes = 256 * 1024 * 1024;

/** A version number as text, with at least one decimal: 1.0, 2.0001. */
juce::String versionText (double version)
{
    const juce::String text (version);
    return text.containsOnly ("-0123456789") ? text + ".0" : text;
}

bool isSafeRelativeEntryName (const juce::String& name)
{
    if (name.isEmpty() || juce::File::isAbsolutePath (name) || name.startsWithChar ('/')
        || name.startsWithChar ('\\') || (name.length() > 1 && name[1] == ':'))
        return false;

    juce::StringArray parts;
    parts.addTokens (name, "/\\", {});
    return ! parts.contains ("..");
}

juce::Colour colourAttribute (const juce::XmlElement& widget, const char* name, juce::Colour fallback)
{
    const auto text = widget.getStringAttribute (name);
    return text.isNotEmpty() ? juce::Colour (SkinManager::parseColour (text)) : fallback;
}

bool hasValue (const juce::XmlElement& widget, const char* name)
{
    return widget.getStringAttribute (name).isNotEmpty();
}

/** An integer attribute clamped into a position's range (x, y) or a size's range (width, height). */
int integerAttribute (const juce::XmlElement& widget, const char* name)
{
    const auto isSize = juce::String (name) == "width" || juce::String (name) == "height";
    return juce::jlimit (isSize ? 0 : -SkinValueLimits::maxCoordinate, SkinValueLimits::maxCoordinate,
                         SkinValueLimits::readInteger (widget.getStringAttribute (name)));
}

/** A decimal attribute; one that is not finite counts as missing, a huge one is clamped. */
float decimalAttribute (const juce::XmlElement& widget, const char* name, double fallback)
{
    const auto value = widget.hasAttribute (name) ? SkinValueLimits::readDecimal (widget.getStringAttribute (name)) : fallback;

    if (! std::isfinite (value))
        return (float) fallback;

    return (float) juce::jlimit (-SkinValueLimits::maxDecimal, SkinValueLimits::maxDecimal, value);
}
} // namespace

//==============================================================================
SkinManager::SkinManager()
    : SkinManager (getDefaultSkinFolder())
{
}

SkinManager::SkinManager (const juce::File& folder)
    : juce::FileBasedDocument (".xml", "*.xml", "Load Skin", "Save Skin"),
      skinFolder (folder)
{
}

SkinManager::~SkinManager()
{
    skinRoot.reset();
    typefaces.clear();

    for (int i = drawables.size(); --i >= 0;)
        drawables.remove (i);

    for (int i = images.size(); --i >= 0;)
        images.remove (i);

    drawableNames.clear();
    typefaceNames.clear();

    // Our images now have no other owner than the cache: drop them, so that a skin loaded later
    // is not answered with these.
    juce::ImageCache::releaseUnusedImages();
}

juce::File SkinManager::getDefaultSkinFolder()
{
    return juce::File (getApplicationDirectory()).getChildFile (skinFolderName);
}

juce::File SkinManager::getSkinFile() const
{
    return skinFolder.getChildFile (skinFileName);
}

void SkinManager::setSystemFontGate (std::function<void()> waitForSystemFonts)
{
    systemFontGate = std::move (waitForSystemFonts);
}

bool SkinManager::load (bool showMessageOnFailure)
{
    return load (getSkinFile().getFullPathName(), engineVersion, showMessageOnFailure);
}

bool SkinManager::load (const juce::String& path, double programEngineVersion, bool showMessageOnFailure)
{
    programVersion = programEngineVersion;
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (path);
    // No wait cursor: the skin loads before any window exists, where it would show nowhere.
    lastResult = loadFrom (file, showMessageOnFailure, false);
    skinLoaded = true;
    return lastResult.wasOk();
}

const juce::XmlElement* SkinManager::getSection (juce::StringRef tag) const
{
    if (! skinLoaded || skinRoot == nullptr)
        return nullptr;

    return findSection (*skinRoot, tag);
}

const juce::XmlElement* SkinManager::findSection (const juce::XmlElement& root, juce::StringRef tag)
{
    // juce::XmlElement::getChildByName ignores case; a section is found by its exact tag only.
    for (auto* child : root.getChildIterator())
        if (child->getTagName() == tag)
            return child;

    return nullptr;
}

//==============================================================================
juce::String SkinManager::getDocumentTitle()
{
    const auto file = getFile();

    if (file.getFullPathName().isNotEmpty() && file.exists())
        return file.getFileNameWithoutExtension();

    return "Unnamed";
}

juce::Result SkinManager::loadDocument (const juce::File& file)
{
    skinRoot.reset();
    loadProblems.clear();

    if (file.getSize() > maximumSkinFileBytes)
        return juce::Result::fail (notASkinMessage);

    // Refused before parsing: entity and DOCTYPE declarations, processing instructions after the
    // declaration (see SkinXmlReader).
    juce::MemoryBlock bytes;
    juce::String text;

    if (! file.loadFileAsData (bytes) || ! SkinXmlReader::decodeText (bytes.getData(), bytes.getSize(), text))
        return juce::Result::fail (notASkinMessage);

    skinRoot = SkinXmlReader::parse (text);

    if (skinRoot == nullptr || ! skinRoot->getTagName().equalsIgnoreCase ("SKIN"))
    {
        skinRoot.reset();
        return juce::Result::fail (notASkinMessage);
    }

    archiveName = skinRoot->getStringAttribute ("skin");
    skinVersion = skinRoot->hasAttribute ("skinEngineVersion")
                      ? SkinValueLimits::readDecimal (skinRoot->getStringAttribute ("skinEngineVersion")) : 0.0;

    if (! (skinVersion == programVersion))
    {
        skinRoot.reset();
        return juce::Result::fail ("Wrong Skin Engine Version; " + versionText (skinVersion) + " != "
                                   + versionText (programVersion));
    }

    if (archiveName.isEmpty())
    {
        skinRoot.reset();
        return juce::Result::fail (notASkinMessage);
    }

    if (const auto changed = SkinValueLimits::makeSafe (*skinRoot); changed > 0)
        addProblem (juce::String (changed) + " numbers were out of range or not finite and were clamped or dropped");

    // The archive is read once, into memory: a ZipFile on the file would open the file again for
    // every entry it reads.
    const auto archiveFile = file.getParentDirectory().getChildFile (archiveName);
    juce::MemoryBlock archiveBytes;

    if (archiveFile.getSize() <= maximumArchiveBytes)
        archiveFile.loadFileAsData (archiveBytes);

    juce::ZipFile archive (new juce::MemoryInputStream (archiveBytes, false), true);
    const auto result = loadArchiveEntries (archive);

    // A failed load serves no skin: builders find no root and no sections.
    if (result.failed())
        skinRoot.reset();

    return result;
}

juce::Result SkinManager::loadArchiveEntries (juce::ZipFile& archive)
{
    if (archive.getNumEntries() == 0)
        return juce::Result::fail (notASkinMessage);

    // Entries are read in archive order and used in that order, but a run of them is read first
    // so that its images can be decoded side by side (at most this many bytes of entries at once).
    constexpr size_t maximumRunBytes = 32 * 1024 * 1024;
    std::vector<ReadEntry> run;
    size_t runBytes = 0;

    for (int i = 0; i < archive.getNumEntries(); ++i)
    {
        const auto* entry = archive.getEntry (i);

        if (entry == nullptr)
            continue;

        run.push_back ({ entry->filename, {}, {} });
        auto& read = run.back();

        if (entry->uncompressedSize > maximumEntryBytes)
        {
            read.problem = read.name + ": the entry is too large and was skipped";
            continue;
        }

        std::unique_ptr<juce::InputStream> stream (archive.createStreamForEntry (i));

        if (stream == nullptr)
        {
            read.problem = read.name + ": the entry cannot be read and was skipped";
            continue;
        }

        stream->readIntoMemoryBlock (read.data, maximumEntryBytes + 1);
        stream.reset();

        if ((juce::int64) read.data.getSize() > maximumEntryBytes)
        {
            read.data.reset();
            read.problem = read.name + ": the entry is too large and was skipped";
            continue;
        }

        runBytes += read.data.getSize();

        if (runBytes >= maximumRunBytes)
        {
            addEntries (run);
            run.clear();
            runBytes = 0;
        }
    }

    addEntries (run);
    return juce::Result::ok();
}

void SkinManager::addEntries (const std::vector<ReadEntry>& entries)
{
    enum class Kind { skipped, image, drawable, typeface, fontAid, other };

    std::vector<Kind> kinds;
    std::vector<const juce::MemoryBlock*> imageData;
    std::vector<int> imageIndex;

    for (const auto& read : entries)
    {
        auto kind = Kind::other;

        if (read.problem.isNotEmpty())                                                  kind = Kind::skipped;
        else if (SkinImageDecoder::isImage (read.data.getData(), read.data.getSize()))  kind = Kind::image;
        else if (read.name.endsWithIgnoreCase (".svg"))                                 kind = Kind::drawable;
        else if (read.name.endsWithIgnoreCase (".stf"))                                 kind = Kind::typeface;
        else if (read.name.endsWithIgnoreCase (".ttf"))                                 kind = Kind::fontAid;

        kinds.push_back (kind);
        imageIndex.push_back (kind == Kind::image ? (int) imageData.size() : -1);

        if (kind == Kind::image)
            imageData.push_back (&read.data);
    }

    // The images are decoded here, after the typefaces, without helper threads: at start-up the
    // font list is read on a thread of its own for longer than the skin takes here, and on a
    // machine with two cores helpers would only take its core from it. (The skin's own images
    // are stored to need little decoding: see skin/generator.)
    SkinImageBatch decoded (std::move (imageData), 0);
    std::vector<juce::Typeface::Ptr> typefacesRead (entries.size());
    std::vector<juce::String> typefaceProblems (entries.size());

    for (size_t i = 0; i < entries.size(); ++i)
        if (kinds[i] == Kind::typeface)
            typefacesRead[i] = SkinTypefaceReader::read (entries[i].data, typefaceProblems[i]);

    decoded.finish();

    for (size_t i = 0; i < entries.size(); ++i)
    {
        const auto& read = entries[i];

        switch (kinds[i])
        {
            case Kind::skipped:   addProblem (read.problem); break;
            case Kind::image:     addImage (read.name, decoded.getImage (imageIndex[i]), decoded.getProblem (imageIndex[i])); break;
            case Kind::drawable:  addDrawable (read.name, read.data); break;
            case Kind::typeface:  addTypeface (read.name, typefacesRead[i], typefaceProblems[i]); break;
            case Kind::fontAid:   writeTypefaceForFontEntry (read.name, systemFontGate); break;
            case Kind::other:     break;
        }
    }
}

void SkinManager::addProblem (const juce::String& text)
{
    loadProblems.add (text);
    juce::Logger::writeToLog ("Skin: " + text);
}

void SkinManager::addImage (const juce::String& entryName, const juce::Image& image, const juce::String& problem)
{
    images.add (new juce::Image (image));

    if (image.isValid())
        juce::ImageCache::addImageToCache (image, entryName.hashCode64());
    else
        addProblem (entryName + ": " + problem + "; the missing-image placeholder stands in for it");
}

std::unique_ptr<juce::Drawable> SkinManager::readDrawable (const juce::MemoryBlock& data, juce::String& problem)
{
    return SkinDrawingReader::read (data, problem);
}

void SkinManager::addDrawable (const juce::String& entryName, const juce::MemoryBlock& data)
{
    drawableNames.add (entryName);

    juce::String problem;
    auto drawable = readDrawable (data, problem);

    if (drawable == nullptr)
        addProblem (entryName + ": " + problem + " and was skipped");

    drawables.add (drawable.release());
}

void SkinManager::addTypeface (const juce::String& entryName, juce::Typeface::Ptr typeface, const juce::String& problem)
{
    typefaceNames.add (entryName);

    if (typeface == nullptr)
        addProblem (entryName + ": " + problem + "; the placeholder font stands in for it");

    typefaces.add (typeface);
}

//==============================================================================
juce::Result SkinManager::saveDocument (const juce::File&)
{
    return juce::Result::fail ("Couldn't create Skin file.");
}

juce::File SkinManager::getLastDocumentOpened()
{
    return {};
}

void SkinManager::setLastDocumentOpened (const juce::File&)
{
}

//==============================================================================
juce::Image SkinManager::getImage (juce::int64 nameHash)
{
    const auto image = juce::ImageCache::getFromHashCode (nameHash);

    if (image.isValid())
        return image;

    return juce::ImageCache::getFromHashCode (juce::String (missingImageName).hashCode64());
}

juce::Image SkinManager::getImage (const juce::String& entryName)
{
    return getImage (entryName.hashCode64());
}

bool SkinManager::hasImage (const juce::String& entryName)
{
    return juce::ImageCache::getFromHashCode (entryName.hashCode64()).isValid();
}

juce::Typeface::Ptr SkinManager::getTypeface (const juce::String& name) const
{
    auto index = typefaceNames.indexOf (name);

    if (index < 0 || typefaces[index] == nullptr)
        index = typefaceNames.indexOf (missingFontName);

    return index >= 0 ? typefaces[index] : nullptr;
}

juce::Font SkinManager::getFont (const juce::String& typefaceName, float height) const
{
    const auto typeface = getTypeface (typefaceName);
    auto font = typeface != nullptr ? juce::Font (typeface) : juce::Font();
    return font.withHeight (juce::jlimit (0.1f, 10000.0f, std::isfinite (height) ? height : 0.0f));
}

bool SkinManager::hasTypeface (const juce::String& name) const
{
    const auto index = typefaceNames.indexOf (name);
    return index >= 0 && typefaces[index] != nullptr;
}

const juce::Drawable* SkinManager::getDrawable (const juce::String& entryName) const
{
    const auto index = drawableNames.indexOf (entryName);
    return index >= 0 ? drawables[index] : nullptr;
}

//==============================================================================
juce::uint32 SkinManager::parseColour (const juce::String& text)
{
    if (text == "tpxYellow")     return 0xFFFFBC00;
    if (text == "tpxYellowDim")  return 0xFFA47C16;
    if (text == "black")         return 0xFF000000;
    if (text == "white")         return 0xFFFFFFFF;

    juce::uint32 argb = 0;

    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto digit = juce::CharacterFunctions::getHexDigitValue (*p);

        if (digit >= 0)
            argb = (argb << 4) | (juce::uint32) digit;
    }

    return argb;
}

juce::Justification SkinManager::parseJustification (const juce::String& text)
{
    static const std::pair<const char*, int> names[] = {
        { "left", juce::Justification::left },
        { "right", juce::Justification::right },
        { "horizontallyCentred", juce::Justification::horizontallyCentred },
        { "top", juce::Justification::top },
        { "bottom", juce::Justification::bottom },
        { "verticallyCentred", juce::Justification::verticallyCentred },
        { "horizontallyJustified", juce::Justification::horizontallyJustified },
        { "centred", juce::Justification::centred },
        { "centredLeft", juce::Justification::centredLeft },
        { "centredRight", juce::Justification::centredRight },
        { "centredTop", juce::Justification::centredTop },
        { "centredBottom", juce::Justification::centredBottom },
        { "topLeft", juce::Justification::topLeft },
        { "topRight", juce::Justification::topRight },
        { "bottomLeft", juce::Justification::bottomLeft },
        { "bottomRight", juce::Justification::bottomRight },
    };

    for (const auto& [name, flags] : names)
        if (text == name)
            return juce::Justification (flags);

    return juce::Justification (SkinValueLimits::readInteger (text));
}

juce::Rectangle<int> SkinManager::parseRectangle (const juce::String& text)
{
    // juce::Rectangle::fromString reads "10, 20, 30, 40" as 10 0 20 0, because every separator
    // makes a token of its own; skipping the empty tokens gives the four numbers as written.
    juce::StringArray tokens;
    tokens.addTokens (text, ",; \t\r\n", {});
    tokens.removeEmptyStrings();

    auto number = [&tokens] (int i)
    {
        return juce::jlimit (-SkinValueLimits::maxCoordinate, SkinValueLimits::maxCoordinate,
                             SkinValueLimits::readInteger (tokens[i]));
    };

    return { number (0), number (1), number (2), number (3) };
}

//==============================================================================
std::unique_ptr<TPXDrawableButton> SkinManager::createDrawableButton (const juce::XmlElement* widget,
                                                                      const juce::String& componentName) const
{
    if (widget == nullptr)
        return {};

    auto imageDrawable = [&widget] (const char* attribute)
    {
        auto drawable = std::make_unique<juce::DrawableImage>();
        drawable->setImage (getImage (widget->getStringAttribute (attribute).hashCode64()));
        return drawable;
    };

    std::unique_ptr<juce::DrawableImage> up, over, down, disabled, upOn, overOn, downOn, disabledOn;

    if (hasValue (*widget, "upImage"))
    {
        up = imageDrawable ("upImage");
        upOn = imageDrawable ("upImage");
    }

    if (hasValue (*widget, "overImage"))
    {
        over = imageDrawable ("overImage");
        overOn = imageDrawable ("overImage");
    }

    if (hasValue (*widget, "downImage"))
    {
        down = imageDrawable ("downImage");
        downOn = imageDrawable ("downImage");
        disabled = imageDrawable ("downImage");
    }

    if (hasValue (*widget, "disabledImage"))    disabled = imageDrawable ("disabledImage");
    if (hasValue (*widget, "upImageOn"))        upOn = imageDrawable ("upImageOn");
    if (hasValue (*widget, "overImageOn"))      overOn = imageDrawable ("overImageOn");
    if (hasValue (*widget, "downImageOn"))      downOn = imageDrawable ("downImageOn");
    if (hasValue (*widget, "disabledImageOn"))  disabledOn = imageDrawable ("disabledImageOn");

    // A button needs a normal image; without one in the skin it shows nothing.
    if (up == nullptr)
        up = std::make_unique<juce::DrawableImage>();

    const auto toolTip = widget->getStringAttribute ("toolTip");
    const auto x = integerAttribute (*widget, "positionX");
    const auto y = integerAttribute (*widget, "positionY");
    auto width = integerAttribute (*widget, "width");
    auto height = integerAttribute (*widget, "height");

    auto button = std::make_unique<TPXDrawableButton> (componentName);
    button->setImages (up.get(), over.get(), down.get(), disabled.get(),
                       upOn.get(), overOn.get(), downOn.get(), disabledOn.get());

    if (toolTip.isNotEmpty())
        button->setTooltip (toolTip);

    const auto upImage = up->getImage();

    if (width == 0)
        width = upImage.getWidth();

    if (height == 0)
        height = upImage.getHeight();

    button->setBounds (x, y, width, height);

    if (hasValue (*widget, "labelTextRect"))
    {
        const auto area = parseRectangle (widget->getStringAttribute ("labelTextRect"));
        const auto justification = hasValue (*widget, "labelTextJustify")
                                       ? parseJustification (widget->getStringAttribute ("labelTextJustify"))
                                       : juce::Justification (0);
        const auto size = decimalAttribute (*widget, "labelFontSize", 12.0);
        const auto normal = juce::Colour (parseColour (widget->getStringAttribute ("labelFontColor")));
        const auto overColour = colourAttribute (*widget, "labelFontColorOver", juce::Colours::black);
        const auto downColour = colourAttribute (*widget, "labelFontColorDown", juce::Colours::black);

        button->setLabel (area, justification, getFont (widget->getStringAttribute ("labelFont"), size), normal, size);
        button->setLabelColours (normal, overColour, downColour);
    }

    button->setMouseButtons (true, false);
    return button;
}

std::unique_ptr<TPXLabelComponent> SkinManager::createLabel (const juce::XmlElement* widget,
                                                             const juce::String& componentName) const
{
    if (widget == nullptr)
        return {};

    const auto typefaceName = widget->getStringAttribute ("font");
    const auto textColour = juce::Colour (parseColour (widget->getStringAttribute ("fontColor")));
    const auto size = decimalAttribute (*widget, "fontSize", 0.0);

    juce::Rectangle<int> bounds;

    if (hasValue (*widget, "bounds"))
        bounds = parseRectangle (widget->getStringAttribute ("bounds"));
    else
        bounds = { integerAttribute (*widget, "positionX"), integerAttribute (*widget, "positionY"),
                   integerAttribute (*widget, "width"), integerAttribute (*widget, "height") };

    const auto justification = hasValue (*widget, "textJustify")
                                   ? parseJustification (widget->getStringAttribute ("textJustify"))
                                   : juce::Justification (0);

    auto label = std::make_unique<TPXLabelComponent> (this, bounds.getX(), bounds.getY(), bounds.getWidth(),
                                                      bounds.getHeight(), componentName, juce::String(),
                                                      typefaceName, size, textColour, justification);

    if (hasValue (*widget, "backgroundColor"))
        label->setColour (juce::Label::backgroundColourId,
                          juce::Colour (parseColour (widget->getStringAttribute ("backgroundColor"))));

    label->setText (widget->getStringAttribute ("text"), juce::dontSendNotification);
    label->setMinimumHorizontalScale (decimalAttribute (*widget, "minHorzScale", 0.7));
    label->setUseAlpha (widget->getBoolAttribute ("useAlpha", true));
    label->setAlpha (decimalAttribute (*widget, "alpha", 1.0));

    const char* const stateAttributes[] = { "normalTextColor", "selectedTextColor", "mouseOverTextColor",
                                            "normalBgColor", "selectedBgColor", "mouseOverBgColor" };

    if (std::any_of (std::begin (stateAttributes), std::end (stateAttributes),
                     [&widget] (const char* name) { return hasValue (*widget, name); }))
    {
        const auto normalText = colourAttribute (*widget, "normalTextColor", juce::Colour (0x00000000));
        const auto normalBackground = colourAttribute (*widget, "normalBgColor", juce::Colour (0x00000000));

        label->setStateColours (normalText, normalBackground,
                                colourAttribute (*widget, "selectedTextColor", normalText),
                                colourAttribute (*widget, "selectedBgColor", normalBackground),
                                colourAttribute (*widget, "mouseOverTextColor", normalText),
                                colourAttribute (*widget, "mouseOverBgColor", normalBackground));
    }

    return label;
}

std::unique_ptr<TPXPaintedButton> SkinManager::createPaintedButton (const juce::XmlElement* widget,
                                                                    const juce::String&) const
{
    if (widget == nullptr)
        return {};

    const auto transparent = juce::Colour (0x00000000);
    const auto borderNormal = colourAttribute (*widget, "borderNormalColor", transparent);
    const auto borderOver = colourAttribute (*widget, "borderOverColor", borderNormal);
    const auto borderDown = colourAttribute (*widget, "borderDownColor", borderNormal);
    const auto fillNormal1 = colourAttribute (*widget, "fillNormalColor1", transparent);
    const auto fillOver1 = colourAttribute (*widget, "fillOverColor1", fillNormal1);
    const auto fillDown1 = colourAttribute (*widget, "fillDownColor1", fillNormal1);
    const auto fillNormal2 = colourAttribute (*widget, "fillNormalColor2", transparent);
    const auto fillOver2 = colourAttribute (*widget, "fillOverColor2", fillNormal2);
    const auto fillDown2 = colourAttribute (*widget, "fillDownColor2", fillNormal2);
    const auto labelNormal = colourAttribute (*widget, "labelNormalColor", transparent);
    const auto labelOver = colourAttribute (*widget, "labelOverColor", labelNormal);
    const auto labelDown = colourAttribute (*widget, "labelDownColor", labelNormal);

    const auto size = decimalAttribute (*widget, "labelFontSize", 0.0);
    const auto justification = hasValue (*widget, "labelJustify")
                                   ? parseJustification (widget->getStringAttribute ("labelJustify"))
                                   : juce::Justification (juce::Justification::centred);

    std::unique_ptr<juce::Font> primaryFont, secondaryFont;

    if (hasValue (*widget, "labelFont"))
        primaryFont = std::make_unique<juce::Font> (getFont (widget->getStringAttribute ("labelFont"), size));

    if (hasValue (*widget, "labelFontSecondary"))
        secondaryFont = std::make_unique<juce::Font> (getFont (widget->getStringAttribute ("labelFontSecondary"), size));

    auto button = std::make_unique<TPXPaintedButton> (integerAttribute (*widget, "positionX"),
                                                      integerAttribute (*widget, "positionY"),
                                                      integerAttribute (*widget, "width"),
                                                      integerAttribute (*widget, "height"));
    button->setToggleMode (widget->getBoolAttribute ("toggleMode", false));
    button->setOpacity (widget->getBoolAttribute ("useOpacity", false),
                        decimalAttribute (*widget, "opacityNormal", 0.0),
                        decimalAttribute (*widget, "opacityDown", 0.0));
    button->setAlphaRule (widget->getBoolAttribute ("useAlpha", false),
                          decimalAttribute (*widget, "alphaEnabled", 0.0),
                          decimalAttribute (*widget, "alphaDisabled", 0.0));
    button->setCornerSize (decimalAttribute (*widget, "buttonCornerSize", 0.0));
    button->setBorderThickness (decimalAttribute (*widget, "borderThickness", 0.0));
    button->setBorderColours (borderNormal, borderDown);
    button->setFlatFills (fillNormal1, fillDown1);
    button->setLabelColours (labelNormal, labelDown);
    button->setPrimaryFont (primaryFont.get(), justification, size);
    button->setThirdFont (primaryFont.get());
    button->setSecondaryFont (secondaryFont.get());
    button->setLabelText (widget->getStringAttribute ("labelText"));

    if (hasValue (*widget, "borderOverColor") || hasValue (*widget, "fillOverColor1")
        || hasValue (*widget, "fillOverColor2") || hasValue (*widget, "labelOverColor"))
        button->setOverLook (borderOver, fillOver1, labelOver);

    if (widget->getBoolAttribute ("fillNormalGradient", false))
        button->setGradientNormal (fillNormal1, fillNormal2);

    if (widget->getBoolAttribute ("fillDownGradient", false))
        button->setGradientDown (fillDown1, fillDown2);

    if (widget->getBoolAttribute ("fillOverGradient", false))
        button->setGradientOver (fillOver1, fillOver2);

    button->setFocusRectangle (widget->getBoolAttribute ("useFocusRect", false));

    const auto toolTip = widget->getStringAttribute ("toolTip");

    if (toolTip.isNotEmpty())
        button->setTooltip (toolTip);

    button->setWantsKeyboardFocus (false);
    return button;
}

//==============================================================================
juce::Result SkinManager::writeTypefaceForFontEntry (const juce::String& entryName, const std::function<void()>& waitForSystemFonts)
{
    const auto refused = juce::Result::fail ("Refused font entry name: " + entryName);

    if (! entryName.endsWithIgnoreCase (".ttf") || ! isSafeRelativeEntryName (entryName))
        return refused;

    const auto targetName = entryName.dropLastCharacters (4).replaceCharacter ('\\', '/') + ".stf";
    const auto fontName = targetName.fromLastOccurrenceOf ("/", false, false).dropLastCharacters (4);

    if (fontName.trim().isEmpty())
        return refused;

    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (targetName);

    if (target.exists())
        return juce::Result::ok();

    if (! target.create())
        return juce::Result::fail ("Could not create " + target.getFullPathName());

    // The only look-up of the system's fonts while a skin loads.
    if (waitForSystemFonts != nullptr)
        waitForSystemFonts();

    const juce::Font systemFont (fontName, 10.0f, juce::Font::plain);
    const auto systemTypeface = systemFont.getTypefacePtr();

    juce::CustomTypeface typeface;
    // A name of its own keeps its glyphs apart from other typefaces in the glyph caches.
    typeface.setCharacteristics (fontName, "Regular", 1.0f, ' ');

    if (systemTypeface != nullptr)
        typeface.addGlyphsFromOtherTypeface (*systemTypeface, 0, 256);

    bool written = false;
    {
        juce::FileOutputStream out (target);

        if (out.openedOk() && out.setPosition (0) && out.truncate().wasOk())
        {
            written = typeface.writeToStream (out);
            out.flush();
            written = written && out.getStatus().wasOk();
        }
    }

    if (! written)
    {
        target.deleteFile();
        return juce::Result::fail ("Could not write " + target.getFullPathName());
    }

    return juce::Result::ok();
}
