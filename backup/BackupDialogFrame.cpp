#include "BackupDialogFrame.h"

#include "DialogKeyboard.h"
#include "MorvaneLookAndFeel.h"
#include "OwnedWindows.h"
#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXEffectParam.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXSpinControl.h"

namespace
{
BackupDialogFrame::WarningHandler& warningHandler()
{
    static BackupDialogFrame::WarningHandler handler;
    return handler;
}

juce::Component::SafePointer<juce::Component>& lastFocusTarget()
{
    static juce::Component::SafePointer<juce::Component> target;
    return target;
}

int readInt (const juce::XmlElement& widget, const char* key, int fallback)
{
    return widget.hasAttribute (key) ? widget.getStringAttribute (key).getIntValue() : fallback;
}
} // namespace

void BackupDialogFrame::setWarningHandler (WarningHandler handler)
{
    warningHandler() = std::move (handler);
}

void BackupDialogFrame::showWarning (const juce::String& text)
{
    if (auto& handler = warningHandler())
    {
        handler (text);
        return;
    }

    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, "Morvane", text, {}, nullptr);
}

//==============================================================================
const juce::XmlElement* BackupDialogFrame::getSection (const SkinManager* skin, const juce::String& name)
{
    return skin != nullptr ? skin->getSection (name) : nullptr;
}

void BackupDialogFrame::buildWidgets (juce::Component& dialog, const juce::XmlElement& section, const WidgetBuilder& build)
{
    for (auto* widget : section.getChildWithTagNameIterator ("Widget"))
        if (auto* built = build (*widget, widget->getStringAttribute ("name")))
            dialog.addAndMakeVisible (built);
}

std::unique_ptr<TPXPaintedButton> BackupDialogFrame::makeGroupButton (const SkinManager& skin, const juce::XmlElement& widget,
                                                                      const juce::String& name, juce::ChangeListener& listener)
{
    auto button = skin.createPaintedButton (&widget, name);
    button->setName (name);
    button->setWantsKeyboardFocus (true);   // Tab reaches it; Return and Space press it
    button->addChangeListener (&listener);
    return button;
}

juce::Component* BackupDialogFrame::makeGroupButtonNamed (const SkinManager& skin, const juce::XmlElement& widget,
                                                          const juce::String& name, juce::ChangeListener& listener,
                                                          std::unique_ptr<TPXPaintedButton> (&groupButtons)[3])
{
    static const char* const names[] = { "selectAllButton", "deselectAllButton", "invertSelectionButton" };

    for (int operation = 0; operation < 3; ++operation)
    {
        if (name == names[operation])
        {
            groupButtons[operation] = makeGroupButton (skin, widget, name, listener);
            return groupButtons[operation].get();
        }
    }

    return nullptr;
}

juce::Component* BackupDialogFrame::makeOkayCancelOrRectangle (const SkinManager& skin, const juce::XmlElement& widget,
                                                               const juce::String& name, juce::Button::Listener& listener,
                                                               std::unique_ptr<TPXDrawableButton>& okayButton,
                                                               std::unique_ptr<TPXDrawableButton>& cancelButton,
                                                               std::unique_ptr<TPXLabelComponent>& rectangle, int shiftY)
{
    if (name == "rectangle")
    {
        rectangle = skin.createLabel (&widget, name);
        rectangle->setTopLeftPosition (rectangle->getX(), rectangle->getY() + shiftY);
        rectangle->setEditable (false);
        return rectangle.get();
    }

    if (name != "okayButton" && name != "cancelButton")
        return nullptr;

    auto& button = name == "okayButton" ? okayButton : cancelButton;
    button = skin.createDrawableButton (&widget, name);
    button->setTopLeftPosition (button->getX(), button->getY() + shiftY);
    button->addListener (&listener);

    if (name == "okayButton")
        DialogKeyboard::setDefaultButton (*button);

    return button.get();
}

//==============================================================================
juce::Rectangle<int> BackupDialogFrame::readRectangle (const juce::XmlElement& widget, const juce::String& key)
{
    return SkinManager::parseRectangle (widget.getStringAttribute (key));
}

juce::Colour BackupDialogFrame::readColour (const juce::XmlElement& widget, const juce::String& key)
{
    return juce::Colour ((juce::uint32) widget.getStringAttribute (key).getHexValue32());
}

std::unique_ptr<juce::ToggleButton> BackupDialogFrame::makeToggle (const juce::XmlElement& widget, int radioGroup,
                                                                   bool initialState, int shiftY)
{
    auto toggle = std::make_unique<juce::ToggleButton> (widget.getStringAttribute ("text"));
    toggle->setName (widget.getStringAttribute ("name"));
    toggle->setColour (juce::TextEditor::focusedOutlineColourId, readColour (widget, "focusedOutlineColor"));
    toggle->setColour (juce::TextButton::buttonColourId, readColour (widget, "buttonColor"));
    toggle->setBounds (readRectangle (widget, "toggleRect").translated (0, shiftY));
    toggle->setRadioGroupId (radioGroup, juce::dontSendNotification);
    toggle->setToggleState (initialState, juce::dontSendNotification);
    return toggle;
}

std::unique_ptr<TPXMultiLineLabelComponent> BackupDialogFrame::makeTextLabel (const SkinManager* skin,
                                                                              const juce::XmlElement& widget,
                                                                              int shiftY)
{
    auto label = std::make_unique<TPXMultiLineLabelComponent> (skin,
                                                               readInt (widget, "positionX", 0),
                                                               readInt (widget, "positionY", 0) + shiftY,
                                                               readInt (widget, "width", 0),
                                                               readInt (widget, "height", 0),
                                                               widget.getStringAttribute ("name"),
                                                               widget.getStringAttribute ("text"),
                                                               readColour (widget, "backgroundColor"),
                                                               readColour (widget, "fontColor"),
                                                               juce::String(), 0.0f);
    label->setName (widget.getStringAttribute ("name"));
    return label;
}

