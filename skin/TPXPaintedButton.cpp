#include "TPXPaintedButton.h"

#include <cmath>

namespace
{
constexpr int pressedLookMs = 100;
const juce::Colour initialBorderColour (0xFF00674C);
const juce::Colour initialFillColour (0xFF113A2F);
const juce::Colour initialLabelColour (0xFFF5F5F5);
} // namespace

TPXPaintedButton::TPXPaintedButton (int x, int y, int width, int height)
{
    for (auto* look : { &normalLook, &overLook, &downLook })
    {
        look->border = initialBorderColour;
        look->fill1 = look->fill2 = initialFillColour;
        look->label = initialLabelColour;
    }

    setBounds (x, y, width, height);
    setUnscaledBounds (getBounds());
}

TPXPaintedButton::~TPXPaintedButton()
{
    stopTimer();
}

void TPXPaintedButton::setToggleMode (bool shouldToggle)
{
    if (toggleMode != shouldToggle)
    {
        toggleMode = shouldToggle;
        repaint();
    }
}

void TPXPaintedButton::setCornerSize (float newCornerSize)
{
    if (cornerSize != newCornerSize)
    {
        cornerSize = newCornerSize;
        repaint();
    }
}

void TPXPaintedButton::setBorderThickness (float newThickness)
{
    if (borderThickness != newThickness)
    {
        borderThickness = newThickness;
        repaint();
    }
}

void TPXPaintedButton::setNormalAndDown (juce::Colour Look::* colour, juce::Colour normal, juce::Colour down)
{
    if (normalLook.*colour != normal || downLook.*colour != down)
    {
        normalLook.*colour = normal;
        downLook.*colour = down;
        repaint();
    }
}

void TPXPaintedButton::setBorderColours (juce::Colour normal, juce::Colour down)
{
    setNormalAndDown (&Look::border, normal, down);
}

void TPXPaintedButton::setFlatFills (juce::Colour normal, juce::Colour down)
{
    if (normalLook.fill1 != normal || downLook.fill1 != down || normalLook.gradient || downLook.gradient)
    {
        normalLook.fill1 = normal;
        downLook.fill1 = down;
        normalLook.gradient = false;
        downLook.gradient = false;
        repaint();
    }
}

void TPXPaintedButton::setLabelColours (juce::Colour normal, juce::Colour down)
{
    setNormalAndDown (&Look::label, normal, down);
}

void TPXPaintedButton::setOverLook (juce::Colour border, juce::Colour fill, juce::Colour labelColour)
{
    overLook.border = border;
    overLook.fill1 = fill;
    overLook.label = labelColour;
    overLook.gradient = false;
    overLookOn = true;
    repaint();
}

void TPXPaintedButton::setGradientNormal (juce::Colour top, juce::Colour bottom)
{
    normalLook.fill1 = top;
    normalLook.fill2 = bottom;
    normalLook.gradient = true;
    repaint();
}

void TPXPaintedButton::setGradientOver (juce::Colour top, juce::Colour bottom)
{
    overLook.fill1 = top;
    overLook.fill2 = bottom;
    overLook.gradient = true;
    repaint();
}

void TPXPaintedButton::setGradientDown (juce::Colour top, juce::Colour bottom)
{
    downLook.fill1 = top;
    downLook.fill2 = bottom;
    downLook.gradient = true;
    repaint();
}

void TPXPaintedButton::setPrimaryFont (const juce::Font* font, juce::Justification justification, float size)
{
    primaryFont = font != nullptr ? *font : juce::Font();
    labelJustification = justification;
    fontSize = size;
    repaint();
}

void TPXPaintedButton::setThirdFont (const juce::Font* font)
{
    thirdFont = font != nullptr ? *font : juce::Font();
}

void TPXPaintedButton::setSecondaryFont (const juce::Font* font)
{
    secondaryFont = font != nullptr ? *font : juce::Font();
}

void TPXPaintedButton::setLabelText (const juce::String& text)
{
    if (labelText != text)
    {
        labelText = text;
        repaint();
    }
}

void TPXPaintedButton::setLabelArea (juce::Rectangle<int> area)
{
    if (labelArea != area)
    {
        labelArea = area;
        repaint();
    }
}

void TPXPaintedButton::setOpacity (bool use, float normal, float down)
{
    if (useOpacity != use || opacityNormal != normal || opacityDown != down)
    {
        useOpacity = use;
        opacityNormal = normal;
        opacityDown = down;
        repaint();
    }
}

void TPXPaintedButton::setAlphaRule (bool use, float enabled, float disabled)
{
    // Takes effect at the next change of enablement.
    useAlphaRule = use;
    alphaEnabled = enabled;
    alphaDisabled = disabled;
}

void TPXPaintedButton::setFocusRectangle (bool shouldDraw)
{
    if (focusRectangle != shouldDraw)
    {
        focusRectangle = shouldDraw;
        repaint();
    }
}

void TPXPaintedButton::clicked()
{
    if (toggleMode)
        value = value == 0 ? 1 : 0;

    notify (tpxEventClicked);

    // The framework's timer thread takes the time it slept before a restart off the restarted
    // count too, so a second click could end the pressed look well before 100 ms. The click time
    // is what counts: the callback waits on until 100 ms have passed since the last click.
    lastClickMs = juce::Time::getMillisecondCounterHiRes();
    stopTimer();
    startTimer (pressedLookMs);
    repaint();
}

