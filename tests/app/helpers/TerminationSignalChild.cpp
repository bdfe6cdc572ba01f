// A program that takes a termination request and does not act on it, as the real one does while
// its message thread is held up: the test sends it two and expects it to die of the second.
//   morvane_termination_child <folder>   writes "ready" there once it listens and "taken" once the
//                                        first request reached its message thread; ends by itself
//                                        with exit code 0 after 15 s
#include "TerminationSignal.h"

#include <juce_events/juce_events.h>

int main (int argc, char* argv[])
{
    TerminationSignal::blockInEveryThread();

    if (argc < 2)
        return 2;

    const juce::File folder (juce::String::fromUTF8 (argv[1]));
    const juce::ScopedJuceInitialiser_GUI framework;
    const TerminationSignal signal ([&folder] { folder.getChildFile ("taken").create(); });

    if (! signal.isListening() || ! folder.getChildFile ("ready").create())
        return 3;

    juce::MessageManager::getInstance()->runDispatchLoopUntil (15000);
    return 0;
}
