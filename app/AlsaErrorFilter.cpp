#include "AlsaErrorFilter.h"

#if JUCE_LINUX
 #include <alsa/asoundlib.h>
 #include <cstdarg>
 #include <cstdio>   // vsnprintf: the handler receives a printf format
#endif

namespace
{
juce::CriticalSection& reportedLock()
{
    static juce::CriticalSection lock;
    return lock;
}

juce::StringArray& reportedMessages()
{
    static juce::StringArray reported;
    return reported;
}

bool isMissingSequencer (const juce::String& function, const juce::String& message)
{
    return function == "snd_seq_hw_open" || message.contains ("/dev/snd/seq");
}
} // namespace

juce::String AlsaErrorFilter::missingSequencerText()
{
    return "Morvane: no MIDI ports: the ALSA sequencer (/dev/snd/seq) is not available on this machine.";
}

int AlsaErrorFilter::handleMessage (const juce::String& function, const juce::String& message)
{
    const auto missing = isMissingSequencer (function, message);
    const auto key = missing ? juce::String ("sequencer") : function + ": " + message;

    const juce::ScopedLock sl (reportedLock());

    if (reportedMessages().contains (key))
        return 2;

    reportedMessages().add (key);
    return missing ? 1 : 0;
}

#if JUCE_LINUX
/*  alsa-lib prints its errors through a process-wide handler that only a call into alsa-lib itself
    can replace; JUCE offers no way to reach it, hence this small Linux-only part.
*/
namespace
{
extern "C" void morvaneAlsaErrorHandler (const char* file, int line, const char* function, int error, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start (args, format);
    std::vsnprintf (text, sizeof (text), format, args);
    va_end (args);

    const juce::String functionName (function != nullptr ? function : "");
    const juce::String message (text);

    switch (AlsaErrorFilter::handleMessage (functionName, message))
    {
        case 0:
            juce::Logger::outputDebugString ("ALSA lib " + juce::String (file != nullptr ? file : "") + ":" + juce::String (line)
                                             + ":(" + functionName + ") " + message
                                             + (error != 0 ? juce::String (": ") + snd_strerror (error) : juce::String()));
            break;

        case 1:
            juce::Logger::outputDebugString (AlsaErrorFilter::missingSequencerText());
            break;

        default:
            break;
    }
}
} // namespace

void AlsaErrorFilter::install()
{
    snd_lib_error_set_handler (morvaneAlsaErrorHandler);
}
#else
void AlsaErrorFilter::install()
{
}
#endif
