#include "SkinTestSupport.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
/** A label of black text on white, big enough for clear pixels. */
std::unique_ptr<TPXLabelComponent> makeLabel (const juce::String& text = "MMMM")
{
    auto label = std::make_unique<TPXLabelComponent> (nullptr, 0, 0, 120, 40, "Label", text, juce::String(), 30.0f,
                                                      juce::Colours::black, juce::Justification::centred);
    label->setColour (juce::Label::backgroundColourId, juce::Colours::white);
    return label;
}

const juce::Colour normalText (0xFF000000), normalBg (0xFFFFFFFF);
const juce::Colour overText (0xFFFFFFFF), overBg (0xFF0000FF);
const juce::Colour selectedText (0xFF00FF00), selectedBg (0xFF800000);
} // namespace

TEST (TPXLabelFactory, TakesEveryAttributeOfItsWidget)
{
    FixtureSkin fixture;
    auto label = fixture.skin->createLabel (findWidget (*fixture.skin, "TestSkin", "label"), "Device Label");
    ASSERT_NE (label, nullptr);

    EXPECT_EQ (label->getName(), "Device Label");
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (10, 20, 120, 24));
    EXPECT_EQ (label->getText(), "Device");
    EXPECT_EQ (label->getFont().getTypefaceName(), "Fixture Regular");
    EXPECT_EQ (label->getFont().getHeight(), 14.0f);
    EXPECT_EQ (label->getJustificationType().getFlags(), juce::Justification::centredLeft);
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::black);
    EXPECT_EQ (label->findColour (juce::Label::backgroundColourId), juce::Colours::white);
    EXPECT_FLOAT_EQ (label->getMinimumHorizontalScale(), 0.7f);
    EXPECT_TRUE (label->getUseAlpha());
    EXPECT_FLOAT_EQ (label->getAlpha(), 1.0f);
    EXPECT_FALSE (label->hasStateColours());

    EXPECT_EQ (fixture.skin->createLabel (nullptr, "x"), nullptr);
}

TEST (TPXLabelFactory, DefaultsOfAnAlmostEmptyWidget)
{
    FixtureSkin fixture;
    auto label = fixture.skin->createLabel (makeWidget ({ { "positionX", "3" }, { "positionY", "4" },
                                                          { "width", "50" }, { "height", "10" },
                                                          { "useAlpha", "false" }, { "alpha", "0.5" } }).get(), "l");

    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (3, 4, 50, 10));
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0x00000000)); // transparent text
    EXPECT_EQ (label->getFont().getHeight(), 0.1f);
    EXPECT_EQ (label->getFont().getTypefaceName(), juce::Font().getTypefaceName());
    EXPECT_EQ (label->getJustificationType().getFlags(), 0);
    EXPECT_FALSE (label->getUseAlpha());
    EXPECT_NEAR (label->getAlpha(), 0.5f, 0.01f);
}

TEST (TPXLabelFactory, OneStateColourSwitchesStateColoursOnWithDefaultsForTheRest)
{
    FixtureSkin fixture;
    auto label = fixture.skin->createLabel (makeWidget ({ { "width", "50" }, { "height", "10" }, { "fontColor", "FF123456" },
                                                          { "normalTextColor", "FF00FF00" } }).get(), "l");

    EXPECT_TRUE (label->hasStateColours());
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xFF00FF00));
    EXPECT_EQ (label->findColour (juce::Label::backgroundColourId), juce::Colour (0x00000000));

    label->setSelected (true); // the selected text colour defaults to the normal one
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colour (0xFF00FF00));
}

