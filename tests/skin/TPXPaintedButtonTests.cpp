#include "SkinTestSupport.h"
#include "TPXPaintedButton.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
const juce::Colour borderNormal (0xFF101010), borderOver (0xFF202020), borderDown (0xFF303030);
const juce::Colour fillNormal (0xFFC0C0C0), fillOver (0xFFE0E0E0), fillDown (0xFFFFBC00);
const juce::Colour labelNormal (0xFF000000), labelDown (0xFF0000FF);

/** A 60 x 24 button with a 2-pixel border, square corners and no label text. */
std::unique_ptr<TPXPaintedButton> makeButton (bool toggle = false)
{
    auto button = std::make_unique<TPXPaintedButton> (0, 0, 60, 24);
    button->setToggleMode (toggle);
    button->setCornerSize (0.0f);
    button->setBorderThickness (2.0f);
    button->setBorderColours (borderNormal, borderDown);
    button->setFlatFills (fillNormal, fillDown);
    button->setLabelColours (labelNormal, labelDown);
    button->setOverLook (borderOver, fillOver, labelNormal);
    button->setLabelText ({});
    return button;
}

juce::Colour fillOf (TPXPaintedButton& button)   { return snapshot (button).getPixelAt (5, 5); }
juce::Colour borderOf (TPXPaintedButton& button) { return snapshot (button).getPixelAt (0, 12); }
} // namespace

TEST (TPXPaintedButtonFactory, TakesEveryAttributeOfItsWidget)
{
    FixtureSkin fixture;
    auto widget = makeWidget ({ { "positionX", "40" }, { "positionY", "50" }, { "width", "90" }, { "height", "22" },
                                { "toolTip", "Select all" }, { "labelText", "Select All" },
                                { "labelFont", "regular.stf" }, { "labelFontSize", "12" },
                                { "borderNormalColor", "FF101010" }, { "fillNormalColor1", "FFC0C0C0" },
                                { "fillDownColor1", "tpxYellow" }, { "labelNormalColor", "black" },
                                { "borderThickness", "2" }, { "buttonCornerSize", "0" } });
    auto button = fixture.skin->createPaintedButton (widget.get(), "ignored");
    ASSERT_NE (button, nullptr);

    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (40, 50, 90, 22));
    EXPECT_EQ (button->getUnscaledBounds(), juce::Rectangle<int> (40, 50, 90, 22));
    EXPECT_EQ (button->getTooltip(), "Select all");
    EXPECT_EQ (button->getLabelText(), "Select All");
    EXPECT_FALSE (button->getWantsKeyboardFocus());
    EXPECT_FALSE (button->isToggleMode());

    EXPECT_EQ (fillOf (*button), juce::Colour (0xFFC0C0C0));
    EXPECT_EQ (borderOf (*button), juce::Colour (0xFF101010));
    EXPECT_LT (darkestLevel (snapshot (*button), { 10, 4, 70, 14 }), 60); // black label text

    EXPECT_EQ (fixture.skin->createPaintedButton (nullptr, "x"), nullptr);
}

TEST (TPXPaintedButtonFactory, ASkinWithoutColoursGivesAnInvisibleButton)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createPaintedButton (makeWidget ({ { "width", "40" }, { "height", "20" },
                                                                   { "labelText", "Hidden" },
                                                                   { "labelFontSize", "12" } }).get(), "b");
    const auto image = snapshot (*button);
    EXPECT_EQ (countNear (image, image.getBounds(), juce::Colours::transparentBlack, 0), 40 * 20);
    EXPECT_EQ (button->getLabelText(), "Hidden");
}

TEST (TPXPaintedButtonFactory, AnOverColourAloneSwitchesTheOverLookOn)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createPaintedButton (makeWidget ({ { "width", "40" }, { "height", "20" },
                                                                   { "borderThickness", "2" },
                                                                   { "borderNormalColor", "FF101010" },
                                                                   { "borderOverColor", "FFFF0000" },
                                                                   { "fillNormalColor1", "FFC0C0C0" } }).get(), "b");
    MouseDriver mouse (*button);
    mouse.moveTo ({ 5, 5 });
    EXPECT_TRUE (button->isHovered());
    EXPECT_EQ (borderOf (*button), juce::Colours::red);
    EXPECT_EQ (fillOf (*button), juce::Colour (0xFFC0C0C0)); // the normal fill serves as over fill

    mouse.leave();
    EXPECT_EQ (borderOf (*button), juce::Colour (0xFF101010));
}

