#include "TPXSpinControl.h"

#include "PresetLabels.h"
#include "SkinManager.h"

namespace
{
constexpr int editorHeight = TPXSpinControl::fieldHeight;
constexpr int buttonWidth = TPXSpinControl::stepButtonWidth;
constexpr int buttonHeight = TPXSpinControl::stepButtonHeight;
constexpr int firstRepeatMs = 300;
constexpr int repeatMs = 100;

void setButtonImages (juce::ImageButton& button, const juce::String& upName, const juce::String& downName)
{
    const auto up = SkinManager::getImage (upName);
    const auto down = SkinManager::getImage (downName);
    button.setImages (false, true, false,
                      up, 1.0f, juce::Colours::transparentBlack,
                      up, 1.0f, juce::Colours::transparentBlack,
                      down, 1.0f, juce::Colours::transparentBlack);
}

std::unique_ptr<juce::Label> makeOverlay (const juce::String& name)
{
    auto overlay = std::make_unique<juce::Label> (name, juce::String());
    overlay->setColour (juce::Label::backgroundColourId, juce::Colour (0x00000000));
    return overlay;
}
} // namespace

TPXSpinControl::TPXSpinControl (const SkinManager* skin, int width, int minimum, int maximum, int newInterval,
                                int initial, const juce::String& allowed, int maxLength, int mode)
    : fieldWidth (width - 2),
      minimumValue (minimum),
      maximumValue (maximum),
      interval (newInterval),
      initialValue (initial),
      storedValue (initial),
      displayMode (mode),
      allowedCharacters (allowed),
      maximumLength (maxLength)
{
    editor = std::make_unique<juce::TextEditor> ("Spin Control Text Editor");
    editor->setBounds (0, 0, fieldWidth, editorHeight);
    editor->setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    editor->setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::black);
    editor->setColour (juce::TextEditor::highlightColourId, juce::Colour (0xFFD3D3D3));
    editor->setSelectAllWhenFocused (true);
    editor->setInputFilter (new juce::TextEditor::LengthAndCharacterRestriction (maximumLength, allowedCharacters), true);
    editor->addListener (this);
    editor->addKeyListener (this);
    addAndMakeVisible (*editor);
    setValue (initialValue);

    if (skin != nullptr)
    {
        incrementButton = std::make_unique<juce::ImageButton> ("Increment Button");
        setButtonImages (*incrementButton, "plus.png", "plus-down.png");
        incrementButton->setBounds (fieldWidth, 0, buttonWidth, buttonHeight);

        decrementButton = std::make_unique<juce::ImageButton> ("Decrement Button");
        setButtonImages (*decrementButton, "minus.png", "minus-down.png");
        decrementButton->setBounds (fieldWidth, buttonHeight, buttonWidth, buttonHeight);

        for (auto* button : { incrementButton.get(), decrementButton.get() })
        {
            button->setRepeatSpeed (firstRepeatMs, repeatMs);
            button->addListener (this);
            button->addKeyListener (this);
            addAndMakeVisible (*button);
        }
    }

    editorOverlay = makeOverlay ("Spin Control Text Editor Overlay");
    editorOverlay->setBounds (0, 0, fieldWidth, editorHeight);
    incrementOverlay = makeOverlay ("Spin Control Increment Button Overlay");
    incrementOverlay->setBounds (fieldWidth, 0, buttonWidth, buttonHeight);
    decrementOverlay = makeOverlay ("Spin Control Decrement Button Overlay");
    decrementOverlay->setBounds (fieldWidth, buttonHeight, buttonWidth, buttonHeight);

    for (auto* overlay : { editorOverlay.get(), incrementOverlay.get(), decrementOverlay.get() })
    {
        overlay->addMouseListener (this, false);
        addChildComponent (*overlay);
    }

    setEnabledState (false);
}

TPXSpinControl::~TPXSpinControl()
{
    for (auto* overlay : { editorOverlay.get(), incrementOverlay.get(), decrementOverlay.get() })
        overlay->removeMouseListener (this);

    editor->removeListener (this);
    editor->removeKeyListener (this);

    for (auto* button : { incrementButton.get(), decrementButton.get() })
    {
        if (button != nullptr)
        {
            button->removeListener (this);
            button->removeKeyListener (this);
        }
    }
}

//==============================================================================
juce::String TPXSpinControl::format (int value) const
{
    juce::String label, first, second;

    // The label formatters take 16-bit indexes; a larger value must not wrap round onto a label.
    const auto index = (juce::uint16) juce::jlimit (0, 0xFFFF, value);
    const auto fitsIndex = value >= 0 && value <= 0xFFFF;

    switch (displayMode)
    {
        case letterNumberMode:
        case letterNumberDecimalStepMode:
            if (fitsIndex && formatLetterNumberLabel (index, label, first, second))
                return label;
            break;

        case bankLetterMode:
            if (value >= 0 && value < 26)
                return juce::String::charToString ((juce::juce_wchar) ('A' + value));
            break;

        case bankPresetMode:
            if (fitsIndex && formatBankPresetLabel (index, label, first, second))
                return label;
            break;

        default:
            break;
    }

    // A value that the label format cannot show is shown as a number rather than lost.
    return juce::String (value);
}

