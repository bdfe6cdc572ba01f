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

juce::String JuceSystemServices::folderNotOpenedText (const juce::File& folder)
{
    return "The folder could not be opened here.\n\nPlease open it in your file manager:\n" + folder.getFullPathName();
}

void JuceSystemServices::reportNotOpened (const juce::String& text)
{
    if (dialogs != nullptr)
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane", text);
}

bool JuceSystemServices::startOpener (const juce::String& argument, const juce::String& failureText)
{
    auto process = std::make_unique<juce::ChildProcess>();

    if (! process->start (juce::StringArray { opener, argument }, 0))
    {
        reportNotOpened (failureText);
        return false;
    }

    openers.push_back ({ std::move (process), failureText });
    startTimer (100);
    return true;
}

bool JuceSystemServices::openUrl (const juce::URL& address)
{
   #if JUCE_LINUX
    // JUCE's own launcher forks a shell that nobody waits for: it stays behind as a defunct
    // process and its failure goes unnoticed. The opener is watched here instead.
    return startOpener (address.toString (true), urlNotOpenedText (address));
   #else
    if (address.launchInDefaultBrowser())
        return true;

    reportNotOpened (urlNotOpenedText (address));
    return false;
   #endif
}

void JuceSystemServices::timerCallback()
{
    juce::StringArray failed;

    for (auto it = openers.begin(); it != openers.end();)
    {
        // isRunning() reaps the process once it has ended and keeps its exit code.
        if (it->process->isRunning())
        {
            ++it;
            continue;
        }

        if (it->process->getExitCode() != 0)
            failed.add (it->failureText);

        it = openers.erase (it);
    }

    if (openers.empty())
        stopTimer();

    // The boxes come last: their modal loops may call this timer again.
    for (const auto& text : failed)
        reportNotOpened (text);
}

void JuceSystemServices::revealFile (const juce::File& file)
{
    const auto folder = file.isDirectory() ? file : file.getParentDirectory();

   #if JUCE_LINUX
    // JUCE's own reveal hands the path to a shell, which would run a command written into a
    // folder's name, and leaves that shell unreaped: the watched opener takes the path whole.
    startOpener (folder.getFullPathName(), folderNotOpenedText (folder));
   #else
    file.revealToUser();
   #endif
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