TEST (TPXPaintedButtonFactory, GradientsRunFromTopToBottom)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createPaintedButton (makeWidget ({ { "width", "40" }, { "height", "40" },
                                                                   { "fillNormalGradient", "1" },
                                                                   { "fillNormalColor1", "FFFFFFFF" },
                                                                   { "fillNormalColor2", "FF000000" } }).get(), "b");
    const auto image = snapshot (*button);
    EXPECT_GT (image.getPixelAt (20, 2).getBrightness(), 0.9f);
    EXPECT_LT (image.getPixelAt (20, 37).getBrightness(), 0.1f);
}

//==============================================================================
TEST (TPXPaintedButton, ClickStatesInPushMode)
{
    auto button = makeButton();
    ChangeCounter changes (*button);
    MouseDriver mouse (*button);

    EXPECT_EQ (fillOf (*button), fillNormal);

    mouse.moveTo ({ 10, 10 });
    EXPECT_EQ (fillOf (*button), fillOver);

    mouse.press ({ 10, 10 });
    EXPECT_TRUE (button->isPressed());
    EXPECT_EQ (fillOf (*button), fillDown);
    EXPECT_EQ (borderOf (*button), borderDown);

    mouse.release ({ 10, 10 });
    EXPECT_EQ (button->getEventCode(), tpxEventClicked);
    EXPECT_TRUE (button->isPressed()); // the pressed look stays 100 ms
    EXPECT_TRUE (runMessageLoopUntil ([&] { return ! button->isPressed(); }, 20000));
    EXPECT_EQ (changes.count, 1);
    EXPECT_EQ (fillOf (*button), fillOver);
    EXPECT_EQ (button->getValue(), 0);
}

TEST (TPXPaintedButton, ASecondClickKeepsThePressedLookAFull100MsAfterIt)
{
    // Only a lower bound is checked: a loaded machine can make the release later, never earlier.
    for (const auto pauseMs : { 20, 50, 80 })
    {
        auto button = makeButton();
        MouseDriver mouse (*button);

        mouse.press ({ 10, 10 });
        mouse.release ({ 10, 10 });
        runMessageLoopFor (pauseMs);

        mouse.press ({ 10, 10 });
        const auto secondClickMs = juce::Time::getMillisecondCounterHiRes();
        mouse.release ({ 10, 10 });

        ASSERT_TRUE (runMessageLoopUntil ([&] { return ! button->isPressed(); }, 20000)) << pauseMs;
        EXPECT_GE (juce::Time::getMillisecondCounterHiRes() - secondClickMs, 100.0) << pauseMs;
    }
}

TEST (TPXPaintedButton, ReleasingOutsideOrWithTheRightButtonIsNoClick)
{
    auto button = makeButton();
    ChangeCounter changes (*button);
    MouseDriver mouse (*button);

    mouse.press ({ 10, 10 });
    mouse.release ({ 300, 10 });
    EXPECT_FALSE (button->isPressed());

    mouse.click ({ 10, 10 }, juce::ModifierKeys::rightButtonModifier);
    runMessageLoopFor (150);
    EXPECT_EQ (changes.count, 0);
    EXPECT_EQ (button->getEventCode(), tpxEventNone);
}

TEST (TPXPaintedButton, ToggleModeStartsDownAndFlipsOnClick)
{
    auto button = makeButton (true);
    ChangeCounter changes (*button);

    EXPECT_EQ (fillOf (*button), fillDown); // value 0 shows the down look

    button->clicked();
    EXPECT_EQ (button->getValue(), 1);
    EXPECT_EQ (button->getParamState(), 1);
    EXPECT_FLOAT_EQ (button->getParamValueFloat(), 1.0f);
    EXPECT_EQ (fillOf (*button), fillNormal);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 1; }, 20000));

    button->clicked();
    EXPECT_EQ (button->getValue(), 0);
    EXPECT_EQ (fillOf (*button), fillDown);

    // The parameter value is inverted on its way in.
    button->setParamState (0, 0, 0);
    EXPECT_EQ (button->getValue(), 1);
    button->setParamState (7, 0, 0);
    EXPECT_EQ (button->getValue(), 0);
}

TEST (TPXPaintedButton, ToggleModeShowsTheOverLookWhileHovered)
{
    auto button = makeButton (true);
    MouseDriver mouse (*button);

    mouse.moveTo ({ 10, 10 });
    EXPECT_EQ (fillOf (*button), fillOver);

    button->clicked();
    EXPECT_EQ (fillOf (*button), fillOver);

    mouse.leave();
    EXPECT_EQ (fillOf (*button), fillNormal);
}

