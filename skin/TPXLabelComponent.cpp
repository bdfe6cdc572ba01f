#include "TPXLabelComponent.h"

#include <cmath>

#include "SkinManager.h"

TPXLabelComponent::TPXLabelComponent (const SkinManager* skin, int x, int y, int width, int height,
                                      const juce::String& labelName, const juce::String& text,
                                      const juce::String& typefaceName, float size, juce::Colour textColour,
                                      juce::Justification textJustification)
{
    // A size that is not finite counts as missing (0), which gives the smallest height.
    size = std::isfinite (size) ? size : 0.0f;
    const auto height01 = juce::jlimit (0.1f, 10000.0f, size);
    const auto labelFont = skin != nullptr && typefaceName.isNotEmpty() ? skin->getFont (typefaceName, height01)
                                                                        : juce::Font (height01);

    setName (labelName);
    setText (text, juce::dontSendNotification);
    fontSize = size;
    layoutWidth = width;
    layoutHeight = height;
    setColour (juce::Label::textColourId, textColour);

    normalTextColour = selectedTextColour = overTextColour = findColour (juce::Label::textColourId);
    normalBackgroundColour = selectedBackgroundColour = overBackgroundColour
        = findColour (juce::Label::backgroundColourId);

    setFont (labelFont);
    setJustificationType (textJustification);
    setSize (width, height);
    setTopLeftPosition (x, y);
}

void TPXLabelComponent::setStateColours (juce::Colour normalText, juce::Colour normalBackground,
                                         juce::Colour selectedText, juce::Colour selectedBackground,
                                         juce::Colour overText, juce::Colour overBackground)
{
    normalTextColour = normalText;
    normalBackgroundColour = normalBackground;
    selectedTextColour = selectedText;
    selectedBackgroundColour = selectedBackground;
    overTextColour = overText;
    overBackgroundColour = overBackground;
    stateColoursOn = true;
    updateStateColours();
    repaint();
}

void TPXLabelComponent::updateStateColours()
{
    if (! stateColoursOn)
        return;

    if (selected)
    {
        setColour (juce::Label::textColourId, selectedTextColour);
        setColour (juce::Label::backgroundColourId, selectedBackgroundColour);
    }
    else if (mouseOver)
    {
        setColour (juce::Label::textColourId, overTextColour);
        setColour (juce::Label::backgroundColourId, overBackgroundColour);
    }
    else
    {
        setColour (juce::Label::textColourId, normalTextColour);
        setColour (juce::Label::backgroundColourId, normalBackgroundColour);
    }
}

void TPXLabelComponent::setSelected (bool shouldBeSelected)
{
    if (selected != shouldBeSelected)
    {
        selected = shouldBeSelected;
        updateStateColours();
        repaint();
    }
}

void TPXLabelComponent::setUseAlpha (bool shouldUseAlpha)
{
    if (useAlpha != shouldUseAlpha)
    {
        useAlpha = shouldUseAlpha;
        repaint();
    }
}

void TPXLabelComponent::setDisabledAlpha (float alpha)
{
    if (disabledAlpha != alpha)
    {
        disabledAlpha = alpha;
        repaint();
    }
}

void TPXLabelComponent::setMaximumLines (int maximumLines)
{
    if (maximumLineCount != maximumLines)
    {
        maximumLineCount = maximumLines;
        repaint();
    }
}

void TPXLabelComponent::setInputRestrictions (int maximumLength, const juce::String& allowedCharacters)
{
    restrictInput = true;
    inputMaximumLength = maximumLength;
    inputAllowedCharacters = allowedCharacters;
}

void TPXLabelComponent::setRule (bool shouldShow, int endStyle, juce::Colour colour, float thickness)
{
    ruleOn = shouldShow;
    ruleEndStyle = endStyle;
    ruleColour = colour;
    ruleThickness = thickness;
    repaint();
}

void TPXLabelComponent::setImage (const juce::Image& image, juce::Rectangle<int> area)
{
    backgroundImage = image;
    imageArea = area;
    repaint();
}

juce::TextEditor* TPXLabelComponent::createEditorComponent()
{
    auto* textEditor = juce::Label::createEditorComponent();

    if (restrictInput && textEditor != nullptr)
        textEditor->setInputRestrictions (inputMaximumLength, inputAllowedCharacters);

    return textEditor;
}