std::unique_ptr<TPXSpinControl> BackupDialogFrame::makeSpin (const SkinManager* skin, const juce::XmlElement& widget,
                                                             const SpinSettings& settings, int shiftY)
{
    const auto minimum = settings.readMinimum ? readInt (widget, "minVal", settings.minimum) : settings.minimum;
    const auto maximum = settings.readMaximum ? readInt (widget, "maxVal", settings.maximum) : settings.maximum;
    const auto initial = settings.readInitialValue ? readInt (widget, "initialValue", settings.initialValue)
                                                   : settings.initialValue;
    const auto length = settings.readMaximumLength ? readInt (widget, "maxChars", settings.maximumLength)
                                                   : settings.maximumLength;

    auto spin = std::make_unique<TPXSpinControl> (skin, readInt (widget, "width", 60), minimum, maximum,
                                                  readInt (widget, "interval", 1), initial,
                                                  settings.allowedCharacters, length, settings.displayMode);
    spin->setName (widget.getStringAttribute ("name"));
    spin->setBounds (readRectangle (widget, "spinControlRect").translated (0, shiftY));
    return spin;
}

void BackupDialogFrame::setSpinRange (TPXSpinControl& spin, int minimum, int maximum, bool keepInRange)
{
    spin.setInterval (1);
    spin.setRange (minimum, maximum);

    if (keepInRange && (spin.getValue() < minimum || spin.getValue() > maximum))
        spin.setValue (minimum);
}

bool BackupDialogFrame::isWithinRange (const TPXSpinControl& spin, juce::int64 value)
{
    return value >= spin.getMinimum() && value <= spin.getMaximum();
}

//==============================================================================
bool BackupDialogFrame::isOn (const std::unique_ptr<juce::ToggleButton>& toggle) noexcept
{
    return toggle != nullptr && toggle->getToggleState();
}

juce::uint8 BackupDialogFrame::flag (const std::unique_ptr<juce::ToggleButton>& toggle) noexcept
{
    return isOn (toggle) ? 1 : 0;
}

//==============================================================================
void BackupDialogFrame::selectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr)
            toggle->setToggleState (true, juce::dontSendNotification);
}

void BackupDialogFrame::deselectAllToggles (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr)
            toggle->setToggleState (false, juce::dontSendNotification);
}

void BackupDialogFrame::invertToggleSelection (const juce::Array<juce::ToggleButton*>& toggles)
{
    for (auto* toggle : toggles)
        if (toggle != nullptr)
            toggle->setToggleState (! toggle->getToggleState(), juce::dontSendNotification);
}

void BackupDialogFrame::applyGroupOperation (int operation, const juce::Array<juce::ToggleButton*>& toggles)
{
    if (operation == 0)
        selectAllToggles (toggles);
    else if (operation == 1)
        deselectAllToggles (toggles);
    else
        invertToggleSelection (toggles);
}

int BackupDialogFrame::clickedGroupOperation (const juce::ChangeBroadcaster* source,
                                              const std::unique_ptr<TPXPaintedButton> (&groupButtons)[3])
{
    for (int operation = 0; operation < 3; ++operation)
    {
        auto* button = groupButtons[operation].get();

        if (button != nullptr && source == static_cast<juce::ChangeBroadcaster*> (button))
            return button->getEventCode() == tpxEventClicked ? operation : -1;
    }

    return -1;
}

bool BackupDialogFrame::focusOkayIfConfirmed (TPXSpinControl& spin, juce::Component* okayButton)
{
    if (! spin.wasConfirmed())
        return false;

    focus (okayButton);
    return true;
}

juce::String BackupDialogFrame::rangeText (const juce::String& what, const TPXSpinControl& spin)
{
    return "Please enter a valid " + what + " number between " + juce::String (spin.getMinimum()) + " and "
         + juce::String (spin.getMaximum());
}

bool BackupDialogFrame::rejectSpinValue (const juce::String& text, TPXSpinControl* spin)
{
    showWarning (text);
    focusSpin (spin);
    return false;
}

void BackupDialogFrame::closeDialog (juce::Component& dialog, int result)
{
    if (auto* window = dialog.findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState (result);
}

void BackupDialogFrame::focusSpin (TPXSpinControl* spin)
{
    if (spin != nullptr)
        focus (&spin->getEditor());
}

void BackupDialogFrame::focus (juce::Component* component)
{
    if (component == nullptr)
        return;

    component->setWantsKeyboardFocus (true);
    lastFocusTarget() = component;

    if (component->isShowing())
        component->grabKeyboardFocus();
}

juce::Component* BackupDialogFrame::getLastFocusTarget()
{
    return lastFocusTarget().getComponent();
}

void BackupDialogFrame::setEnabled (std::initializer_list<juce::Component*> components, bool enabled)
{
    for (auto* component : components)
        if (component != nullptr)
            component->setEnabled (enabled);
}

void BackupDialogFrame::paintBody (juce::Component& dialog, juce::Graphics& g)
{
    auto* skinned = dynamic_cast<MorvaneLookAndFeel*> (&dialog.getLookAndFeel());
    g.fillAll (skinned != nullptr ? skinned->getDialogLook().background : DialogLook().background);
}

void BackupDialogFrame::belongToMainWindow (juce::Component& dialog)
{
    OwnedWindows::markAsDialog (dialog);
}
