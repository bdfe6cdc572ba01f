#include "ReadOnlyTextField.h"

namespace
{
    /** The colours a juce::TextEditor is drawn with. */
    constexpr int editorColourIds[] = { juce::TextEditor::backgroundColourId, juce::TextEditor::textColourId,
                                        juce::TextEditor::highlightColourId, juce::TextEditor::highlightedTextColourId,
                                        juce::TextEditor::outlineColourId, juce::TextEditor::focusedOutlineColourId,
                                        juce::TextEditor::shadowColourId };

    /** The field's text, read-only, for assistive technology. */
    class FieldText : public juce::AccessibilityTextValueInterface
    {
    public:
        explicit FieldText (ReadOnlyTextField& fieldToRead) : field (fieldToRead) {}

        bool isReadOnly() const override { return true; }
        juce::String getCurrentValueAsString() const override { return field.getText(); }
        void setValueAsString (const juce::String&) override {}

    private:
        ReadOnlyTextField& field;
    };
} // namespace

ReadOnlyTextField::ReadOnlyTextField (const juce::String& fieldName)
    : juce::Component (fieldName)
{
    // As a text editor: the text cursor, and a place in the keyboard's order.
    setMouseCursor (juce::MouseCursor::IBeamCursor);
    setWantsKeyboardFocus (true);
}

ReadOnlyTextField::~ReadOnlyTextField()
{
    cancelPendingUpdate();
    editor.reset();
}

void ReadOnlyTextField::setText (const juce::String& newText)
{
    if (newText == text)
        return;

    text = newText;

    if (editor != nullptr)
        editor->setText (text, false);

    repaint();

    if (auto* handler = getAccessibilityHandler())
        handler->notifyAccessibilityEvent (juce::AccessibilityEvent::valueChanged);
}

void ReadOnlyTextField::setTooltip (const juce::String& newTooltip)
{
    juce::SettableTooltipClient::setTooltip (newTooltip);

    if (editor != nullptr)
        editor->setTooltip (newTooltip);
}

void ReadOnlyTextField::paint (juce::Graphics& g)
{
    if (editor != nullptr)
        return;

    // Drawn by an editor made like the one on show, which lives only as long as the drawing.
    juce::TextEditor look (getName());
    configure (look);
    look.setEnabled (isEnabled());
    look.paintEntireComponent (g, true);
}

void ReadOnlyTextField::resized()
{
    if (editor != nullptr)
        editor->setBounds (getLocalBounds());
}

void ReadOnlyTextField::mouseEnter (const juce::MouseEvent&)
{
    if (editor == nullptr && isEditorWanted())
        showEditor();
}

void ReadOnlyTextField::mouseExit (const juce::MouseEvent&)
{
    // Looked at once the event is over: the editor may be the component it is sent to.
    triggerAsyncUpdate();
}

void ReadOnlyTextField::focusGained (FocusChangeType)
{
    if (editor == nullptr && isEnabled())
        showEditor();

    if (editor != nullptr)
        editor->grabKeyboardFocus();
}

void ReadOnlyTextField::focusLost (FocusChangeType)                     { triggerAsyncUpdate(); }
void ReadOnlyTextField::focusOfChildComponentChanged (FocusChangeType) { triggerAsyncUpdate(); }
void ReadOnlyTextField::enablementChanged()                             { triggerAsyncUpdate(); repaint(); }
void ReadOnlyTextField::visibilityChanged()                             { triggerAsyncUpdate(); }
void ReadOnlyTextField::parentHierarchyChanged()                        { triggerAsyncUpdate(); }

void ReadOnlyTextField::colourChanged()
{
    if (editor != nullptr)
        configure (*editor);

    repaint();
}

void ReadOnlyTextField::lookAndFeelChanged()
{
    colourChanged();
}

std::unique_ptr<juce::AccessibilityHandler> ReadOnlyTextField::createAccessibilityHandler()
{
    return std::make_unique<juce::AccessibilityHandler> (*this, juce::AccessibilityRole::staticText, juce::AccessibilityActions(),
                                                         juce::AccessibilityHandler::Interfaces { std::make_unique<FieldText> (*this) });
}

void ReadOnlyTextField::handleAsyncUpdate()
{
    const bool wanted = isEditorWanted();

    if (editor == nullptr && wanted)
        showEditor();
    else if (editor != nullptr && ! wanted)
        dropEditor();
}

bool ReadOnlyTextField::isEditorWanted()
{
    return isEnabled() && isShowing() && (isMouseOver (true) || hasKeyboardFocus (true));
}

void ReadOnlyTextField::showEditor()
{
    // While the editor is there, it stands in the keyboard's order where the field stood.
    wantsFocusWithoutEditor = getWantsKeyboardFocus();

    editor = std::make_unique<juce::TextEditor> (getName());
    configure (*editor);
    editor->setWantsKeyboardFocus (wantsFocusWithoutEditor);
    setWantsKeyboardFocus (false);
    addAndMakeVisible (*editor);
    editor->addMouseListener (this, true);
}

void ReadOnlyTextField::dropEditor()
{
    editor.reset();
    setWantsKeyboardFocus (wantsFocusWithoutEditor);
    repaint();
}

void ReadOnlyTextField::configure (juce::TextEditor& target)
{
    target.setReadOnly (true);
    target.setCaretVisible (false);
    target.setLookAndFeel (&getLookAndFeel());

    // Found here (set on the field or on a parent, else the look's), so both editors agree.
    for (const auto id : editorColourIds)
        target.setColour (id, findColour (id));

    target.setTooltip (getTooltip());
    target.setBounds (getLocalBounds());
    target.setText (text, false);
}
