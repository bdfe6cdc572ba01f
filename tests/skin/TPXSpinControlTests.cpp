#include "SkinTestSupport.h"
#include "TPXSpinControl.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
juce::Component* child (juce::Component& parent, const juce::String& name)
{
    for (auto* c : parent.getChildren())
        if (c->getName() == name)
            return c;

    return nullptr;
}

class SpinControl : public ::testing::Test
{
protected:
    std::unique_ptr<TPXSpinControl> make (int minimum, int maximum, int initial, int mode = 0,
                                          const juce::String& allowed = "1234567890", int maxLength = 4,
                                          int interval = 1)
    {
        auto spin = std::make_unique<TPXSpinControl> (fixture.skin.get(), 60, minimum, maximum, interval, initial,
                                                      allowed, maxLength, mode);
        spin->setSize (82, 28);
        return spin;
    }

    FixtureSkin fixture;
};
} // namespace

TEST_F (SpinControl, IsBuiltDisabledWithItsOverlaysShowing)
{
    auto spin = make (1, 64, 5);

    EXPECT_EQ (spin->getText(), "5");
    EXPECT_EQ (spin->getValue(), 5);
    EXPECT_FALSE (spin->isEnabledState());
    EXPECT_FALSE (spin->getEditor().isEnabled());
    EXPECT_EQ (spin->getEditor().getName(), "Spin Control Text Editor");
    EXPECT_EQ (spin->getEditor().getBounds(), juce::Rectangle<int> (0, 0, 58, 27));

    auto* increment = child (*spin, "Increment Button");
    auto* decrement = child (*spin, "Decrement Button");
    ASSERT_NE (increment, nullptr);
    ASSERT_NE (decrement, nullptr);
    EXPECT_EQ (increment->getBounds(), juce::Rectangle<int> (58, 0, 24, 14));
    EXPECT_EQ (decrement->getBounds(), juce::Rectangle<int> (58, 14, 24, 14));
    EXPECT_FALSE (increment->isEnabled());

    for (auto name : { "Spin Control Text Editor Overlay", "Spin Control Increment Button Overlay",
                       "Spin Control Decrement Button Overlay" })
    {
        auto* overlay = child (*spin, name);
        ASSERT_NE (overlay, nullptr) << name;
        EXPECT_TRUE (overlay->isVisible()) << name;
    }

    spin->setEnabledState (true);
    EXPECT_TRUE (spin->getEditor().isEnabled());
    EXPECT_TRUE (increment->isEnabled());

    for (auto* c : spin->getChildren())
    {
        if (c->getName().endsWith ("Overlay"))
        {
            EXPECT_FALSE (c->isVisible()) << c->getName();
        }
    }
}

TEST_F (SpinControl, StepsStopAtTheRangeWithoutWrapping)
{
    auto spin = make (1, 4, 4);

    spin->increment();
    EXPECT_EQ (spin->getText(), "4");
    spin->decrement();
    EXPECT_EQ (spin->getText(), "3");

    spin->setText ("1");
    spin->decrement();
    EXPECT_EQ (spin->getText(), "1");
}

TEST_F (SpinControl, AnEmptyEditorStepsOntoTheMinimum)
{
    auto spin = make (3, 9, 5);

    spin->setText ({});
    EXPECT_EQ (spin->getValue(), -1);
    spin->increment();
    EXPECT_EQ (spin->getText(), "3");

    spin->setText ({});
    spin->decrement();
    EXPECT_EQ (spin->getText(), "3");
}

TEST_F (SpinControl, EveryStepIsOneWhateverTheInterval)
{
    auto spin = make (0, 100, 10, 0, "1234567890", 4, 8);
    EXPECT_EQ (spin->getInterval(), 8);
    spin->increment();
    EXPECT_EQ (spin->getText(), "11");
}

TEST_F (SpinControl, DisplayModesFormatAndStepTheirLabels)
{
    auto letter = make (0, 15, 2, TPXSpinControl::bankLetterMode, "ABCDEFGHIJKLMNOPabcdefghijklmnop", 1);
    EXPECT_EQ (letter->getText(), "C");
    letter->setText ("c");
    letter->increment();
    EXPECT_EQ (letter->getText(), "D");

    auto letterNumber = make (0, 127, 0, TPXSpinControl::letterNumberMode);
    EXPECT_EQ (letterNumber->getText(), "A1");
    letterNumber->setText ("a8");
    letterNumber->increment();
    EXPECT_EQ (letterNumber->getText(), "B1");
    letterNumber->setValue (127);
    letterNumber->increment();
    EXPECT_EQ (letterNumber->getText(), "P8");

    auto bankPreset = make (0, 511, 0, TPXSpinControl::bankPresetMode, "1234567890-*+/,.;:", 4);
    EXPECT_EQ (bankPreset->getText(), "1-1");
    bankPreset->setText ("12-8");
    bankPreset->increment();
    EXPECT_EQ (bankPreset->getText(), "13-1");
    bankPreset->decrement();
    bankPreset->decrement();
    EXPECT_EQ (bankPreset->getText(), "12-7");
    bankPreset->setValue (65536 + 9); // beyond any label: shown as the number, not as "2-2"
    EXPECT_EQ (bankPreset->getText(), "65545");

    auto mode3 = make (0, 127, 9, TPXSpinControl::letterNumberDecimalStepMode);
    EXPECT_EQ (mode3->getText(), "B2");
    mode3->increment(); // "B2" reads as 0 in this mode
    EXPECT_EQ (mode3->getText(), "A2");

    auto decimal = make (-5, 5, -3);
    EXPECT_EQ (decimal->getText(), "-3");
}

