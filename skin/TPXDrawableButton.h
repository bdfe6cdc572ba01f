#pragma once

#include "TPXEffectParam.h"
#include "TPXResizableComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** One entry of a drawable button's pop-up menu table.

    A table is read in order and has no count: it ends with the end marker that closes the top
    level. itemId is an item's id or one of the markers below.
*/
struct TPXMenuEntry
{
    static constexpr juce::int32 beginSubMenu = 0x7FFFFFFD;
    static constexpr juce::int32 endSubMenu = 0x7FFFFFFE;
    static constexpr juce::int32 endSubMenuAlternative = 0x7FFFFFFC;
    static constexpr juce::int32 separator = 0x7FFFFFFF;

    juce::int32 itemId;
    char text[384];        // zero-terminated
    juce::uint8 enabled;   // non-zero: enabled
    juce::uint8 ticked;    // non-zero: ticked
};

/** The program's image button: a juce::DrawableButton with eight state images from the skin, an
    optional label drawn over the images in per-state colours, a choice of the mouse buttons that
    press it, a dimmed disabled look and an optional right-click pop-up menu.

    Dialogs listen to it as an ordinary juce::Button. SkinManager::createDrawableButton() builds it
    from a skin Widget element; such a button is pressed by the left mouse button only.
*/
class TPXDrawableButton : public juce::DrawableButton,
                          public TPXResizableComponent,
                          public TPXEffectParam
{
public:
    /** A button that stretches its images over its bounds and is pressed by any mouse button. */
    explicit TPXDrawableButton (const juce::String& buttonName);
    ~TPXDrawableButton() override;

    /** Chooses which mouse buttons press the button. */
    void setMouseButtons (bool acceptLeft, bool acceptRight) noexcept;
    bool acceptsLeftButton() const noexcept { return leftButton; }
    bool acceptsRightButton() const noexcept { return rightButton; }

    /** Places the label over the images (creating it on the first call). A rectangle width or
        height of 0 takes the button's own. All three label colours become the given colour.
    */
    void setLabel (juce::Rectangle<int> area, juce::Justification justification, const juce::Font& font,
                   juce::Colour colour, float size);

    /** Stores the label colours for the normal, mouse-over and pressed states. */
    void setLabelColours (juce::Colour normal, juce::Colour over, juce::Colour down);

    /** The label, or null before setLabel(). */
    juce::Label* getLabel() const noexcept { return label.get(); }
    juce::Rectangle<int> getLabelArea() const noexcept { return labelArea; }
    float getLabelFontSize() const noexcept { return labelFontSize; }

    /** Enables or disables the button; when dim is true it is also drawn at 30 % opacity while
        disabled and at full opacity while enabled.
    */
    void setEnabledDimmed (bool enabled, bool dim);

    /** When set, an accepted mouse release raises event 2 (tpxEventClicked) before the click. */
    void setNotifyEnabled (bool shouldNotify) noexcept { notifyOnRelease = shouldNotify; }

    /** Gives the button a right-click menu. The table must end with the end marker of its top level
        and must outlive the button; a command manager, when given, carries out the chosen item.
    */
    void setMenuSource (const TPXMenuEntry* table, juce::ApplicationCommandManager* commandManager = nullptr) noexcept;

    /** Where and how wide the right-click menu is shown: below the button, at least its width. */
    juce::PopupMenu::Options menuOptions();

    /** Builds a pop-up menu from a menu table; a null table gives an empty menu. */
    static juce::PopupMenu buildMenu (const TPXMenuEntry* table, juce::ApplicationCommandManager* commandManager);

    //==============================================================================
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void focusGained (juce::Component::FocusChangeType cause) override;
    void clicked (const juce::ModifierKeys& modifiers) override;

    void applyScale (bool apply) override;

    /** 1 while the button is under the mouse or pressed, else 0. */
    int getParamState() override;
    int getParamAux() override { return 0; }
    float getParamValueFloat() override { return 0.0f; }

    /** A non-zero value shows the button pressed, 0 shows it normal. */
    void setParamState (int value, int aux1, int aux2) override;
    void refreshParamDisplay() override {}

private:
    using juce::Button::clicked;

    bool isAccepted (const juce::ModifierKeys& mods) const noexcept;
    void setLabelColour (juce::Colour colour);

    bool leftButton = true;
    bool rightButton = true;
    std::unique_ptr<juce::Label> label;
    juce::Rectangle<int> labelArea;
    float labelFontSize = 10.0f;
    juce::Colour labelNormalColour { juce::Colours::black };
    juce::Colour labelOverColour { juce::Colours::black };
    juce::Colour labelDownColour { juce::Colours::black };
    const TPXMenuEntry* menuSource = nullptr;
    juce::ApplicationCommandManager* menuCommandManager = nullptr;
    bool notifyOnRelease = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXDrawableButton)
};