//==============================================================================
TEST (TPXLabelComponent, ConstructorSetsFontColoursAndPlace)
{
    FixtureSkin fixture;
    TPXLabelComponent label (fixture.skin.get(), 7, 8, 90, 30, "Name", "Text", "regular.stf", 16.0f,
                             juce::Colours::red, juce::Justification::right);

    EXPECT_EQ (label.getBounds(), juce::Rectangle<int> (7, 8, 90, 30));
    EXPECT_EQ (label.getName(), "Name");
    EXPECT_EQ (label.getText(), "Text");
    EXPECT_EQ (label.getFont().getTypefaceName(), "Fixture Regular");
    EXPECT_EQ (label.getFont().getHeight(), 16.0f);
    EXPECT_EQ (label.findColour (juce::Label::textColourId), juce::Colours::red);

    TPXLabelComponent withoutSkin (nullptr, 0, 0, 10, 10, "n", "t", "regular.stf", 16.0f, juce::Colours::red,
                                   juce::Justification::left);
    EXPECT_EQ (withoutSkin.getFont().getTypefaceName(), juce::Font().getTypefaceName());
}

TEST (TPXLabelComponent, DisabledTextIsDimmedOnlyWithUseAlpha)
{
    auto label = makeLabel();
    const auto textArea = juce::Rectangle<int> (0, 0, 120, 40);

    EXPECT_LT (darkestLevel (snapshot (*label), textArea), 20);

    label->setEnabled (false);
    const auto dimmed = darkestLevel (snapshot (*label), textArea);
    EXPECT_GT (dimmed, 110);
    EXPECT_LT (dimmed, 145);

    label->setUseAlpha (false);
    EXPECT_LT (darkestLevel (snapshot (*label), textArea), 20);

    label->setUseAlpha (true);
    label->setDisabledAlpha (0.0f);
    EXPECT_EQ (darkestLevel (snapshot (*label), { 6, 6, 108, 28 }), 255);
}

TEST (TPXLabelComponent, HoverChangesNothingWithoutStateColours)
{
    auto label = makeLabel();
    const auto before = snapshot (*label);
    MouseDriver mouse (*label);

    mouse.moveTo ({ 20, 20 });
    EXPECT_TRUE (label->isMouseOverLabel());
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::black);
    EXPECT_EQ (snapshot (*label).getPixelAt (2, 2), before.getPixelAt (2, 2));
}

TEST (TPXLabelComponent, StateColoursFollowHoverAndSelection)
{
    auto label = makeLabel();
    label->setStateColours (normalText, normalBg, selectedText, selectedBg, overText, overBg);
    MouseDriver mouse (*label);

    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), normalBg);

    mouse.moveTo ({ 20, 20 });
    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), overBg);
    EXPECT_EQ (label->findColour (juce::Label::textColourId), overText);

    label->setSelected (true);
    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), selectedBg);

    label->setSelected (false);
    mouse.leave();
    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), normalBg);
}

TEST (TPXLabelComponent, ADisabledLabelKeepsItsNormalColoursUnderTheMouse)
{
    auto label = makeLabel();
    label->setStateColours (normalText, normalBg, selectedText, selectedBg, overText, overBg);
    label->setEnabled (false);
    MouseDriver mouse (*label);

    mouse.moveTo ({ 20, 20 });
    EXPECT_FALSE (label->isMouseOverLabel());
    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), normalBg);

    // Enabled while the mouse is over it: the over colours apply at once.
    label->setEnabled (true);
    EXPECT_EQ (snapshot (*label).getPixelAt (3, 3), overBg);
}

TEST (TPXLabelComponent, LongTextIsSqueezedToTheMinimumScaleBeforeItIsCut)
{
    auto label = std::make_unique<TPXLabelComponent> (nullptr, 0, 0, 100, 30, "l", "", juce::String(), 20.0f,
                                                      juce::Colours::black, juce::Justification::centredLeft);
    label->setBorderSize ({});
    label->setColour (juce::Label::backgroundColourId, juce::Colours::white);

    // Text 1.25 times as wide as the label.
    juce::String text ("W");
    while (juce::Font (20.0f).getStringWidthFloat (text + "W") <= 125.0f)
        text << "W";

    label->setText (text, juce::dontSendNotification);
    label->setMinimumHorizontalScale (0.7f);
    const auto squeezed = snapshot (*label);
    EXPECT_LT (darkestLevel (squeezed, { 90, 0, 10, 30 }), 80) << "squeezed text reaches the right end";
    EXPECT_EQ (squeezed.getPixelAt (50, 29), juce::Colours::white);

    label->setMinimumHorizontalScale (1.0f);
    const auto cut = snapshot (*label);
    EXPECT_LT (darkestLevel (cut, { 0, 0, 100, 30 }), 80) << "unsqueezed text is shortened, still drawn";
}

