#include "SkinTestSupport.h"
#include "TPXDrawableButton.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
juce::Colour centreOf (TPXDrawableButton& button)
{
    return snapshot (button).getPixelAt (button.getWidth() / 2, button.getHeight() / 2);
}

/** Stretched images are resampled: colours may move a little. */
#define EXPECT_SHOWS(button, colour) EXPECT_TRUE (isNear (centreOf (button), colour, 4)) << centreOf (button).toString()

struct ClickCounter : juce::Button::Listener
{
    void buttonClicked (juce::Button*) override { ++clicks; }
    int clicks = 0;
};

TPXMenuEntry entry (juce::int32 id, const char* text, bool enabled = true, bool ticked = false)
{
    TPXMenuEntry e {};
    e.itemId = id;
    juce::String (text).copyToUTF8 (e.text, sizeof (e.text));
    e.enabled = enabled ? 1 : 0;
    e.ticked = ticked ? 1 : 0;
    return e;
}
} // namespace

TEST (TPXDrawableButtonFactory, BuildsTheButtonFromItsWidgetElement)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createDrawableButton (findWidget (*fixture.skin, "TestSkin", "fullButton"), "OK Button");
    ASSERT_NE (button, nullptr);

    EXPECT_EQ (button->getName(), "OK Button");
    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (5, 6, 40, 20));
    EXPECT_EQ (button->getTooltip(), "Press me");
    EXPECT_TRUE (button->acceptsLeftButton());
    EXPECT_FALSE (button->acceptsRightButton());
    EXPECT_EQ (button->getLabel(), nullptr);

    EXPECT_EQ (fixture.skin->createDrawableButton (nullptr, "x"), nullptr);
}

TEST (TPXDrawableButtonFactory, EachStateShowsItsSkinImageStretchedOverTheButton)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createDrawableButton (findWidget (*fixture.skin, "TestSkin", "fullButton"), "b");

    button->setSize (60, 12); // images are 20 x 10: stretched, they cover every corner
    const auto image = snapshot (*button);
    EXPECT_TRUE (isNear (image.getPixelAt (0, 0), fixtureColours::up, 4));
    EXPECT_TRUE (isNear (image.getPixelAt (59, 11), fixtureColours::up, 4));
    EXPECT_TRUE (isNear (image.getPixelAt (2, 6), fixtureColours::up, 4));

    button->setState (juce::Button::buttonOver);
    EXPECT_SHOWS (*button, fixtureColours::over);

    button->setState (juce::Button::buttonDown);
    EXPECT_SHOWS (*button, fixtureColours::down);

    button->setState (juce::Button::buttonNormal);
    button->setEnabled (false);
    EXPECT_SHOWS (*button, fixtureColours::disabled);

    button->setEnabled (true);
    button->setToggleState (true, juce::dontSendNotification);
    EXPECT_SHOWS (*button, fixtureColours::up); // the up image serves as the up-on image
}

TEST (TPXDrawableButtonFactory, OnlyAnUpImageServesTheOnStateAndGivesTheSize)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createDrawableButton (findWidget (*fixture.skin, "TestSkin", "upOnlyButton"), "b");

    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (1, 2, 20, 10));
    EXPECT_SHOWS (*button, fixtureColours::up);

    button->setToggleState (true, juce::dontSendNotification);
    EXPECT_SHOWS (*button, fixtureColours::up);

    button->setState (juce::Button::buttonDown);
    EXPECT_SHOWS (*button, fixtureColours::up);
}

TEST (TPXDrawableButtonFactory, OnImagesAndTheDownImageAsDisabledImage)
{
    FixtureSkin fixture;
    auto widget = makeWidget ({ { "upImage", "up.png" }, { "downImage", "down.png" }, { "upImageOn", "over.png" },
                                { "width", "30" } });
    auto button = fixture.skin->createDrawableButton (widget.get(), "b");

    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (0, 0, 30, 10));

    button->setEnabled (false);
    EXPECT_SHOWS (*button, fixtureColours::down);

    button->setEnabled (true);
    button->setToggleState (true, juce::dontSendNotification);
    EXPECT_SHOWS (*button, fixtureColours::over);
}

TEST (TPXDrawableButtonFactory, MissingImagesShowThePlaceholderAndNoImageIsNoCrash)
{
    FixtureSkin fixture;
    auto misnamed = fixture.skin->createDrawableButton (makeWidget ({ { "upImage", "nothing.png" } }).get(), "b");
    EXPECT_EQ (misnamed->getBounds(), juce::Rectangle<int> (0, 0, 16, 16)); // the placeholder's size
    EXPECT_SHOWS (*misnamed, fixtureColours::missing);

    auto imageless = fixture.skin->createDrawableButton (makeWidget ({ { "positionX", "3" } }).get(), "b");
    ASSERT_NE (imageless, nullptr);
    EXPECT_EQ (imageless->getBounds(), juce::Rectangle<int> (3, 0, 0, 0));
    imageless->setSize (10, 10);
    EXPECT_EQ (centreOf (*imageless).getAlpha(), 0);
}

