#include "SystemFontWarmUp.h"

SystemFontWarmUp::SystemFontWarmUp()
    : juce::Thread ("System fonts")
{
    // Without a thread the search happens where the fonts are first used, as it would anyway.
    if (! startThread())
        done.signal();
}

SystemFontWarmUp::~SystemFontWarmUp()
{
    // The search cannot be interrupted and ends by itself.
    waitUntilDone();
    stopThread (-1);
}

void SystemFontWarmUp::waitUntilDone()
{
    done.wait (-1);
}

void SystemFontWarmUp::run()
{
    // The framework's own way to the default typeface, without the look-and-feel (which belongs
    // to the message thread): the typeface is dropped, the font list it was chosen from stays.
    juce::Font::getDefaultTypefaceForFont (juce::Font());
    done.signal();
}
