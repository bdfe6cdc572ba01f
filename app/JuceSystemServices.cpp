#include "JuceSystemServices.h"

#include "UserDialogs.h"

#include <juce_gui_basics/juce_gui_basics.h>

JuceSystemServices::~JuceSystemServices()
{
    stopTimer();

    // An opener still running (a browser kept in the foreground) is left to finish on its own.
}

juce::String JuceSystemServices::urlNotOpenedText (const juce::URL& address)
{
    return "The web page could not be opened here.\n\nPlease open this address in your web browser:\n"
           + address.toString (true);
}

void JuceSystemServices::reportNotOpened (const juce::URL& address)
{
    if (dialogs != nullptr)
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", urlNotOpenedText (address));
}

bool JuceSystemServices::openUrl (const juce::URL& address)
{
   #if JUCE_LINUX
    // JUCE's own launcher forks a shell that nobody waits for: it stays behind as a defunct
    // process and its failure goes unnoticed. The opener is watched here instead.
    auto process = std::make_unique<juce::ChildProcess>();

    if (! process->start (juce::StringArray { urlOpener, address.toString (true) }, 0))
    {
        reportNotOpened (address);
        return false;
    }

    openers.push_back ({ std::move (process), address });
    startTimer (100);
    return true;
   #else
    if (address.launchInDefaultBrowser())
        return true;

    reportNotOpened (address);
    return false;
   #endif
}

void JuceSystemServices::timerCallback()
{
    std::vector<juce::URL> failed;

    for (auto it = openers.begin(); it != openers.end();)
    {
        // isRunning() reaps the process once it has ended and keeps its exit code.
        if (it->process->isRunning())
        {
            ++it;
            continue;
        }

        if (it->process->getExitCode() != 0)
            failed.push_back (it->address);

        it = openers.erase (it);
    }

    if (openers.empty())
        stopTimer();

    // The boxes come last: their modal loops may call this timer again.
    for (const auto& address : failed)
        reportNotOpened (address);
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
