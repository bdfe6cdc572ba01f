#include "TPXMultiLineLabelComponent.h"

#include "SkinManager.h"

TPXMultiLineLabelComponent::TPXMultiLineLabelComponent (const SkinManager* skin, int x, int y, int width, int height,
                                                        const juce::String& editorName, const juce::String& text,
                                                        juce::Colour backgroundColour, juce::Colour textColour,
                                                        const juce::String& typefaceName, float fontSize)
    : layoutWidth (width), layoutHeight (height), labelFont (getFont())
{
    setColour (juce::TextEditor::textColourId, textColour);
    setColour (juce::TextEditor::highlightedTextColourId, textColour);
    setColour (juce::TextEditor::backgroundColourId, backgroundColour);
    setColour (juce::TextEditor::highlightColourId, backgroundColour);
    setColour (juce::TextEditor::shadowColourId, backgroundColour);
    setName (editorName);
    setBounds (x, y, width, height);
    setMultiLine (true);
    setReadOnly (true);
    setWantsKeyboardFocus (false);   // a text to read: Tab passes over it
    setMouseCursor (juce::MouseCursor::NormalCursor);

    if (skin != nullptr && typefaceName.isNotEmpty())
    {
        labelFont = skin->getFont (typefaceName, fontSize);
        setFont (labelFont);
    }

    setText (text, false);
}
