#pragma once

#include "SystemServices.h"

/** The real SystemServices, through JUCE's URL, File and application classes. */
class JuceSystemServices : public SystemServices
{
public:
    JuceSystemServices() = default;

    bool openUrl (const juce::URL& address) override;
    void revealFile (const juce::File& file) override;
    bool startProcess (const juce::File& file, const juce::String& parameters) override;
    void quit() override;

private:
    std::unique_ptr<juce::ChildProcess> startedProcess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceSystemServices)
};
