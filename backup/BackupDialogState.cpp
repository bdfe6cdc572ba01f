#include "BackupDialogState.h"

#include "TPXSpinControl.h"

BackupDialogState::BackupDialogState (juce::Component& dialog)
{
    // The dialog itself is its window's to show.
    for (auto* child : dialog.getChildren())
        take (*child);
}

void BackupDialogState::take (juce::Component& component)
{
    Part part;
    part.component = &component;
    part.enabled = component.isEnabled();
    part.visible = component.isVisible();
    part.alpha = component.getAlpha();

    if (auto* button = dynamic_cast<juce::Button*> (&component))
        part.ticked = button->getToggleState();

    if (auto* editor = dynamic_cast<juce::TextEditor*> (&component))
        part.text = editor->getText();

    if (auto* label = dynamic_cast<juce::Label*> (&component))
        part.text = label->getText();

    if (auto* list = dynamic_cast<juce::ComboBox*> (&component))
        part.chosenId = list->getSelectedId();

    if (auto* spin = dynamic_cast<TPXSpinControl*> (&component))
    {
        part.spinEnabled = spin->isEnabledState();
        part.minimum = spin->getMinimum();
        part.maximum = spin->getMaximum();
    }

    parts.push_back (part);

    for (auto* child : component.getChildren())
        take (*child);
}

void BackupDialogState::restore() const
{
    // A number field first, then what it holds: its editor's text and its buttons' states follow.
    for (const auto& part : parts)
    {
        auto* component = part.component.getComponent();

        if (component == nullptr)
            continue;

        if (auto* spin = dynamic_cast<TPXSpinControl*> (component))
        {
            spin->setRange (part.minimum, part.maximum);
            spin->setEnabledState (part.spinEnabled);
        }

        component->setEnabled (part.enabled);
        component->setVisible (part.visible);
        component->setAlpha (part.alpha);

        if (auto* button = dynamic_cast<juce::Button*> (component))
            button->setToggleState (part.ticked, juce::dontSendNotification);

        if (auto* editor = dynamic_cast<juce::TextEditor*> (component))
            editor->setText (part.text, false);

        if (auto* label = dynamic_cast<juce::Label*> (component))
            label->setText (part.text, juce::dontSendNotification);

        if (auto* list = dynamic_cast<juce::ComboBox*> (component))
            list->setSelectedId (part.chosenId, juce::dontSendNotification);
    }
}
