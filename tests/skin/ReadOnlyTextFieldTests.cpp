#include "MessageLoop.h"
#include "ReadOnlyTextField.h"
#include "SamePixels.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
/** The read-only, caret-less editor that the field stands for, as a console would make it. */
std::unique_ptr<juce::TextEditor> makeEditorLike (const juce::String& text, juce::Rectangle<int> bounds)
{
    auto editor = std::make_unique<juce::TextEditor> ("File");
    editor->setCaretVisible (false);
    editor->setReadOnly (true);
    editor->setBounds (bounds);
    editor->setText (text, false);
    return editor;
}


bool holdsTextEditor (juce::Component& component)
{
    if (dynamic_cast<juce::TextEditor*> (&component) != nullptr)
        return true;

    for (auto* child : component.getChildren())
        if (holdsTextEditor (*child))
            return true;

    return false;
}

/** A panel with a control on each side of the field, in that keyboard order. */
struct Panel : juce::Component
{
    Panel()
    {
        for (auto* c : { &before, &after })
        {
            c->setWantsKeyboardFocus (true);
            addAndMakeVisible (*c);
        }

        addAndMakeVisible (field);
        before.setBounds (0, 0, 300, 20);
        field.setBounds (0, 30, 300, 25);
        after.setBounds (0, 65, 300, 20);
        before.setExplicitFocusOrder (1);
        field.setExplicitFocusOrder (2);
        after.setExplicitFocusOrder (3);
        setFocusContainerType (juce::Component::FocusContainerType::keyboardFocusContainer);
        setSize (300, 85);
    }

    juce::Component before { "Before" }, after { "After" };
    ReadOnlyTextField field { "File" };
};

const juce::Point<int> overField { 100, 42 }, overAfter { 100, 75 };
} // namespace

TEST (ReadOnlyTextField, AtRestItHoldsNoEditorAndPaintsAsTheReadOnlyEditorDoes)
{
    const juce::String longPath = "/home/user/Documents/Morvane/Backups/Orvix III/2026-12-07 Set for the tour.syx";
    const juce::Rectangle<int> bounds { 0, 0, 307, 25 };

    for (const auto& text : { juce::String(), juce::String ("short.syx"), longPath })
    {
        for (const bool enabled : { true, false })
        {
            // Inside a parent that sets a colour of its own, which both must find.
            juce::Component parent;
            parent.setColour (juce::TextEditor::textColourId, juce::Colours::darkred);
            parent.setColour (juce::TextEditor::outlineColourId, juce::Colours::blue);
            parent.setSize (bounds.getWidth(), bounds.getHeight());

            ReadOnlyTextField field ("File");
            field.setBounds (bounds);
            parent.addAndMakeVisible (field);
            field.setText (text);
            field.setEnabled (enabled);

            auto editor = makeEditorLike ({}, bounds);
            parent.addAndMakeVisible (*editor);
            editor->setText (text, false);
            editor->setEnabled (enabled);

            EXPECT_EQ (field.getText(), text);
            EXPECT_EQ (field.getEditor(), nullptr);
            EXPECT_FALSE (holdsTextEditor (field));
            EXPECT_TRUE (samePixels (snapshot (field), snapshot (*editor))) << text << (enabled ? " enabled" : " disabled");
        }
    }

    ReadOnlyTextField field;
    field.setText ("a.syx");
    field.clear();
    EXPECT_EQ (field.getText(), juce::String());
}

TEST (ReadOnlyTextField, ThePointerOverTheEnabledFieldBringsTheEditorAndTakesItAway)
{
    Panel panel;
    auto& field = panel.field;
    field.setText ("/home/user/backup.syx");
    field.setTooltip ("/home/user/backup.syx");
    MouseDriver mouse (panel);

    // Disabled: the pointer brings nothing; its tooltip stays the field's.
    field.setEnabled (false);
    mouse.moveTo (overField);
    runMessageLoopFor (30);
    EXPECT_EQ (field.getEditor(), nullptr);
    EXPECT_EQ (field.getTooltip(), "/home/user/backup.syx");

    // Enabled under the pointer: the editor comes, read-only, with the text and the tooltip.
    field.setEnabled (true);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() != nullptr; }));
    auto* editor = field.getEditor();
    EXPECT_TRUE (editor->isReadOnly());
    EXPECT_EQ (editor->getText(), "/home/user/backup.syx");
    EXPECT_EQ (editor->getTooltip(), "/home/user/backup.syx");
    EXPECT_EQ (editor->getBounds(), field.getLocalBounds());

    field.setTooltip ("elsewhere");
    field.setText ("/home/user/other.syx");
    EXPECT_EQ (editor->getTooltip(), "elsewhere");
    EXPECT_EQ (editor->getText(), "/home/user/other.syx");

    // The pointer leaves: the editor goes.
    mouse.moveTo (overAfter);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() == nullptr; }));
    EXPECT_FALSE (holdsTextEditor (panel));
    EXPECT_TRUE (field.getWantsKeyboardFocus());

    // A drag selects; the editor keeps the focus the press gave it, and stays after the pointer
    // has left, until the focus goes elsewhere.
    mouse.moveTo (overField);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() != nullptr; }));
    mouse.press ({ 2, 42 });
    mouse.release ({ 80, 42 });
    ASSERT_NE (field.getEditor(), nullptr);
    EXPECT_TRUE (field.getEditor()->getHighlightedText().startsWith ("/home")) << field.getEditor()->getHighlightedText();
    EXPECT_TRUE (field.getEditor()->hasKeyboardFocus (false));

    mouse.moveTo (overAfter);
    runMessageLoopFor (30);
    EXPECT_NE (field.getEditor(), nullptr);

    panel.after.grabKeyboardFocus();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() == nullptr; }));

    // Disabled while on show: it goes.
    mouse.moveTo (overField);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() != nullptr; }));
    field.setEnabled (false);
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() == nullptr; }));
}

TEST (ReadOnlyTextField, TheKeyboardReachesTheTextThroughTheFieldAndMovesOnInItsOrder)
{
    Panel panel;
    auto& field = panel.field;
    field.setText ("/home/user/backup.syx");
    MouseDriver mouse (panel);
    auto* peer = mouse.getPeer();
    const auto focusedName = []
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        return focused == nullptr ? juce::String ("<nothing>") : focused->getName();
    };

    panel.before.grabKeyboardFocus();
    ASSERT_EQ (focusedName(), "Before");

    // Tab: the field's editor takes the focus, and the keys select the text to copy.
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey)));
    ASSERT_NE (field.getEditor(), nullptr);
    EXPECT_TRUE (field.getEditor()->hasKeyboardFocus (false));
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_EQ (field.getEditor()->getHighlightedText(), "/home/user/backup.syx");
    EXPECT_FALSE (field.getWantsKeyboardFocus()) << "the editor stands in the field's place";

    // On, and back: Shift+Tab from the editor goes past the field, not back into it.
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey)));
    EXPECT_EQ (focusedName(), "After");
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() == nullptr; }));

    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier, 0)));
    ASSERT_NE (field.getEditor(), nullptr);
    EXPECT_TRUE (field.getEditor()->hasKeyboardFocus (false));
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier, 0)));
    EXPECT_EQ (focusedName(), "Before");
    ASSERT_TRUE (runMessageLoopUntil ([&] { return field.getEditor() == nullptr; }));
    EXPECT_TRUE (field.getWantsKeyboardFocus());

    // Disabled, the order passes it by.
    field.setEnabled (false);
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey)));
    EXPECT_EQ (focusedName(), "After");
    runMessageLoopFor (30);
    EXPECT_EQ (field.getEditor(), nullptr);
}
