#pragma once

#include <juce_graphics/juce_graphics.h>

#include <map>

/** Checks a skin document against what the program reads and against the archive built for it.

    Every problem found is reported as one line of text naming the section, the Widget and the
    attribute concerned; an empty list means the skin is complete. The checks cover what the
    program would otherwise get wrong silently: a missing section, Widget, attribute or archive
    entry, a misspelt attribute, colours without alpha, rectangles the framework misreads, zero font
    sizes and alphas, spin controls too small for their buttons, an image whose size differs from
    its button, a panel added after the buttons it would cover, and toggle texts that drifted from
    the validation messages that quote them.
*/
class SkinChecker
{
public:
    /** Size of each archive entry by name; fonts and drawings have the size (-1, -1). */
    using EntrySizes = std::map<juce::String, juce::Point<int>>;

    SkinChecker (const juce::XmlElement& skinRoot, const juce::String& archiveName, EntrySizes entries);

    /** Runs every check; returns the problems, empty when there are none. */
    juce::StringArray check();

private:
    void checkRoot();
    void checkSections();
    void checkWidgets();
    void checkFixedEntries();
    void checkAttributes (const juce::XmlElement& element, const juce::String& where);
    void checkValue (const juce::String& attribute, const juce::String& value, const juce::String& where);
    void checkWidgetRules (const juce::XmlElement& widget, const juce::String& where);
    void checkImageSizes (const juce::XmlElement& widget, const juce::String& where);
    void checkReference (const juce::String& name, bool font, const juce::String& where);
    void problem (const juce::String& text);

    const juce::XmlElement& root;
    const juce::String archiveName;
    const EntrySizes entries;
    juce::StringArray problems;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinChecker)
};