TEST (TPXLabelComponent, NotifiesAPressOnlyWhenAskedAndEnabled)
{
    auto label = makeLabel();
    ChangeCounter changes (*label);
    MouseDriver mouse (*label);

    mouse.click ({ 10, 10 });
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 0);

    label->setNotifyEnabled (true);
    mouse.click ({ 10, 10 });
    EXPECT_TRUE (runMessageLoopUntil ([&] { return changes.count == 1; }, 20000));
    EXPECT_EQ (label->getEventCode(), tpxEventActivated);

    label->setEnabled (false);
    mouse.click ({ 10, 10 });
    runMessageLoopFor (30);
    EXPECT_EQ (changes.count, 1);
}

TEST (TPXLabelComponent, TheEditorHonoursInputRestrictions)
{
    auto label = makeLabel ("12");
    label->setEditable (true);
    label->setInputRestrictions (3, "0123456789");
    MouseDriver mouse (*label);

    label->showEditor();
    auto* editor = label->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->setText ({}, false);
    editor->insertTextAtCaret ("a1b2345");
    EXPECT_EQ (editor->getText(), "123");
    label->hideEditor (true);
}

TEST (TPXLabelComponent, ARuleIsDrawnBesideTheText)
{
    auto label = makeLabel ("M");
    label->setJustificationType (juce::Justification::centredLeft);
    label->setRule (true, 2, juce::Colours::red, 2.0f);

    const auto image = snapshot (*label);
    EXPECT_GT (countNear (image, { 60, 19, 50, 2 }, juce::Colours::red, 40), 40);
    EXPECT_EQ (countNear (image, { 60, 0, 50, 12 }, juce::Colours::red, 40), 0);
}

//==============================================================================
TEST (TPXMultiLineLabel, ShowsReadOnlyTextWithoutVisibleSelection)
{
    FixtureSkin fixture;
    TPXMultiLineLabelComponent notes (fixture.skin.get(), 5, 6, 200, 80, "Notes", "First line\nSecond line",
                                      juce::Colours::white, juce::Colours::black, "regular.stf", 15.0f);

    EXPECT_EQ (notes.getBounds(), juce::Rectangle<int> (5, 6, 200, 80));
    EXPECT_EQ (notes.getName(), "Notes");
    EXPECT_TRUE (notes.isMultiLine());
    EXPECT_TRUE (notes.isReadOnly());
    EXPECT_EQ (notes.getText(), "First line\nSecond line");
    EXPECT_EQ (notes.getLabelFont().getTypefaceName(), "Fixture Regular");
    EXPECT_EQ (notes.findColour (juce::TextEditor::highlightColourId), juce::Colours::white);
    EXPECT_EQ (notes.findColour (juce::TextEditor::highlightedTextColourId), juce::Colours::black);

    notes.keyPressed (juce::KeyPress ('x', {}, 'x'));
    EXPECT_EQ (notes.getText(), "First line\nSecond line");

    const auto unselected = snapshot (notes);
    notes.selectAll();
    const auto selected = snapshot (notes);

    // Only the edges of the letters may come out a little differently; a visible highlight
    // would change whole lines.
    int changed = 0;

    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x)
            if (! isNear (selected.getPixelAt (x, y), unselected.getPixelAt (x, y), 60))
                ++changed;

    EXPECT_LT (changed, 100);
    EXPECT_LT (darkestLevel (selected, { 0, 0, 200, 40 }), 60);
}

TEST (TPXMultiLineLabel, WithoutASkinTheDefaultFontIsKept)
{
    TPXMultiLineLabelComponent notes (nullptr, 0, 0, 100, 40, "n", "t", juce::Colours::white, juce::Colours::black,
                                      "regular.stf", 30.0f);
    EXPECT_EQ (notes.getLabelFont().getTypefaceName(), juce::Font().getTypefaceName());
}
