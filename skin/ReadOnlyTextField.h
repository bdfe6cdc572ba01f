#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** A line of read-only text that looks and behaves as a read-only juce::TextEditor without a
    caret (the text selected and copied while enabled, its tooltip, the keyboard focus), but holds
    such an editor only while the pointer is over it or the keyboard focus is in it. The rest of
    the time it paints its text exactly as that editor would, through a short-lived one.

    Every juce::TextEditor listens to the mouse anywhere on the desktop for as long as it exists,
    which keeps the framework asking the display where the pointer is every 100 ms: a field that
    is always on screen would wake an idle program ten times a second for nothing.

    The editor on show takes the field's text, tooltip, colours and look; while it exists, it
    takes the field's place in the keyboard's Tab order. Message thread only.
*/
class ReadOnlyTextField : public juce::Component,
                          public juce::SettableTooltipClient,
                          private juce::AsyncUpdater
{
public:
    explicit ReadOnlyTextField (const juce::String& fieldName = {});
    ~ReadOnlyTextField() override;

    void setText (const juce::String& newText);
    juce::String getText() const { return text; }
    void clear() { setText ({}); }

    void setTooltip (const juce::String& newTooltip) override;

    /** The editor on show; null while the field only paints its text. */
    juce::TextEditor* getEditor() const noexcept { return editor.get(); }

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void focusGained (FocusChangeType) override;
    void focusLost (FocusChangeType) override;
    void focusOfChildComponentChanged (FocusChangeType) override;
    void enablementChanged() override;
    void visibilityChanged() override;
    void parentHierarchyChanged() override;
    void colourChanged() override;
    void lookAndFeelChanged() override;

private:
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    void handleAsyncUpdate() override;

    bool isEditorWanted();
    void showEditor();
    void dropEditor();
    void configure (juce::TextEditor&);

    juce::String text;
    std::unique_ptr<juce::TextEditor> editor;
    bool wantsFocusWithoutEditor = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReadOnlyTextField)
};
