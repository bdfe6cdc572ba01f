#pragma once

#include "TPXEffectParam.h"
#include "TPXResizableComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

class SkinManager;

/** A single-line text widget with a skin typeface, optional per-state colours (normal, selected,
    mouse-over), a configurable dimming of disabled text and its own painting.

    The dialogs use it for captions, values and status texts; SkinManager::createLabel() builds it
    from a skin Widget element.
*/
class TPXLabelComponent : public juce::Label,
                          public TPXResizableComponent,
                          public TPXEffectParam
{
public:
    /** Builds the label at (x, y, width, height). The font is the skin typeface typefaceName when
        a skin is given and the name is not empty, else the default font, at fontSize.
    */
    TPXLabelComponent (const SkinManager* skin, int x, int y, int width, int height,
                       const juce::String& labelName, const juce::String& text,
                       const juce::String& typefaceName, float fontSize, juce::Colour textColour,
                       juce::Justification textJustification);
    ~TPXLabelComponent() override = default;

    /** Stores the colours of the three states, switches state colours on, applies them and repaints. */
    void setStateColours (juce::Colour normalText, juce::Colour normalBackground,
                          juce::Colour selectedText, juce::Colour selectedBackground,
                          juce::Colour overText, juce::Colour overBackground);

    /** When state colours are on, applies the pair of the current state (selected, else
        mouse-over, else normal) as the label's text and background colours.
    */
    void updateStateColours();

    bool hasStateColours() const noexcept { return stateColoursOn; }
    bool isMouseOverLabel() const noexcept { return mouseOver; }

    /** Marks the label as selected (its selected colours then win over the others). */
    void setSelected (bool shouldBeSelected);
    bool isSelected() const noexcept { return selected; }

    /** When on (the default), disabled text is drawn at the disabled alpha (0.5). */
    void setUseAlpha (bool shouldUseAlpha);
    bool getUseAlpha() const noexcept { return useAlpha; }
    void setDisabledAlpha (float alpha);

    /** The number of lines the text may take; -1 (the default) means as many as fit. */
    void setMaximumLines (int maximumLines);

    /** Restricts what the label's editor accepts (length 0 means no limit). */
    void setInputRestrictions (int maximumLength, const juce::String& allowedCharacters);

    /** A heading rule beside the text at half the label's height. End style 0 draws a tick up from
        the bottom edge at the outer end, 1 a tick down from the top edge, 2 none.
    */
    void setRule (bool shouldShow, int endStyle, juce::Colour colour, float thickness);

    /** An image drawn behind the text, scaled into area. */
    void setImage (const juce::Image& image, juce::Rectangle<int> area);

    /** When set, a mouse press on the enabled label raises event 1 (tpxEventActivated). */
    void setNotifyEnabled (bool shouldNotify) noexcept { notifyOnPress = shouldNotify; }

    float getFontSize() const noexcept { return fontSize; }

    //==============================================================================
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void visibilityChanged() override;
    void enablementChanged() override;
    void paint (juce::Graphics&) override;
    void focusGained (juce::Component::FocusChangeType cause) override;
    void focusLost (juce::Component::FocusChangeType cause) override;

    void applyScale (bool apply) override;

    int getParamState() override { return 0; }
    int getParamAux() override { return 0; }
    float getParamValueFloat() override { return 0.0f; }
    void setParamState (int, int, int) override {}
    void refreshParamDisplay() override {}

protected:
    juce::TextEditor* createEditorComponent() override;

private:
    void setMouseOver (bool candidate);
    void drawRule (juce::Graphics&);

    float fontSize = 12.0f;
    int layoutWidth = 0;
    int layoutHeight = 0;
    int maximumLineCount = -1;

    bool restrictInput = false;
    int inputMaximumLength = 0;
    juce::String inputAllowedCharacters;

    bool mouseOver = false;
    bool selected = false;
    bool useAlpha = true;
    float disabledAlpha = 0.5f;

    bool stateColoursOn = false;
    juce::Colour normalTextColour, normalBackgroundColour;
    juce::Colour selectedTextColour, selectedBackgroundColour;
    juce::Colour overTextColour, overBackgroundColour;

    bool ruleOn = false;
    int ruleEndStyle = 2;
    juce::Colour ruleColour;
    float ruleThickness = 0.0f;

    juce::Image backgroundImage;
    juce::Rectangle<int> imageArea;

    bool notifyOnPress = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXLabelComponent)
};
