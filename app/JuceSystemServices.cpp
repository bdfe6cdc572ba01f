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
    if (! file.existsAsFile())
        return false;

    // The program and its parameters go to the system as separate arguments, never through a
    // shell, so no character of a path is ever taken as a command.
    juce::StringArray arguments (file.getFullPathName());
    arguments.addTokens (parameters, true);
    arguments.removeEmptyStrings();

    auto process = std::make_unique<juce::ChildProcess>();

    if (! process->start (arguments, 0))
        return false;

    // A program that cannot be executed ends at once with the code 255; anything else started.
    if (process->waitForProcessToFinish (500) && process->getExitCode() == 255)
        return false;

    startedProcess = std::move (process);
    return true;
}

void JuceSystemServices::quit()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
