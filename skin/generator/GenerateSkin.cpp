// Command-line entry of the skin generator; run by the MorvaneSkin build target.
//
//   morvane_skin_generator --source MV.qorby --fonts <folder> --output <bin/Skin> [--contact-sheet <png>]

#include "SkinGenerator.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char* argv[])
{
    // Starts and ends JUCE properly (fonts and image caches are freed at the end); opens no window.
    juce::ScopedJuceInitialiser_GUI juceLifetime;

    SkinGenerator::Options options;
    juce::StringArray usage;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String flag (argv[i]);
        const auto value = i + 1 < argc ? juce::File::getCurrentWorkingDirectory().getChildFile (argv[i + 1]) : juce::File();

        if (flag == "--source" && value != juce::File())         options.skinSource = value;
        else if (flag == "--fonts" && value != juce::File())     options.fontFolder = value;
        else if (flag == "--output" && value != juce::File())    options.outputFolder = value;
        else if (flag == "--contact-sheet" && value != juce::File()) options.contactSheet = value;
        else
        {
            usage.add ("unknown argument " + flag);
            continue;
        }

        ++i;
    }

    if (options.skinSource == juce::File() || options.fontFolder == juce::File() || options.outputFolder == juce::File())
        usage.add ("usage: morvane_skin_generator --source <skin xml> --fonts <folder> --output <folder> "
                   "[--contact-sheet <png>]");

    const auto problems = usage.isEmpty() ? SkinGenerator (options).run() : usage;

    for (auto& problem : problems)
        std::cerr << "MorvaneSkin: " << problem << std::endl;

    if (! problems.isEmpty())
    {
        std::cerr << "MorvaneSkin: the skin was not written (" << problems.size() << " problem"
                  << (problems.size() == 1 ? "" : "s") << ")" << std::endl;
        return 1;
    }

    return 0;
}
