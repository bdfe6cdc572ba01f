#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SkinManager;
class TPXMultiLineLabelComponent;
class TPXSpinControl;

/** What the five backup selection dialogs share: building their toggles, text labels and spin
    controls from the Widget elements of their skin section, the group operations of the
    select-all, deselect-all and invert buttons, closing the enclosing dialog window, and showing a
    failed check.

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

    /** The rectangle that a key holds ("x y width height"). */
    static juce::Rectangle<int> readRectangle (const juce::XmlElement& widget, const juce::String& key);

    /** A colour key as hexadecimal ARGB digits. */
    static juce::Colour readColour (const juce::XmlElement& widget, const juce::String& key);

    //==============================================================================
    /** Turns every non-null toggle on, off, or flips it, without notification. */
    static void selectAllToggles (const juce::Array<juce::ToggleButton*>& toggles);
    static void deselectAllToggles (const juce::Array<juce::ToggleButton*>& toggles);
    static void invertToggleSelection (const juce::Array<juce::ToggleButton*>& toggles);

    /** What a group button does to its group: 0 selects every toggle, 1 deselects them, any
        other value flips them.
    */
    static void applyGroupOperation (int operation, const juce::Array<juce::ToggleButton*>& toggles);

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