TEST (TPXPaintedButton, OpacityKeepsTheNormalColoursAndFadesOnlyTheFill)
{
    auto button = makeButton();
    button->setOpacity (true, 1.0f, 0.5f);
    button->setBorderColours (juce::Colours::white, juce::Colours::red);
    button->setFlatFills (juce::Colours::black, juce::Colours::red);

    EXPECT_EQ (fillOf (*button), juce::Colours::black);

    // Pressed: still the normal colours, the black fill half transparent over the white border.
    MouseDriver mouse (*button);
    mouse.press ({ 10, 10 });
    ASSERT_TRUE (button->isPressed());
    EXPECT_TRUE (isNear (fillOf (*button), juce::Colour (0xFF808080), 3)) << fillOf (*button).toString();
    EXPECT_EQ (borderOf (*button), juce::Colours::white);
}

TEST (TPXPaintedButton, LabelIsCentredInTheInnerRectangleWithoutAnArea)
{
    auto button = makeButton();
    button->setSize (120, 30);
    button->setLabelText ("IIIIII");
    button->setPrimaryFont (nullptr, juce::Justification::centred, 20.0f);

    auto image = snapshot (*button);
    EXPECT_LT (darkestLevel (image, { 40, 5, 40, 20 }), 60);
    EXPECT_GT (darkestLevel (image, { 4, 4, 20, 22 }), 150);

    button->setLabelArea ({ 2, 2, 30, 26 });
    image = snapshot (*button);
    EXPECT_LT (darkestLevel (image, { 2, 2, 30, 26 }), 60);
    EXPECT_GT (darkestLevel (image, { 60, 4, 50, 22 }), 150);
}

TEST (TPXPaintedButton, KeysWorkOnlyWhileEnabled)
{
    auto button = makeButton();

    EXPECT_TRUE (button->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_EQ (button->getEventCode(), tpxEventClicked);

    EXPECT_FALSE (button->keyPressed (juce::KeyPress ('m', {}, 'm')));
    button->setSecondaryClickEnabled (true);
    EXPECT_TRUE (button->keyPressed (juce::KeyPress ('m', {}, 'm')));
    EXPECT_EQ (button->getEventCode(), tpxEventSecondaryClick);
    EXPECT_FALSE (button->keyPressed (juce::KeyPress ('m', juce::ModifierKeys::ctrlModifier, 'm')));

    auto disabled = makeButton();
    disabled->setEnabled (false);
    EXPECT_FALSE (disabled->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_EQ (disabled->getEventCode(), tpxEventNone);
}

TEST (TPXPaintedButton, SecondaryClicksAndFocusRaiseTheirEvents)
{
    auto button = makeButton();
    button->setSecondaryClickEnabled (true);
    MouseDriver mouse (*button);

    mouse.press ({ 5, 5 }, juce::ModifierKeys::rightButtonModifier);
    EXPECT_EQ (button->getEventCode(), tpxEventSecondaryClick);
    EXPECT_FALSE (button->isPressed());
    mouse.release ({ 5, 5 });

    button->focusGained (juce::Component::focusChangedByTabKey);
    EXPECT_EQ (button->getEventCode(), tpxEventActivated);

    button->clicked();
    button->focusGained (juce::Component::focusChangedDirectly);
    EXPECT_EQ (button->getEventCode(), tpxEventClicked);
}

TEST (TPXPaintedButton, AlphaRuleAppliesAtTheNextEnablementChange)
{
    auto button = makeButton();
    button->setAlphaRule (true, 1.0f, 0.4f);
    EXPECT_FLOAT_EQ (button->getAlpha(), 1.0f);

    button->setEnabled (false);
    EXPECT_FLOAT_EQ (button->getAlpha(), 0.4f);

    button->setEnabled (true);
    EXPECT_FLOAT_EQ (button->getAlpha(), 1.0f);

    auto plain = makeButton();
    plain->setEnabled (false);
    EXPECT_FLOAT_EQ (plain->getAlpha(), 1.0f);
}

TEST (TPXPaintedButton, AFocusRectangleIsDrawnWhileFocused)
{
    auto button = makeButton();
    button->setSize (60, 30);
    button->setFocusRectangle (true);
    button->setWantsKeyboardFocus (true);
    MouseDriver mouse (*button);

    // The ring runs along y = 3; without it those rows hold the plain fill.
    const juce::Rectangle<int> ring (6, 2, 48, 2);
    const auto ringShown = [&]
    {
        const auto image = snapshot (*button);
        return countNear (image, ring, image.getPixelAt (30, 15), 20) < 48;
    };

    button->grabKeyboardFocus();

    if (! button->hasKeyboardFocus (true))
        GTEST_SKIP() << "the window manager gave the test window no keyboard focus";

    EXPECT_TRUE (ringShown());

    button->setFocusRectangle (false);
    EXPECT_FALSE (ringShown());

    button->setFocusRectangle (true);
    button->giveAwayKeyboardFocus();

    if (! button->hasKeyboardFocus (true))
    {
        EXPECT_FALSE (ringShown());
    }
}
