#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SkinManager;
class TPXDrawableButton;
class TPXLabelComponent;
class TPXMultiLineLabelComponent;
class TPXPaintedButton;
class TPXSpinControl;

/** What the five backup selection dialogs share: walking the Widget elements of their skin
    section, building their toggles, text labels, spin controls, group buttons, OK, Cancel and
    "rectangle" from them, the group operations of the select-all, deselect-all and invert
    buttons, OK and Cancel closing the enclosing dialog window, and showing a failed check.

    Numbers in a Widget element are read as integers and colours as hexadecimal ARGB digits.
    Message thread only.
*/
class BackupDialogFrame
{
public:
    /** Shows a failed check's text; the default is a modal warning box titled "Morvane". */
    using WarningHandler = std::function<void (const juce::String& text)>;

    /** Replaces how failed checks are shown (tests); nullptr restores the warning box. */
    static void setWarningHandler (WarningHandler handler);

    /** Shows the text as a failed check. */
    static void showWarning (const juce::String& text);

    //==============================================================================
    /** The dialog's skin section; null without a skin or without the section. */
    static const juce::XmlElement* getSection (const SkinManager* skin, const juce::String& name);

    /** Builds one widget from its Widget element and name; returns the component to add to the
        dialog and make visible, or null (an unknown name, or a widget the builder adds itself).
    */
    using WidgetBuilder = std::function<juce::Component* (const juce::XmlElement& widget, const juce::String& name)>;

    /** Hands every Widget element of the section, in document order, to the builder and adds what
        it returns to the dialog, visible.
    */
    static void buildWidgets (juce::Component& dialog, const juce::XmlElement& section, const WidgetBuilder& build);

    /** A painted group button named after the element, with the listener. */
    static std::unique_ptr<TPXPaintedButton> makeGroupButton (const SkinManager& skin, const juce::XmlElement& widget,
                                                              const juce::String& name, juce::ChangeListener& listener);

    /** For the names "selectAllButton", "deselectAllButton" and "invertSelectionButton" the group
        button of that operation, held in groupButtons; returns it, or null (building nothing) for
        any other name.
    */
    static juce::Component* makeGroupButtonNamed (const SkinManager& skin, const juce::XmlElement& widget,
                                                  const juce::String& name, juce::ChangeListener& listener,
                                                  std::unique_ptr<TPXPaintedButton> (&groupButtons)[3]);

    /** For the names "okayButton" and "cancelButton" a drawable button with the listener, for
        "rectangle" a label that is not editable, each moved down by shiftY and held in its member;
        returns it, or null (building nothing) for any other name.
    */
    static juce::Component* makeOkayCancelOrRectangle (const SkinManager& skin, const juce::XmlElement& widget,
                                                       const juce::String& name, juce::Button::Listener& listener,
                                                       std::unique_ptr<TPXDrawableButton>& okayButton,
                                                       std::unique_ptr<TPXDrawableButton>& cancelButton,
                                                       std::unique_ptr<TPXLabelComponent>& rectangle, int shiftY = 0);

    /** A juce::ToggleButton from the keys "text", "focusedOutlineColor", "buttonColor" and
        "toggleRect" (its y moved down by shiftY), named after the element's "name", in the radio
        group (0 for none), with the given state and without notification.
    */
    static std::unique_ptr<juce::ToggleButton> makeToggle (const juce::XmlElement& widget, int radioGroup,
                                                           bool initialState, int shiftY = 0);

    /** A read-only multi-line text from the keys "text", "fontColor", "backgroundColor",
        "positionX", "positionY" (moved down by shiftY), "width" and "height".
    */
    static std::unique_ptr<TPXMultiLineLabelComponent> makeTextLabel (const SkinManager* skin,
                                                                      const juce::XmlElement& widget,
                                                                      int shiftY = 0);

    /** The spin control keys that a dialog reads from an element; the others take the defaults. */
    struct SpinSettings
    {
        juce::String allowedCharacters { "1234567890" };
        int displayMode = 0;
        int minimum = 0, maximum = 0, initialValue = 0, maximumLength = 0;
        bool readMinimum = true, readMaximum = true, readInitialValue = true, readMaximumLength = true;
    };

    /** A TPXSpinControl from "width", "interval", "spinControlRect" (its y moved down by shiftY)
        and the keys that the settings ask for, named after the element's "name".
    */
    static std::unique_ptr<TPXSpinControl> makeSpin (const SkinManager* skin, const juce::XmlElement& widget,
                                                     const SpinSettings& settings, int shiftY = 0);

    /** Fills the dialog with the dialogs' body colour (the skin's DialogSkin, through the
        look-and-feel), the colour of the console's pages.
    */
    static void paintBody (juce::Component& dialog, juce::Graphics& g);

    /** Makes the dialog's window a dialog of the main window; called as the dialog joins a
        window, before the window shows.
    */
    static void belongToMainWindow (juce::Component& dialog);

