#pragma once

#include "TPXEffectParam_Impl.h"
#include "TPXResizableComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A button drawn entirely in code: a rounded rectangle with a border, a flat or gradient fill per
    state (normal, mouse-over, down) and a text label, with an optional toggle mode (value 0 or 1),
    opacity and alpha rules and a focus rectangle.

    It reports through its change broadcaster rather than a button listener: a click raises event 2
    (tpxEventClicked), keyboard focus by mouse or Tab event 1, a secondary click event 3. The
    backup selection dialogs build it with SkinManager::createPaintedButton().
*/
class TPXPaintedButton : public juce::Component,
                         private juce::Timer,
                         public juce::SettableTooltipClient,
                         public TPXEffectParam_Impl,
                         public TPXResizableComponent
{
public:
    TPXPaintedButton (int x, int y, int width, int height);
    ~TPXPaintedButton() override;

    void setToggleMode (bool shouldToggle);
    bool isToggleMode() const noexcept { return toggleMode; }

    void setCornerSize (float newCornerSize);
    void setBorderThickness (float newThickness);
    void setBorderColours (juce::Colour normal, juce::Colour down);

    /** Flat fills of the normal and down looks (their gradients switch off). */
    void setFlatFills (juce::Colour normal, juce::Colour down);
    void setLabelColours (juce::Colour normal, juce::Colour down);

    /** The look while the mouse is over the button; switches the over look on. */
    void setOverLook (juce::Colour border, juce::Colour fill, juce::Colour labelColour);

    void setGradientNormal (juce::Colour top, juce::Colour bottom);
    void setGradientOver (juce::Colour top, juce::Colour bottom);
    void setGradientDown (juce::Colour top, juce::Colour bottom);

    /** The font that draws the label (null gives the default font), its justification and size. */
    void setPrimaryFont (const juce::Font* font, juce::Justification justification, float size);
    void setThirdFont (const juce::Font* font);
    void setSecondaryFont (const juce::Font* font);

    void setLabelText (const juce::String& text);
    juce::String getLabelText() const { return labelText; }

    /** The area of the label text; an area narrower or lower than 1 means the inner rectangle. */
    void setLabelArea (juce::Rectangle<int> area);

    /** With use on, the fill is drawn at opacity normal, or at opacity down (pressed, or value 0
        in toggle mode).
    */
    void setOpacity (bool use, float normal, float down);

    /** With use on, every change of enablement sets the component alpha to enabled or disabled. */
    void setAlphaRule (bool use, float enabled, float disabled);

    void setFocusRectangle (bool shouldDraw);

    /** The click action: flips the value in toggle mode, raises event 2, shows the pressed look
        until 100 ms after the latest click (a second click restarts the count).
    */
    void clicked();

    int getValue() const noexcept { return value; }
    bool isPressed() const noexcept { return pressed; }
    bool isHovered() const noexcept { return hovered; }

    //==============================================================================
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void enablementChanged() override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    void focusGained (juce::Component::FocusChangeType cause) override;
    void focusLost (juce::Component::FocusChangeType cause) override;

    /** The value (0 or 1). */
    int getParamState() override;
    float getParamValueFloat() override;

    /** The value becomes 1 for an argument of 0 and 0 otherwise. */
    void setParamState (int newValue, int aux1, int aux2) override;
    void refreshParamDisplay() override;

    void applyScale (bool apply) override;

private:
    struct Look
    {
        juce::Colour border, fill1, fill2, label;
        bool gradient = false;
    };

    void timerCallback() override;
    Look chooseLook (float& fillOpacity) const;

    /** Sets one colour of the normal and the down look; repaints only when either changes. */
    void setNormalAndDown (juce::Colour Look::* colour, juce::Colour normal, juce::Colour down);

    float cornerSize = 6.0f;
    float borderThickness = 2.0f;
    Look normalLook, overLook, downLook;
    bool overLookOn = false;
    juce::String labelText { "<No Label>" };
    juce::Justification labelJustification { juce::Justification::centred };
    juce::Font primaryFont, thirdFont, secondaryFont;
    float fontSize = 12.0f;
    juce::Rectangle<int> labelArea;
    bool hovered = false;
    bool pressed = false;
    bool toggleMode = false;
    int value = 0;
    bool useOpacity = false;
    float opacityNormal = 1.0f;
    float opacityDown = 1.0f;
    bool useAlphaRule = false;
    float alphaEnabled = 1.0f;
    float alphaDisabled = 1.0f;
    bool focusRectangle = false;
    double lastClickMs = 0.0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXPaintedButton)
};
