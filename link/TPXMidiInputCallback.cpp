#include "TPXMidiInputCallback.h"

#include "MidiPortManager.h"

void TPXMidiInputCallback::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    if (owner != nullptr)
        owner->appendIncoming (message);
}