    /** The rectangle that a key holds ("x y width height"). */
    static juce::Rectangle<int> readRectangle (const juce::XmlElement& widget, const juce::String& key);

    /** A colour key as hexadecimal ARGB digits. */
    static juce::Colour readColour (const juce::XmlElement& widget, const juce::String& key);

    /** Sets the spin's step to 1 and its range; with keepInRange a value outside the range
        becomes the minimum.
    */
    static void setSpinRange (TPXSpinControl& spin, int minimum, int maximum, bool keepInRange);

    /** True when the value lies within the spin's minimum and maximum. */
    static bool isWithinRange (const TPXSpinControl& spin, juce::int64 value);

    //==============================================================================
    /** True when the toggle exists and is on. */
    static bool isOn (const std::unique_ptr<juce::ToggleButton>& toggle) noexcept;

    /** The toggle's record flag: 1 when it exists and is on, else 0. */
    static juce::uint8 flag (const std::unique_ptr<juce::ToggleButton>& toggle) noexcept;

    /** The index of the mode toggle that the click turned on, or -1 (another button, or a toggle
        turned off).
    */
    template <size_t numModes>
    static int clickedMode (const juce::Button* button, const std::unique_ptr<juce::ToggleButton> (&modeToggles)[numModes])
    {
        for (size_t i = 0; i < numModes; ++i)
            if (button != nullptr && button == modeToggles[i].get() && button->getToggleState())
                return (int) i;

        return -1;
    }

    /** Turns the mode toggle at index on and every other one off, without notification. */
    template <size_t numModes>
    static void selectOnly (std::unique_ptr<juce::ToggleButton> (&modeToggles)[numModes], int index)
    {
        for (size_t i = 0; i < numModes; ++i)
            if (modeToggles[i] != nullptr)
                modeToggles[i]->setToggleState ((int) i == index, juce::dontSendNotification);
    }

    //==============================================================================
    /** Turns every non-null toggle on, off, or flips it, without notification. */
    static void selectAllToggles (const juce::Array<juce::ToggleButton*>& toggles);
    static void deselectAllToggles (const juce::Array<juce::ToggleButton*>& toggles);
    static void invertToggleSelection (const juce::Array<juce::ToggleButton*>& toggles);

    /** What a group button does to its group: 0 selects every toggle, 1 deselects them, any
        other value flips them.
    */
    static void applyGroupOperation (int operation, const juce::Array<juce::ToggleButton*>& toggles);

    /** The operation (0 select all, 1 deselect all, 2 invert) of the group button that sent the
        change message for a click; -1 when the source is none of the three buttons or the
        message is not a click.
    */
    static int clickedGroupOperation (const juce::ChangeBroadcaster* source,
                                      const std::unique_ptr<TPXPaintedButton> (&groupButtons)[3]);

    /** OK and Cancel of a dialog: OK with a valid choice (the dialog's validateSelection())
        closes the window with okResult and then sends the dialog's change message; Cancel closes
        it with 0. Returns false, doing nothing, for any other button.
    */
    template <typename Dialog>
    static bool handleOkayOrCancel (Dialog& dialog, const juce::Button* clicked,
                                    const juce::Button* okayButton, const juce::Button* cancelButton)
    {
        if (clicked == nullptr)
            return false;

        if (clicked == okayButton)
        {
            if (dialog.validateSelection())
            {
                closeDialog (dialog, okResult);
                dialog.sendChangeMessage();
            }

            return true;
        }

        if (clicked == cancelButton)
        {
            closeDialog (dialog, 0);
            return true;
        }

        return false;
    }

    /** A spin's change message after Return or Escape in its editor moves the focus to OK; true
        when it did (the spin was confirmed), false for a click on the disabled spin.
    */
    static bool focusOkayIfConfirmed (TPXSpinControl& spin, juce::Component* okayButton);

    /** "Please enter a valid <what> number between <minimum> and <maximum>", the spin's range. */
    static juce::String rangeText (const juce::String& what, const TPXSpinControl& spin);

    /** Shows a failed check of the spin's value and gives the spin the focus; returns false. */
    static bool rejectSpinValue (const juce::String& text, TPXSpinControl* spin);

    /** Ends the modal state of the dialog window that holds the dialog with the result (3 after
        a valid OK, 0 for Cancel). Nothing happens when the dialog is not in a dialog window.
    */
    static void closeDialog (juce::Component& dialog, int result);

    /** Gives the keyboard focus to the spin control's editor (for a failed check of its value). */
    static void focusSpin (TPXSpinControl* spin);

    /** Gives the keyboard focus to a component, making it want the focus first. */
    static void focus (juce::Component* component);

    /** The component that the dialogs last gave the keyboard focus to (null once deleted). The
        focus itself follows only while the dialog's window is the active one.
    */
    static juce::Component* getLastFocusTarget();

    /** Enables or disables each non-null component. */
    static void setEnabled (std::initializer_list<juce::Component*> components, bool enabled);

    /** The dialog's modal result after OK with a valid choice. */
    static constexpr int okResult = 3;
};