//==============================================================================
void TPXPaintedButton::mouseEnter (const juce::MouseEvent&)
{
    if (! isEnabled())
        return;

    hovered = true;
    repaint();
}

void TPXPaintedButton::mouseExit (const juce::MouseEvent&)
{
    hovered = false;

    if (isEnabled())
        repaint();
}

void TPXPaintedButton::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    if (e.mods.isRightButtonDown())
    {
        if (isSecondaryClickEnabled())
            notify (tpxEventSecondaryClick);

        return;
    }

    if (e.mods.isLeftButtonDown())
    {
        pressed = true;
        repaint();
    }
}

void TPXPaintedButton::mouseUp (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    if (getLocalBounds().contains (e.getPosition()) && ! e.mods.isRightButtonDown())
    {
        clicked();
        return;
    }

    pressed = false;
    repaint();
}

void TPXPaintedButton::enablementChanged()
{
    if (useAlphaRule)
        setAlpha (isEnabled() ? alphaEnabled : alphaDisabled);

    if (! isEnabled())
        hovered = false;

    repaint();
}

bool TPXPaintedButton::keyPressed (const juce::KeyPress& key)
{
    if (! isEnabled())
        return false;

    if (key.isKeyCode (juce::KeyPress::returnKey))
    {
        clicked();
        return true;
    }

    const auto c = key.getTextCharacter();

    if ((c == 'M' || c == 'm' || key.isKeyCode ('M')) && ! key.getModifiers().isCtrlDown()
        && isSecondaryClickEnabled())
    {
        notify (tpxEventSecondaryClick);
        return true;
    }

    return false;
}

void TPXPaintedButton::focusGained (juce::Component::FocusChangeType cause)
{
    if (cause == juce::Component::focusChangedByMouseClick || cause == juce::Component::focusChangedByTabKey)
        notify (tpxEventActivated);

    repaint();
}

void TPXPaintedButton::focusLost (juce::Component::FocusChangeType)
{
    repaint();
}

void TPXPaintedButton::timerCallback()
{
    const auto remainingMs = pressedLookMs - (juce::Time::getMillisecondCounterHiRes() - lastClickMs);

    if (remainingMs > 0.0)
    {
        startTimer (juce::jmax (1, (int) std::ceil (remainingMs)));
        return;
    }

    pressed = false;
    repaint();
    stopTimer();
}

//==============================================================================
TPXPaintedButton::Look TPXPaintedButton::chooseLook (float& fillOpacity) const
{
    fillOpacity = 1.0f;
    const auto overShown = hovered && overLookOn;

    if (toggleMode)
    {
        auto look = normalLook;

        if (useOpacity)
            fillOpacity = value == 0 ? opacityDown : opacityNormal;
        else if (value == 0)
            look = overShown ? overLook : downLook;
        else if (value == 1 && overShown)
            look = overLook;

        // In toggle mode a look takes its gradient only while the normal look has one; a look
        // without a gradient of its own is then drawn flat.
        look.gradient = normalLook.gradient && look.gradient;
        return look;
    }

    if (useOpacity)
    {
        fillOpacity = pressed ? opacityDown : opacityNormal;
        return normalLook;
    }

    if (pressed)
        return downLook;

    if (overShown)
        return overLook;

    return normalLook;
}

void TPXPaintedButton::paint (juce::Graphics& g)
{
    float fillOpacity = 1.0f;
    const auto look = chooseLook (fillOpacity);

    const auto outer = getLocalBounds().toFloat();
    const auto inner = outer.reduced (borderThickness);

    g.setColour (look.border);
    g.fillRoundedRectangle (outer, cornerSize);

    if (look.gradient)
        g.setGradientFill (juce::ColourGradient (look.fill1, inner.getX(), inner.getY(),
                                                 look.fill2, inner.getX(), inner.getBottom(), false));
    else
        g.setColour (look.fill1);

    if (useOpacity)
        g.setOpacity (fillOpacity);

    g.fillRoundedRectangle (inner, cornerSize);

    g.setColour (look.label);
    g.setFont (primaryFont.withHeight (fontSize));

    const auto textArea = labelArea.getWidth() >= 1 && labelArea.getHeight() >= 1
                              ? labelArea.toFloat()
                              : inner;
    g.drawText (labelText, textArea, labelJustification, true);

    if (focusRectangle && hasKeyboardFocus (true))
    {
        g.setColour (look.fill1.contrasting (1.0f));
        const juce::Rectangle<float> focusArea (inner.getX() + 1.0f, inner.getY() + 1.0f,
                                                juce::jmax (0.0f, inner.getWidth() - 2.0f),
                                                juce::jmax (0.0f, inner.getHeight() - 2.0f));
        g.drawRoundedRectangle (focusArea, cornerSize, 0.75f);
    }
}

//==============================================================================
int TPXPaintedButton::getParamState()
{
    return (int) (juce::int16) value;
}

float TPXPaintedButton::getParamValueFloat()
{
    return (float) value;
}

void TPXPaintedButton::setParamState (int newValue, int, int)
{
    value = newValue == 0 ? 1 : 0;

    if (toggleMode)
        repaint();
}

void TPXPaintedButton::refreshParamDisplay()
{
    repaint();
}

void TPXPaintedButton::applyScale (bool apply)
{
    applyScaleTo (*this, apply);
}
