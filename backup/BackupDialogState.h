#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** What a backup dialog shows, taken as it opens so that a Cancel can put it back: every tick
    and one-of choice, every number field's text, range and state, every list's choice and
    label's text, and which parts are enabled, shown and dimmed. A dialog keeps what the user chose with OK from one show to the next, but
    not what was changed and then cancelled. Message thread only.
*/
class BackupDialogState
{
public:
    /** Takes the state of the dialog and everything in it. */
    explicit BackupDialogState (juce::Component& dialog);

    /** Puts back what was taken, without notifications; parts deleted since are left out. */
    void restore() const;

private:
    struct Part
    {
        juce::Component::SafePointer<juce::Component> component;
        bool enabled = true, visible = true, ticked = false, spinEnabled = true;
        float alpha = 1.0f;
        juce::String text;
        int minimum = 0, maximum = 0, chosenId = 0;
    };

    void take (juce::Component& component);

    std::vector<Part> parts;

    JUCE_DECLARE_NON_COPYABLE (BackupDialogState)
};
