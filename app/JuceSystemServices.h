#pragma once

#include "SystemServices.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <vector>

class UserDialogs;

/** The real SystemServices, through JUCE's URL, File, ChildProcess and application classes.

    On Linux a web address or a folder is handed to the desktop's opener ("xdg-open") as a child
    process, its path one argument that no shell reads, and watched until it ends, so that it is
    always reaped and a failure (no browser, no file manager) is noticed: the user is then told
    which address or folder to open. Message thread only.
*/
class JuceSystemServices : public SystemServices,
                           private juce::Timer
{
public:
    JuceSystemServices() = default;
    ~JuceSystemServices() override;

    /** The dialogs through which a web address that could not be opened is reported (none: not reported). */
    void setDialogs (UserDialogs* dialogsToUse) noexcept { dialogs = dialogsToUse; }

    /** True when the address was handed on; a failure noticed later is reported in a box. */
    bool openUrl (const juce::URL& address) override;
    void revealFile (const juce::File& file) override;
    bool startProcess (const juce::File& file, const juce::String& parameters) override;
    void quit() override;

    /** The program that opens web addresses and folders on Linux; "xdg-open" unless a test names another. */
    void setOpener (const juce::String& program) { opener = program; }

    /** The number of openers started that have not yet ended (and been reaped). */
    int getNumPendingOpeners() const noexcept { return (int) openers.size(); }

    /** The text of the box shown when an address could not be opened. */
    static juce::String urlNotOpenedText (const juce::URL& address);

    /** The text of the box shown when a folder could not be opened. */
    static juce::String folderNotOpenedText (const juce::File& folder);

private:
    struct Opener
    {
        std::unique_ptr<juce::ChildProcess> process;
        juce::String failureText;   // told when the opener fails
    };

    /** Starts the opener on the argument and watches it; false (after the box) when it could not start. */
    bool startOpener (const juce::String& argument, const juce::String& failureText);
    void timerCallback() override;
    void reportNotOpened (const juce::String& text);

    UserDialogs* dialogs = nullptr;
    juce::String opener { "xdg-open" };
    std::vector<Opener> openers;
    std::unique_ptr<juce::ChildProcess> startedProcess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceSystemServices)
};
