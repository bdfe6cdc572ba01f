#pragma once

#include <juce_core/juce_core.h>

/** Builds Morvane's skin: draws the images, converts the fonts, zips them into the archive that
    the skin file names, checks the skin file against the archive and against what the program
    reads (SkinChecker), and only then writes "MV.qorby" and the archive into the output folder.

    Runs without a display: everything is drawn into images with the software renderer.
*/
class SkinGenerator
{
public:
    /** Where the generator reads and writes. */
    struct Options
    {
        juce::File skinSource;      // the skin XML in the source tree
        juce::File fontFolder;      // holds DejaVuSans.ttf, DejaVuSans-Bold.ttf, DejaVuSansMono.ttf
        juce::File outputFolder;    // receives MV.qorby and the archive
        juce::File contactSheet;    // a PNG to write for people to look at; none when it is empty
    };

    explicit SkinGenerator (Options options);

    /** Builds the skin. Returns the problems found; when there are any, nothing is written and
        earlier output in the output folder is removed, so that no stale skin is used.
    */
    juce::StringArray run();

    /** The name of the skin file beside the executable. */
    static juce::String getSkinFileName() { return "MV.qorby"; }

private:
    juce::StringArray build (juce::String& archiveName);

    Options options;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinGenerator)
};
