#pragma once

#include <juce_core/juce_core.h>

/** What the program asks of the system beyond its own windows: opening a web address in the
    default browser, revealing a file in the file manager, starting a process and quitting.

    The program uses JuceSystemServices; tests record the calls instead. Message thread only.
*/
class SystemServices
{
public:
    virtual ~SystemServices() = default;

    /** Opens the address in the default browser; false when the system refused. */
    virtual bool openUrl (const juce::URL& address) = 0;

    /** Shows the file (or folder) in the system's file manager. */
    virtual void revealFile (const juce::File& file) = 0;

    /** Starts the file as a process with the given parameters; false when it could not start. */
    virtual bool startProcess (const juce::File& file, const juce::String& parameters) = 0;

    /** Asks the application to quit (the message loop ends, then shutdown runs). */
    virtual void quit() = 0;
};