TEST (TPXDrawableButtonFactory, ALabelRectangleGivesALabelInItsColours)
{
    FixtureSkin fixture;
    auto widget = makeWidget ({ { "upImage", "up.png" }, { "width", "80" }, { "height", "30" },
                                { "labelTextRect", "5 0 0 0" }, { "labelTextJustify", "centred" },
                                { "labelFont", "regular.stf" }, { "labelFontSize", "14" },
                                { "labelFontColor", "FF102030" }, { "labelFontColorOver", "FF405060" } });
    auto button = fixture.skin->createDrawableButton (widget.get(), "b");

    auto* label = button->getLabel();
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getName(), "label");
    EXPECT_TRUE (label->getText().isEmpty());
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (5, 0, 80, 30)); // zero sizes take the button's
    EXPECT_EQ (label->getJustificationType().getFlags(), juce::Justification::centred);
    EXPECT_EQ (label->getFont().getHeight(), 14.0f);
    EXPECT_EQ (label->getFont().getTypefaceName(), "Fixture Regular");
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xFF102030));
    bool interceptsClicks = true, childrenIntercept = true;
    label->getInterceptsMouseClicks (interceptsClicks, childrenIntercept);
    EXPECT_FALSE (interceptsClicks);

    // Without the colour attributes the label is transparent, and over and down are black.
    auto plain = fixture.skin->createDrawableButton (makeWidget ({ { "upImage", "up.png" }, { "labelTextRect", "0 0 10 10" } }).get(), "b");
    EXPECT_EQ (plain->getLabel()->findColour (juce::Label::textColourId), juce::Colour (0x00000000));
    EXPECT_EQ (plain->getLabelFontSize(), 12.0f);
}

//==============================================================================
TEST (TPXDrawableButton, AFactoryButtonIgnoresTheRightButton)
{
    FixtureSkin fixture;
    auto button = fixture.skin->createDrawableButton (findWidget (*fixture.skin, "TestSkin", "fullButton"), "b");
    ClickCounter counter;
    button->addListener (&counter);
    MouseDriver mouse (*button);

    mouse.press ({ 10, 10 }, juce::ModifierKeys::rightButtonModifier);
    EXPECT_NE (button->getState(), juce::Button::buttonDown);
    mouse.release ({ 10, 10 });
    EXPECT_EQ (counter.clicks, 0);

    mouse.click ({ 10, 10 });
    EXPECT_EQ (counter.clicks, 1);

    button->removeListener (&counter);
}

TEST (TPXDrawableButton, AButtonBuiltDirectlyClicksWithAnyMouseButton)
{
    TPXDrawableButton button ("b");
    button.setSize (30, 20);
    ClickCounter counter;
    button.addListener (&counter);
    MouseDriver mouse (button);

    mouse.click ({ 5, 5 }, juce::ModifierKeys::leftButtonModifier);
    mouse.click ({ 5, 5 }, juce::ModifierKeys::rightButtonModifier);
    mouse.click ({ 5, 5 }, juce::ModifierKeys::middleButtonModifier);
    EXPECT_EQ (counter.clicks, 3);
    button.removeListener (&counter);
}

TEST (TPXDrawableButton, ReleasingOutsideIsNoClick)
{
    TPXDrawableButton button ("b");
    button.setSize (30, 20);
    ClickCounter counter;
    button.addListener (&counter);

    MouseDriver mouse (button);
    mouse.press ({ 5, 5 });
    EXPECT_EQ (button.getState(), juce::Button::buttonDown);
    mouse.release ({ 100, 100 });
    EXPECT_EQ (counter.clicks, 0);

    button.removeListener (&counter);
}

TEST (TPXDrawableButton, TheLabelFollowsHoverAndPressEvenForARefusedButton)
{
    TPXDrawableButton button ("b");
    button.setSize (40, 20);
    button.setMouseButtons (true, false);
    button.setLabel ({}, juce::Justification::centred, juce::Font (12.0f), juce::Colours::black, 12.0f);
    button.setLabelColours (juce::Colours::red, juce::Colours::green, juce::Colours::blue);
    const auto labelColour = [&button] { return button.getLabel()->findColour (juce::Label::textColourId); };

    MouseDriver mouse (button);
    mouse.moveTo ({ 5, 5 });
    EXPECT_EQ (labelColour(), juce::Colours::green);
    EXPECT_EQ (button.getState(), juce::Button::buttonOver);

    mouse.press ({ 5, 5 }, juce::ModifierKeys::rightButtonModifier);
    EXPECT_EQ (labelColour(), juce::Colours::blue);
    EXPECT_EQ (button.getState(), juce::Button::buttonOver);
    mouse.release ({ 5, 5 });

    mouse.leave();
    EXPECT_EQ (labelColour(), juce::Colours::red);
    EXPECT_EQ (button.getState(), juce::Button::buttonNormal);
}