TEST_F (SpinControl, TextThatDoesNotReadInTheModeStepsOntoTheMinimum)
{
    auto letterNumber = make (8, 127, 8, TPXSpinControl::letterNumberMode);
    letterNumber->setText ("Z9");
    letterNumber->increment();
    EXPECT_EQ (letterNumber->getText(), "B1");

    auto bankPreset = make (0, 511, 0, TPXSpinControl::bankPresetMode);
    bankPreset->setText ("99-9");
    bankPreset->decrement();
    EXPECT_EQ (bankPreset->getText(), "1-1");
}

TEST_F (SpinControl, DisablingFoldsTheTextIntoTheStoredValue)
{
    auto spin = make (1, 64, 5, TPXSpinControl::bankPresetMode);
    spin->setEnabledState (true);

    spin->setText ("3-2");
    spin->setEnabledState (false);
    EXPECT_EQ (spin->getStoredValue(), 17);

    spin->setEnabledState (true);
    spin->setText ("nonsense");
    spin->setEnabledState (false);
    EXPECT_EQ (spin->getStoredValue(), 17);
    EXPECT_EQ (spin->getText(), "nonsense");

    spin->setRange (20, 30);
    spin->setText ({});
    spin->setEnabledState (false);
    EXPECT_EQ (spin->getStoredValue(), 20);
    EXPECT_EQ (spin->getText(), "3-5");
}

TEST_F (SpinControl, KeysStepUpAndDownAndOthersPassThrough)
{
    auto spin = make (0, 10, 5);

    EXPECT_TRUE (spin->keyPressed (juce::KeyPress (juce::KeyPress::upKey)));
    EXPECT_EQ (spin->getText(), "6");
    EXPECT_TRUE (spin->keyPressed (juce::KeyPress ('+', {}, '+')));
    EXPECT_TRUE (spin->keyPressed (juce::KeyPress (juce::KeyPress::numberPadAdd)));
    EXPECT_EQ (spin->getText(), "8");

    EXPECT_TRUE (spin->keyPressed (juce::KeyPress (juce::KeyPress::downKey)));
    EXPECT_TRUE (spin->keyPressed (juce::KeyPress ('-', {}, '-')));
    EXPECT_TRUE (spin->keyPressed (juce::KeyPress (juce::KeyPress::numberPadSubtract)));
    EXPECT_EQ (spin->getText(), "5");

    EXPECT_FALSE (spin->keyPressed (juce::KeyPress ('x', {}, 'x')));
    EXPECT_FALSE (spin->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
}

TEST_F (SpinControl, PlusAndMinusAreTextInBankPresetLabelsAndStepsElsewhere)
{
    // Keys reach the control's key listener before the editor, which types what is not consumed.
    auto type = [] (TPXSpinControl& spin, const juce::String& keys)
    {
        for (auto c : keys)
            if (! spin.keyPressed (juce::KeyPress (c, {}, c)))
                spin.getEditor().insertTextAtCaret (juce::String::charToString (c));
    };

    struct Case
    {
        int mode;
        juce::String allowed, typed, expected;
    };

    const Case cases[] = {
        { TPXSpinControl::bankPresetMode, "1234567890-*+/,.;:", "12-3", "12-3" },
        { TPXSpinControl::bankPresetMode, "1234567890-*+/,.;:", "4+7", "4+7" },
        { TPXSpinControl::bankPresetMode, "1234567890", "4-", "1-3" },   // no separator allowed: steps
        { TPXSpinControl::bankPresetMode, "1234567890", "4+", "1-5" },
        { TPXSpinControl::decimalMode, "1234567890-+", "12-", "11" },
        { TPXSpinControl::decimalMode, "1234567890-+", "12+", "13" },
        { TPXSpinControl::letterNumberMode, "ABCDEFGHIJKLMNOP12345678-+", "C5+", "C6" },
    };

    for (const auto& c : cases)
    {
        auto spin = make (0, 511, 0, c.mode, c.allowed);
        spin->setEnabledState (true);
        spin->getEditor().setText ({}, false);
        type (*spin, c.typed);
        EXPECT_EQ (spin->getText(), c.expected) << c.mode << " " << c.typed;
    }

    // The cursor keys step in every mode.
    auto preset = make (0, 511, 0, TPXSpinControl::bankPresetMode, "1234567890-*+/,.;:");
    preset->setText ("12-3");
    EXPECT_TRUE (preset->keyPressed (juce::KeyPress (juce::KeyPress::upKey)));
    EXPECT_EQ (preset->getText(), "12-4");
}

TEST_F (SpinControl, TheEditorTakesOnlyTheAllowedCharactersUpToTheLimit)
{
    auto spin = make (0, 999, 1, 0, "1234", 2);
    spin->setEnabledState (true);
    spin->getEditor().setText ({}, false);
    spin->getEditor().insertTextAtCaret ("19x4321");
    EXPECT_EQ (spin->getText(), "14");
}

TEST_F (SpinControl, ClickingTheDecrementOverlayEnablesStepsAndPostsOnce)
{
    auto spin = make (1, 10, 5);
    ChangeCounter changes (*spin);
    MouseDriver mouse (*spin);

    mouse.click ({ 70, 22 });
    EXPECT_TRUE (spin->isEnabledState());
    EXPECT_EQ (spin->getText(), "4");
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count > 0; }, 20000));
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 1);
    EXPECT_FALSE (spin->wasConfirmed());

    // Enabled now: the real buttons take the clicks, and they post nothing.
    mouse.click ({ 70, 22 });
    runMessageLoopFor (30);
    EXPECT_EQ (spin->getText(), "3");
    EXPECT_EQ (changes.count, 1);
}

