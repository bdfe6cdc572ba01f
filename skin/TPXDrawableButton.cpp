#include "TPXDrawableButton.h"

#include <cstring>
#include <vector>

TPXDrawableButton::TPXDrawableButton (const juce::String& buttonName)
    // The skin's images are drawn at the button's size, whatever their own.
    : juce::DrawableButton (buttonName, juce::DrawableButton::ImageStretched)
{
}

TPXDrawableButton::~TPXDrawableButton()
{
    label.reset();
    menuSource = nullptr;
}

void TPXDrawableButton::setMouseButtons (bool acceptLeft, bool acceptRight) noexcept
{
    leftButton = acceptLeft;
    rightButton = acceptRight;
}

void TPXDrawableButton::setLabel (juce::Rectangle<int> area, juce::Justification justification,
                                  const juce::Font& font, juce::Colour colour, float size)
{
    if (label == nullptr)
    {
        label = std::make_unique<juce::Label> ("label", juce::String());
        label->setInterceptsMouseClicks (false, false);
        label->setAlwaysOnTop (true);
        label->setVisible (true);
        addAndMakeVisible (*label);
    }

    if (area.getWidth() == 0)
        area.setWidth (getWidth());

    if (area.getHeight() == 0)
        area.setHeight (getHeight());

    labelArea = area;
    labelFontSize = size;
    label->setBounds (area);
    label->setFont (font.withHeight (juce::jlimit (0.1f, 10000.0f, size)));
    label->setJustificationType (justification);
    label->setColour (juce::Label::textColourId, colour);
    labelNormalColour = labelOverColour = labelDownColour = colour;
}

void TPXDrawableButton::setLabelColours (juce::Colour normal, juce::Colour over, juce::Colour down)
{
    labelNormalColour = normal;
    labelOverColour = over;
    labelDownColour = down;

    if (label != nullptr)
        label->setColour (juce::Label::textColourId, isOver() ? labelOverColour : labelNormalColour);

    repaint();
}

void TPXDrawableButton::setEnabledDimmed (bool enabled, bool dim)
{
    if (dim)
        setAlpha (enabled ? 1.0f : 0.3f);

    setEnabled (enabled);
}

void TPXDrawableButton::setMenuSource (const TPXMenuEntry* table, juce::ApplicationCommandManager* commandManager) noexcept
{
    menuSource = table;
    menuCommandManager = commandManager;
}

juce::PopupMenu TPXDrawableButton::buildMenu (const TPXMenuEntry* table, juce::ApplicationCommandManager* commandManager)
{
    struct OpenMenu
    {
        juce::PopupMenu menu;
        juce::String text;
    };

    std::vector<OpenMenu> stack (1);

    if (table == nullptr)
        return {};

    for (auto* entry = table;; ++entry)
    {
        const auto text = juce::String::fromUTF8 (entry->text, (int) strnlen (entry->text, sizeof (entry->text)));

        switch (entry->itemId)
        {
            case TPXMenuEntry::beginSubMenu:
                stack.push_back ({ {}, text });
                break;

            case TPXMenuEntry::endSubMenu:
            case TPXMenuEntry::endSubMenuAlternative:
            {
                if (stack.size() == 1)
                    return std::move (stack.front().menu);

                auto finished = std::move (stack.back());
                stack.pop_back();
                stack.back().menu.addSubMenu (finished.text, std::move (finished.menu));
                break;
            }

            case TPXMenuEntry::separator:
                stack.back().menu.addSeparator();
                break;

            default:
                if (commandManager == nullptr)
                    stack.back().menu.addItem (entry->itemId, text, entry->enabled != 0, entry->ticked != 0);
                else
                    stack.back().menu.addCommandItem (commandManager, entry->itemId, text);

                break;
        }
    }
}

juce::PopupMenu::Options TPXDrawableButton::menuOptions()
{
    // The menu opens below the button and is at least as wide as it.
    return juce::PopupMenu::Options().withTargetComponent (this)
                                     .withMinimumWidth (getWidth())
                                     .withMaximumNumColumns (1);
}

bool TPXDrawableButton::isAccepted (const juce::ModifierKeys& mods) const noexcept
{
    return (leftButton && rightButton)
        || (leftButton && mods.isLeftButtonDown())
        || (rightButton && mods.isRightButtonDown());
}

void TPXDrawableButton::setLabelColour (juce::Colour colour)
{
    if (label != nullptr)
        label->setColour (juce::Label::textColourId, colour);
}

void TPXDrawableButton::mouseEnter (const juce::MouseEvent& e)
{
    setLabelColour (labelOverColour);
    juce::DrawableButton::mouseEnter (e);
}

void TPXDrawableButton::mouseExit (const juce::MouseEvent& e)
{
    setLabelColour (labelNormalColour);
    juce::DrawableButton::mouseExit (e);
}

void TPXDrawableButton::mouseDown (const juce::MouseEvent& e)
{
    setLabelColour (labelDownColour);

    if (isAccepted (e.mods))
        juce::DrawableButton::mouseDown (e);
}

void TPXDrawableButton::mouseDrag (const juce::MouseEvent& e)
{
    if (isAccepted (e.mods))
        juce::DrawableButton::mouseDrag (e);
}

void TPXDrawableButton::mouseUp (const juce::MouseEvent& e)
{
    if (! isAccepted (e.mods))
        return;

    if (notifyOnRelease)
        notify (tpxEventClicked);

    juce::DrawableButton::mouseUp (e);
}

void TPXDrawableButton::focusGained (juce::Component::FocusChangeType cause)
{
    if (cause == juce::Component::focusChangedByMouseClick
        && ! isAccepted (juce::ModifierKeys::getCurrentModifiers()))
    {
        setState (juce::Button::buttonOver);
        repaint();
        return;
    }

    juce::DrawableButton::focusGained (cause);
}

void TPXDrawableButton::clicked (const juce::ModifierKeys& modifiers)
{
    if (modifiers.isRightButtonDown() && menuSource != nullptr)
    {
        auto menu = buildMenu (menuSource, menuCommandManager);
        const auto options = menuOptions();
       #if JUCE_MODAL_LOOPS_PERMITTED
        menu.showMenu (options);
       #else
        menu.showMenuAsync (options);
       #endif
    }

    juce::DrawableButton::clicked (modifiers);
}

void TPXDrawableButton::applyScale (bool apply)
{
    applyScaleTo (*this, apply);
}

int TPXDrawableButton::getParamState()
{
    return getState() != juce::Button::buttonNormal ? 1 : 0;
}

void TPXDrawableButton::setParamState (int value, int, int)
{
    setState (value != 0 ? juce::Button::buttonDown : juce::Button::buttonNormal);
}