TEST (TPXDrawableButton, NotifiesClicksOnlyWhenAskedAndOnlyToListeners)
{
    TPXDrawableButton button ("b");
    button.setSize (30, 20);
    MouseDriver mouse (button);

    // No listener: the code is stored, but no message is posted.
    button.setNotifyEnabled (true);
    mouse.click ({ 5, 5 });
    EXPECT_EQ (button.getEventCode(), tpxEventClicked);

    ChangeCounter changes (button);
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 0);

    mouse.click ({ 5, 5 });
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 1; }, 20000));

    button.setNotifyEnabled (false);
    mouse.click ({ 5, 5 });
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 1);
}

TEST (TPXDrawableButton, DimmedDisablingFadesTheButton)
{
    TPXDrawableButton button ("b");

    button.setEnabledDimmed (false, true);
    EXPECT_FALSE (button.isEnabled());
    EXPECT_NEAR (button.getAlpha(), 0.3f, 0.01f);

    button.setEnabledDimmed (true, true);
    EXPECT_TRUE (button.isEnabled());
    EXPECT_FLOAT_EQ (button.getAlpha(), 1.0f);

    button.setEnabledDimmed (false, false);
    EXPECT_FALSE (button.isEnabled());
    EXPECT_FLOAT_EQ (button.getAlpha(), 1.0f);
}

TEST (TPXDrawableButton, ParameterStateIsTheButtonState)
{
    TPXDrawableButton button ("b");
    EXPECT_EQ (button.getParamState(), 0);

    button.setParamState (5, 0, 0);
    EXPECT_EQ (button.getState(), juce::Button::buttonDown);
    EXPECT_EQ (button.getParamState(), 1);

    button.setState (juce::Button::buttonOver);
    EXPECT_EQ (button.getParamState(), 1);

    button.setParamState (0, 0, 0);
    EXPECT_EQ (button.getState(), juce::Button::buttonNormal);
    EXPECT_EQ (button.getParamState(), 0);
}

TEST (TPXDrawableButton, MenuTablesBuildNestedMenus)
{
    const TPXMenuEntry table[] = {
        entry (1, "Open"),
        entry (2, "Save", false, true),
        entry (TPXMenuEntry::separator, ""),
        entry (TPXMenuEntry::beginSubMenu, "More"),
        entry (3, "Deeper"),
        entry (TPXMenuEntry::beginSubMenu, "Deepest"),
        entry (4, "Bottom"),
        entry (TPXMenuEntry::endSubMenuAlternative, ""),
        entry (TPXMenuEntry::endSubMenu, ""),
        entry (5, "Last"),
        entry (TPXMenuEntry::endSubMenu, ""),
        entry (99, "never read"),
    };

    const auto menu = TPXDrawableButton::buildMenu (table, nullptr);
    juce::StringArray texts;
    std::vector<const juce::PopupMenu::Item*> items;

    for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
    {
        texts.add (it.getItem().text);
        items.push_back (&it.getItem());
    }

    EXPECT_EQ (texts.joinIntoString ("|"), "Open|Save||More|Deeper|Deepest|Bottom|Last");
    ASSERT_EQ (items.size(), 8u);
    EXPECT_TRUE (items[1]->isTicked);
    EXPECT_FALSE (items[1]->isEnabled);
    EXPECT_TRUE (items[2]->isSeparator);
    EXPECT_NE (items[3]->subMenu, nullptr);
    EXPECT_EQ (items[7]->itemID, 5);
}

TEST (TPXDrawableButton, AMenuTableThatEndsAtOnceIsAnEmptyMenu)
{
    const TPXMenuEntry table[] = { entry (TPXMenuEntry::endSubMenu, ""), entry (1, "never") };
    EXPECT_EQ (TPXDrawableButton::buildMenu (table, nullptr).getNumItems(), 0);
    EXPECT_EQ (TPXDrawableButton::buildMenu (nullptr, nullptr).getNumItems(), 0);

    // Texts fill their whole field without a terminator: read up to the field's end only.
    TPXMenuEntry longText = entry (7, "");
    std::fill (std::begin (longText.text), std::end (longText.text), 'x');
    const TPXMenuEntry table2[] = { longText, entry (TPXMenuEntry::endSubMenu, "") };
    const auto menu = TPXDrawableButton::buildMenu (table2, nullptr);
    juce::PopupMenu::MenuItemIterator it (menu);
    ASSERT_TRUE (it.next());
    EXPECT_EQ (it.getItem().text.length(), 384);
}

TEST (TPXDrawableButton, FirstScaleRecordsTheLayoutBounds)
{
    TPXDrawableButton button ("b");
    button.setBounds (10, 20, 30, 40);
    button.applyScale (false);
    EXPECT_EQ (button.getUnscaledBounds(), juce::Rectangle<int> (10, 20, 30, 40));

    button.setBounds (0, 0, 5, 5);
    button.applyScale (true);
    EXPECT_EQ (button.getUnscaledBounds(), juce::Rectangle<int> (10, 20, 30, 40));
    EXPECT_TRUE (button.getTransform().isIdentity());
    EXPECT_EQ (button.getScaleFactor(), 1.0);
}