TEST_F (SpinControl, ClickingTheIncrementOverlayStepsUpAndTheEditorOverlayFocuses)
{
    auto spin = make (1, 10, 5);
    ChangeCounter changes (*spin);
    MouseDriver mouse (*spin);

    mouse.click ({ 70, 5 });
    EXPECT_EQ (spin->getText(), "6");
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 1; }, 20000));

    spin->setEnabledState (false);
    mouse.click ({ 20, 10 });
    EXPECT_EQ (spin->getText(), "6");
    EXPECT_TRUE (spin->isEnabledState());
    EXPECT_TRUE (spin->getEditor().getWantsKeyboardFocus());
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 2; }, 20000));
}

TEST_F (SpinControl, ReturnOrEscapeConfirmsTheEntryAndPosts)
{
    auto spin = make (1, 10, 5);
    ChangeCounter changes (*spin);
    MouseDriver mouse (*spin);

    mouse.click ({ 20, 10 });
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 1; }, 20000));
    EXPECT_FALSE (spin->wasConfirmed());

    // The editor reports Return and Escape asynchronously.
    spin->getEditor().keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 2; }, 20000));
    EXPECT_TRUE (spin->wasConfirmed());

    spin->setEnabledState (false);
    mouse.click ({ 20, 10 });
    EXPECT_FALSE (spin->wasConfirmed());
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 3; }, 20000));
    spin->getEditor().keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 4; }, 20000));
    EXPECT_TRUE (spin->wasConfirmed());
}

TEST_F (SpinControl, StepButtonsRepeatWhileHeldAndShowTheSkinImages)
{
    auto spin = make (0, 100, 50);
    spin->setEnabledState (true);

    auto* increment = dynamic_cast<juce::ImageButton*> (child (*spin, "Increment Button"));
    ASSERT_NE (increment, nullptr);
    EXPECT_EQ (increment->getNormalImage().getPixelAt (2, 2), fixtureColours::up);
    EXPECT_EQ (increment->getDownImage().getPixelAt (2, 2), fixtureColours::down);

    const auto image = snapshot (*spin);
    EXPECT_EQ (image.getPixelAt (70, 5), fixtureColours::up);
    EXPECT_EQ (image.getPixelAt (70, 20), fixtureColours::over); // minus.png

    // Held down, the button steps on its own.
    MouseDriver mouse (*spin);
    mouse.press ({ 70, 5 });
    EXPECT_TRUE (runMessageLoopUntil ([&] { return spin->getValue() >= 52; }, 20000)) << spin->getText();
    mouse.release ({ 70, 5 });
}

TEST_F (SpinControl, WithoutASkinThereAreNoStepButtons)
{
    TPXSpinControl spin (nullptr, 60, 0, 9, 1, 3, "0123456789", 1, 0);
    spin.setSize (82, 28);
    EXPECT_EQ (child (spin, "Increment Button"), nullptr);
    EXPECT_EQ (child (spin, "Decrement Button"), nullptr);

    MouseDriver mouse (spin);
    mouse.click ({ 70, 5 });
    EXPECT_EQ (spin.getText(), "4");
}