bool TPXSpinControl::parse (const juce::String& text, int& value) const
{
    juce::uint16 index = 0;

    switch (displayMode)
    {
        case letterNumberMode:
            if (! parseLetterNumberLabel (text, index))
                return false;

            value = index;
            return true;

        case bankLetterMode:
        {
            const auto c = juce::CharacterFunctions::toUpperCase (text.trim()[0]);

            if (c < 'A' || c > 'Z')
                return false;

            value = (int) (c - 'A');
            return true;
        }

        case bankPresetMode:
            if (! parseBankPresetLabel (text, index))
                return false;

            value = index;
            return true;

        default:
            value = text.getIntValue();
            return true;
    }
}

void TPXSpinControl::setValue (int value)
{
    editor->setText (format (value), false);
}

void TPXSpinControl::setText (const juce::String& text)
{
    editor->setText (text, false);
}

juce::String TPXSpinControl::getText() const
{
    return editor->getText();
}

int TPXSpinControl::getValue() const
{
    const auto text = editor->getText();
    return text.isEmpty() ? -1 : text.getIntValue();
}

void TPXSpinControl::setRange (int minimum, int maximum)
{
    minimumValue = minimum;
    maximumValue = maximum;
}

void TPXSpinControl::step (int direction)
{
    const auto text = editor->getText().toUpperCase();
    int value = 0;

    // An empty text, or one that does not read in the display mode, steps onto the minimum.
    if (text.isEmpty() || ! parse (text, value))
        value = direction > 0 ? minimumValue - 1 : minimumValue + 1;

    if (direction > 0 && value < maximumValue)
        setValue (value + 1);
    else if (direction < 0 && value > minimumValue)
        setValue (value - 1);
}

void TPXSpinControl::increment()
{
    step (1);
}

void TPXSpinControl::decrement()
{
    step (-1);
}

void TPXSpinControl::setEnabledState (bool enabled)
{
    enabledState = enabled;
    editor->setEnabled (enabled);

    for (auto* button : { incrementButton.get(), decrementButton.get() })
        if (button != nullptr)
            button->setEnabled (enabled);

    for (auto* overlay : { editorOverlay.get(), incrementOverlay.get(), decrementOverlay.get() })
        overlay->setVisible (! enabled);

    if (enabled || displayMode == letterNumberDecimalStepMode)
        return;

    const auto text = editor->getText();

    if (text.isNotEmpty())
    {
        int value = 0;

        if (parse (text, value))
            storedValue = value;
    }
    else
    {
        storedValue = juce::jlimit (juce::jmin (minimumValue, maximumValue), maximumValue, storedValue);
        setValue (storedValue);
    }
}

//==============================================================================
void TPXSpinControl::postChange()
{
    sendChangeMessage();
}

void TPXSpinControl::mouseDown (const juce::MouseEvent& e)
{
    const auto* source = e.eventComponent;

    if (source != editorOverlay.get() && source != incrementOverlay.get() && source != decrementOverlay.get())
        return;

    setEnabledState (true);

    if (source == editorOverlay.get())
    {
        editor->setWantsKeyboardFocus (true);
        editor->grabKeyboardFocus();
    }
    else if (source == incrementOverlay.get())
    {
        increment();
    }
    else
    {
        decrement();
    }

    confirmed = false;
    postChange();
}

bool TPXSpinControl::typesAsText (juce::juce_wchar character) const
{
    // A bank-preset label separates bank and preset by any punctuation ("12-3", "4+7"), so in that
    // format a typed '-' or '+' is part of the label, as long as the field takes it at all.
    return displayMode == bankPresetMode && (character == '-' || character == '+')
        && allowedCharacters.containsChar (character);
}

bool TPXSpinControl::keyPressed (const juce::KeyPress& key)
{
    const auto c = key.getTextCharacter();

    if (typesAsText (c))
        return false;

    if (key.isKeyCode (juce::KeyPress::numberPadAdd) || key.isKeyCode (juce::KeyPress::upKey) || c == '+')
    {
        increment();
        return true;
    }

    if (key.isKeyCode (juce::KeyPress::numberPadSubtract) || key.isKeyCode (juce::KeyPress::downKey) || c == '-')
    {
        decrement();
        return true;
    }

    return false;
}

bool TPXSpinControl::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    return keyPressed (key);
}

void TPXSpinControl::textEditorReturnKeyPressed (juce::TextEditor&)
{
    confirmed = true;
    postChange();
}

void TPXSpinControl::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    confirmed = true;
    postChange();
}

void TPXSpinControl::buttonClicked (juce::Button* button)
{
    if (button == incrementButton.get())
        increment();
    else if (button == decrementButton.get())
        decrement();
}
