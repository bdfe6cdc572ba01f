#pragma once

#include "SystemServices.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <vector>

class UserDialogs;

/** The real SystemServices, through JUCE's URL, File, ChildProcess and application classes.

    On Linux a web address is handed to the desktop's opener ("xdg-open") as a child process that is
    watched until it ends, so that it is always reaped and a failure (no browser) is noticed: the
    user is then told which address to open. Message thread only.
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

    /** The program that opens web addresses on Linux; "xdg-open" unless a test names another. */
    void setUrlOpener (const juce::String& program) { urlOpener = program; }

    /** The number of openers started that have not yet ended (and been reaped). */
    int getNumPendingOpeners() const noexcept { return (int) openers.size(); }

    /** The text of the box shown when an address could not be opened. */
    static juce::String urlNotOpenedText (const juce::URL& address);

private:
    struct Opener
    {
        std::unique_ptr<juce::ChildProcess> process;
        juce::URL address;
    };

    void timerCallback() override;
    void reportNotOpened (const juce::URL& address);

    UserDialogs* dialogs = nullptr;
    juce::String urlOpener { "xdg-open" };
    std::vector<Opener> openers;
    std::unique_ptr<juce::ChildProcess> startedProcess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceSystemServices)
};
