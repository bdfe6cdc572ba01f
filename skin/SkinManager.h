#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <functional>
#include <memory>
#include <vector>

class TPXDrawableButton;
class TPXLabelComponent;
class TPXPaintedButton;

/** Loads the program's whole appearance and serves it to every window.

    A skin is an XML file (root element "SKIN") that names a ZIP resource archive lying beside it;
    the archive holds images (found by the 64-bit hash of their entry name through juce::ImageCache),
    SVG drawables and serialised typefaces (".stf"). Every dialog is laid out from one section of
    the XML (see getSection()); the widgets take their images and fonts from here by name.

    The application makes one SkinManager before any window and loads "MV.qorby" from the folder
    "Skin" beside the executable. Used on the message thread only.
*/
class SkinManager : public juce::FileBasedDocument
{
public:
    /** The skin engine version of this program; a skin must declare exactly this version. */
    static constexpr double engineVersion = 2.0;

    static constexpr const char* skinFileName = "MV.qorby";
    static constexpr const char* skinFolderName = "Skin";
    static constexpr const char* missingImageName = "missing_image_release.png";
    static constexpr const char* missingFontName = "_missing_font.stf";

    /** A manager whose skin folder is "Skin" beside the executable. */
    SkinManager();

    /** A manager whose skin folder is the given one (tests, tools). */
    explicit SkinManager (const juce::File& skinFolder);

    ~SkinManager() override;

    /** The folder "Skin" beside the running executable. */
    static juce::File getDefaultSkinFolder();

    /** "MV.qorby" in this manager's skin folder. */
    juce::File getSkinFile() const;

    /** Loads getSkinFile() with this program's engine version. Returns false on failure, after
        showing the reason in a warning box when showMessageOnFailure is true.
    */
    bool load (bool showMessageOnFailure = true);

    /** Loads the skin XML at path, which must declare the given engine version. Marks the manager
        as loaded whatever the result and returns whether the load succeeded; on failure the reason
        is in getLoadResult() and, when showMessageOnFailure is true, in a warning box.
    */
    bool load (const juce::String& path, double programEngineVersion, bool showMessageOnFailure = true);

    /** Called before a load looks up one of the system's typefaces, which only a skin's ".ttf"
        font entry makes it do (see writeTypefaceForFontEntry); a skin without one never calls it.
        The application waits here for the system's font list, which it reads on a thread of its
        own while the skin loads: the framework's list may not be read by two threads at once.
    */
    void setSystemFontGate (std::function<void()> waitForSystemFonts);

    /** The result of the last load(). */
    juce::Result getLoadResult() const { return lastResult; }

    /** True once load() has run, whatever its result. */
    bool isSkinLoaded() const noexcept { return skinLoaded; }

    /** The parsed skin root, or null before a load and after a failed one. */
    const juce::XmlElement* getSkinRoot() const noexcept { return skinRoot.get(); }

    /** The section with exactly the given tag (letter case counts), or null when no skin is loaded
        or the skin lacks it.
        Builders walk its "Widget" children in document order and skip names they do not know.
    */
    const juce::XmlElement* getSection (juce::StringRef tag) const;

    /** The first child of root whose tag is exactly the given one (letter case counts), or null. */
    static const juce::XmlElement* findSection (const juce::XmlElement& root, juce::StringRef tag);

    juce::String getArchiveName() const { return archiveName; }
    double getSkinVersion() const noexcept { return skinVersion; }

    //==============================================================================
    /** The image stored under the hash of its entry name (juce::String::hashCode64), else the
        "missing_image_release.png" image, else a null image.
    */
    static juce::Image getImage (juce::int64 nameHash);

    /** The image of the given entry name, as getImage (name.hashCode64()). */
    static juce::Image getImage (const juce::String& entryName);

    /** True when an image of that entry name is cached (so getImage() gives no placeholder). */
    static bool hasImage (const juce::String& entryName);

    /** The typeface of that ".stf" entry name (case-sensitive), else the "_missing_font.stf"
        typeface, else null. The manager keeps its own reference.
    */
    juce::Typeface::Ptr getTypeface (const juce::String& name) const;

    /** A font of the named typeface at the given height (clamped to 0.1 - 10000); the default font
        when neither that typeface nor the placeholder font exists.
    */
    juce::Font getFont (const juce::String& typefaceName, float height) const;

    /** True when an ".stf" entry of exactly that name was loaded. */
    bool hasTypeface (const juce::String& name) const;

    /** The drawable of that ".svg" entry name, or null (also when its data did not parse). */
    const juce::Drawable* getDrawable (const juce::String& entryName) const;

