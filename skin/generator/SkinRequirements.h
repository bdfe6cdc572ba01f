#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** What the program reads from its skin, as the generator checks it: the sections of MV.qorby
    with their attributes and Widgets (each with the attributes it must carry), and the archive
    entries that the code asks for by fixed name, with the size each image must have.

    When code starts reading a new Widget, attribute or fixed image name, it is added here, and
    the build fails until the skin provides it.
*/
class SkinRequirements
{
public:
    /** One section of the skin file. */
    struct Section
    {
        juce::String tag;
        juce::StringArray attributes;   // required on the section element itself
    };

    /** One Widget element that a section's builder reads. */
    struct Widget
    {
        juce::String section;
        juce::String name;
        juce::StringArray attributes;   // required, non-empty
    };

    /** An archive entry that code asks for by name; images with their size. */
    struct FixedEntry
    {
        juce::String name;
        int width = 0, height = 0;      // 0 for a font
    };

    static std::vector<Section> getSections();
    static std::vector<Widget> getWidgets();
    static std::vector<FixedEntry> getFixedEntries();

    /** A toggle whose text a validation message quotes, so the two must not drift apart. */
    struct QuotedText
    {
        juce::String section, widget, text;
    };

    static std::vector<QuotedText> getQuotedTexts();

    /** Every attribute name that some reader of the skin reads; anything else is a typo. */
    static juce::StringArray getKnownAttributes();

    /** Attributes whose value names an image, or a font, in the archive. */
    static juce::StringArray getImageAttributes();
    static juce::StringArray getFontAttributes();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinRequirements)
};
