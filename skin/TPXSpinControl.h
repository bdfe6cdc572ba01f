#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class SkinManager;

/** A small number entry: a one-line editor with increment and decrement image buttons beside it,
    stepping an integer between a minimum and a maximum and showing it in one of several label
    formats.

    Display modes: 1 letter-number labels ("A1" to "P8"), 2 a bank letter ("A" plus the value),
    5 bank-preset labels ("1-1" to "64-8"), 3 shown like mode 1 but stepped as a decimal number,
    any other mode a decimal number.

    The control starts disabled and shows transparent overlays that enable it on a click (and then
    focus the editor or step once). Overlay clicks and Return or Escape in the editor post an
    asynchronous change message; the owner reads getText() or getValue() and wasConfirmed().
    Message thread only.
*/
class TPXSpinControl : public juce::Component,
                       public juce::ChangeBroadcaster,
                       private juce::TextEditor::Listener,
                       private juce::Button::Listener,
                       private juce::KeyListener
{
public:
    enum DisplayMode
    {
        decimalMode = 0,
        letterNumberMode = 1,
        bankLetterMode = 2,
        letterNumberDecimalStepMode = 3,
        bankPresetMode = 5
    };

    /** The height of the field, and the size of each step button; the buttons lie one above the
        other beside the field, so the control is 2 * stepButtonHeight high with them.
    */
    static constexpr int fieldHeight = 27, stepButtonWidth = 24, stepButtonHeight = 14;

    /** The field is width - 2 wide; without a skin there are no step buttons. */
    TPXSpinControl (const SkinManager* skin, int width, int minimum, int maximum, int interval,
                    int initialValue, const juce::String& allowedCharacters, int maximumLength,
                    int displayMode);
    ~TPXSpinControl() override;

    /** Enables or disables the editor and the buttons; the overlays show while disabled. Disabling
        folds the typed text into the stored value, or shows the stored value clamped into the range
        when the editor is empty.
    */
    void setEnabledState (bool enabled);
    bool isEnabledState() const noexcept { return enabledState; }

    /** Shows a value in the display mode. */
    void setValue (int value);

    /** Sets the editor text without a change notification. */
    void setText (const juce::String& text);
    juce::String getText() const;

    /** The editor text as a decimal number; -1 when the editor is empty. */
    int getValue() const;

    /** The value kept by the last disable (or the initial value). */
    int getStoredValue() const noexcept { return storedValue; }

    /** Steps the shown value up by one, up to the maximum (no wrap). */
    void increment();

    /** Steps the shown value down by one, down to the minimum (no wrap). */
    void decrement();

    /** True when the user ended the entry with Return or Escape; cleared by an overlay click. */
    bool wasConfirmed() const noexcept { return confirmed; }

    /** The range and step that dialogs set at every show; the shown text is left as it is. */
    void setRange (int minimum, int maximum);
    void setMinimum (int minimum) noexcept { minimumValue = minimum; }
    void setMaximum (int maximum) noexcept { maximumValue = maximum; }
    void setInterval (int newInterval) noexcept { interval = newInterval; }
    int getMinimum() const noexcept { return minimumValue; }
    int getMaximum() const noexcept { return maximumValue; }
    int getInterval() const noexcept { return interval; }
    int getDisplayMode() const noexcept { return displayMode; }

    juce::TextEditor& getEditor() noexcept { return *editor; }

    //==============================================================================
    void mouseDown (const juce::MouseEvent&) override;

    /** Cursor up and down, the keypad's plus and minus and a typed '+' or '-' step the value (and
        are consumed), except that in the bank-preset mode a typed '+' or '-' that the field allows
        is text: there it separates bank from preset ("12-3"). Other keys are not consumed.
    */
    bool keyPressed (const juce::KeyPress&) override;

private:
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void buttonClicked (juce::Button*) override;
    bool keyPressed (const juce::KeyPress&, juce::Component*) override;

    juce::String format (int value) const;
    bool typesAsText (juce::juce_wchar character) const;
    bool parse (const juce::String& text, int& value) const;
    void step (int direction);
    void postChange();

    std::unique_ptr<juce::ImageButton> incrementButton, decrementButton;
    std::unique_ptr<juce::TextEditor> editor;
    std::unique_ptr<juce::Label> editorOverlay, incrementOverlay, decrementOverlay;

    int fieldWidth = 0;
    int minimumValue = 0;
    int maximumValue = 0;
    int interval = 1;
    int initialValue = 0;
    int storedValue = 0;
    bool confirmed = false;
    bool enabledState = true;
    int displayMode = decimalMode;
    juce::String allowedCharacters;
    int maximumLength = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXSpinControl)
};