    int getNumImages() const noexcept { return images.size(); }
    juce::StringArray getDrawableNames() const { return drawableNames; }
    juce::StringArray getTypefaceNames() const { return typefaceNames; }

    //==============================================================================
    /** A colour: "tpxYellow", "tpxYellowDim", "black" and "white" by name (case-sensitive), any
        other text as hexadecimal ARGB from its hex digits (the last eight count; others skipped).
    */
    static juce::uint32 parseColour (const juce::String& text);

    /** A justification by its juce::Justification name (case-sensitive), else the text as an
        integer (0 when not a number).
    */
    static juce::Justification parseJustification (const juce::String& text);

    /** A rectangle "x y width height"; the numbers may be separated by spaces, commas, semicolons
        or tabs in any number ("10 20 30 40", "10,20,30,40" and "10, 20, 30, 40" are the same).
        Missing numbers read as 0.
    */
    static juce::Rectangle<int> parseRectangle (const juce::String& text);

    //==============================================================================
    /** Builds an image button from a Widget element; null when the element is null. */
    std::unique_ptr<TPXDrawableButton> createDrawableButton (const juce::XmlElement* widget,
                                                             const juce::String& componentName) const;

    /** Builds a label from a Widget element; null when the element is null. */
    std::unique_ptr<TPXLabelComponent> createLabel (const juce::XmlElement* widget,
                                                    const juce::String& componentName) const;

    /** Builds a painted button from a Widget element; null when the element is null. */
    std::unique_ptr<TPXPaintedButton> createPaintedButton (const juce::XmlElement* widget,
                                                           const juce::String& componentName) const;

    //==============================================================================
    /** The font conversion aid for a ".ttf" archive entry: renders character codes 0 to 255 of the
        installed font named like the entry (less ".ttf") into an ".stf" file of the entry's name,
        relative to the current working directory, unless that file exists. Entry names with a root,
        a drive or a ".." part are refused. waitForSystemFonts, when given, is called just before
        the installed font is looked up (see setSystemFontGate). Returns what happened.
    */
    static juce::Result writeTypefaceForFontEntry (const juce::String& entryName,
                                                   const std::function<void()>& waitForSystemFonts = {});

    //==============================================================================
    juce::String getDocumentTitle() override;
    juce::Result loadDocument (const juce::File& file) override;
    juce::Result saveDocument (const juce::File& file) override;
    juce::File getLastDocumentOpened() override;
    void setLastDocumentOpened (const juce::File& file) override;

    /** Reads every entry of a resource archive, in archive order: images (by content: PNG, JPEG,
        GIF), ".svg" drawables, ".stf" typefaces and the ".ttf" font aid. An entry that cannot be
        read or decoded is skipped (a damaged image leaves a null image, a refused drawing or font
        a null entry) and named in getLoadProblems(). Fails only for an archive without entries.
        loadDocument() calls it; public so that the archive reader can be tried on its own.
    */
    juce::Result loadArchiveEntries (juce::ZipFile& archive);

    /** The drawing of an ".svg" entry, or null with the reason in problem: only plain icons are
        read (see SkinDrawingReader).
    */
    static std::unique_ptr<juce::Drawable> readDrawable (const juce::MemoryBlock& data, juce::String& problem);

    /** What the last load skipped or changed, one line each naming the entry concerned (for
        example "bg.png: the PNG image is damaged ..."); empty when the skin was whole. The load
        still succeeds with these; each line is also written to the log.
    */
    juce::StringArray getLoadProblems() const { return loadProblems; }

private:
    /** An archive entry read into memory, or the reason it could not be. */
    struct ReadEntry
    {
        juce::String name;
        juce::MemoryBlock data;
        juce::String problem;
    };

    void addEntries (const std::vector<ReadEntry>& entries);
    void addProblem (const juce::String& text);
    void addImage (const juce::String& entryName, const juce::Image& image, const juce::String& problem);
    void addDrawable (const juce::String& entryName, const juce::MemoryBlock& data);
    void addTypeface (const juce::String& entryName, juce::Typeface::Ptr typeface, const juce::String& problem);

    juce::File skinFolder;
    std::unique_ptr<juce::XmlElement> skinRoot;
    juce::String archiveName;
    double programVersion = 0.0;
    double skinVersion = 0.0;
    bool skinLoaded = false;
    juce::Result lastResult { juce::Result::ok() };
    juce::StringArray loadProblems;

    juce::StringArray drawableNames;
    juce::OwnedArray<juce::Drawable> drawables;
    juce::OwnedArray<juce::Image> images;
    juce::StringArray typefaceNames;
    juce::Array<juce::Typeface::Ptr> typefaces;
    std::function<void()> systemFontGate;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinManager)
};
