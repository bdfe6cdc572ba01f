#include "JuceSystemServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

bool JuceSystemServices::openUrl (const juce::URL& address)
{
    return address.launchInDefaultBrowser();
}

void JuceSystemServices::revealFile (const juce::File& file)
{
    file.revealToUser();
}

bool JuceSystemServices::startProcess (const juce::File& file, const juce::String& parameters)
{
    return file.startAsProcess (parameters);
}

void JuceSystemServices::quit()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