//==============================================================================
void TPXLabelComponent::setMouseOver (bool candidate)
{
    const auto over = candidate && isEnabled() && isVisible() && ! isCurrentlyBlockedByAnotherModalComponent();

    if (over != mouseOver)
    {
        mouseOver = over;
        updateStateColours();
        repaint();
    }
}

void TPXLabelComponent::mouseEnter (const juce::MouseEvent&)
{
    setMouseOver (true);
}

void TPXLabelComponent::mouseExit (const juce::MouseEvent&)
{
    setMouseOver (false);
}

void TPXLabelComponent::mouseDown (const juce::MouseEvent&)
{
    setMouseOver (true);

    if (isEnabled() && notifyOnPress)
        notify (tpxEventActivated);
}

void TPXLabelComponent::mouseUp (const juce::MouseEvent& e)
{
    setMouseOver (isMouseOver());
    juce::Label::mouseUp (e);
}

void TPXLabelComponent::focusGained (juce::Component::FocusChangeType cause)
{
    setMouseOver (isMouseOver() || isMouseButtonDown());
    juce::Label::focusGained (cause);
}

void TPXLabelComponent::focusLost (juce::Component::FocusChangeType)
{
    setMouseOver (isMouseOver() || isMouseButtonDown());
}

void TPXLabelComponent::visibilityChanged()
{
    setMouseOver (isMouseOver() || isMouseButtonDown());
}

void TPXLabelComponent::enablementChanged()
{
    setMouseOver (isMouseOver() || isMouseButtonDown());
    repaint();
}

//==============================================================================
void TPXLabelComponent::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::Label::backgroundColourId));

    if (backgroundImage.isValid())
        g.drawImage (backgroundImage, imageArea.toFloat());

    if (! isBeingEdited())
    {
        const auto alpha = (! isEnabled() && useAlpha) ? disabledAlpha : 1.0f;
        const auto labelFont = getFont();

        g.setFont (labelFont);
        g.setColour (findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));

        const auto textArea = getBorderSize().subtractedFrom (getLocalBounds());
        const auto lines = maximumLineCount >= 0
                               ? maximumLineCount
                               : juce::jmax (1, (int) ((float) textArea.getHeight() / labelFont.getHeight()));

        g.drawFittedText (getText(), textArea, getJustificationType(), lines, getMinimumHorizontalScale());
        g.setColour (findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (isEnabled())
    {
        g.setColour (findColour (juce::Label::outlineColourId));
    }

    g.drawRect (getLocalBounds(), 1);

    if (ruleOn)
        drawRule (g);
}

void TPXLabelComponent::drawRule (juce::Graphics& g)
{
    const auto width = (float) getWidth();
    const auto height = (float) getHeight();
    const auto ruleY = height * 0.5f;
    const auto textWidth = getFont().getStringWidthFloat (getText() + "  ");
    const auto textJustification = getJustificationType();

    g.setColour (ruleColour);

    auto drawEndTick = [&] (float x)
    {
        if (ruleEndStyle == 0)
            g.drawLine (x, height, x, ruleY, ruleThickness);
        else if (ruleEndStyle == 1)
            g.drawLine (x, 0.0f, x, ruleY, ruleThickness);
    };

    if (textJustification.testFlags (juce::Justification::horizontallyCentred))
    {
        const auto textLeft = width * 0.5f - textWidth * 0.5f;
        g.drawLine (0.0f, ruleY, textLeft, ruleY, ruleThickness);
        g.drawLine (textLeft + textWidth, ruleY, width, ruleY, ruleThickness);
        drawEndTick (0.0f);
        drawEndTick (width);
    }
    else if (textJustification.testFlags (juce::Justification::right))
    {
        g.drawLine (0.0f, ruleY, width - textWidth, ruleY, ruleThickness);
        drawEndTick (0.0f);
    }
    else if (textJustification.testFlags (juce::Justification::left))
    {
        g.drawLine (textWidth, ruleY, width, ruleY, ruleThickness);
        drawEndTick (width);
    }
}

void TPXLabelComponent::applyScale (bool apply)
{
    applyScaleTo (*this, apply);
}
