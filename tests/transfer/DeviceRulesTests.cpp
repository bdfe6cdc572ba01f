#include "DeviceRules.h"

#include <gtest/gtest.h>

namespace
{
const int allModels[] = { 2, 3, 4, 5, 6, 7, 8, 10, 16, 255 };

TEST (DeviceRules, DeviceMenuListsTheModelsInOrderAndUtilityOnlyOnTheSendPageWithCtrl)
{
    const auto& entries = DeviceRules::deviceMenuEntries();
    const int ids[] = { 3, 6, 7, 16, 5, 10, 8, 2, 4 };

    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ (entries[i].id, ids[i]);

    EXPECT_STREQ (entries[0].text, "Orvix II Original/MK II");
    EXPECT_STREQ (entries[8].text, "QMR-303 MK3");
    EXPECT_TRUE (DeviceRules::offersUtility (false, true));
    EXPECT_FALSE (DeviceRules::offersUtility (false, false));
    EXPECT_FALSE (DeviceRules::offersUtility (true, true));
    EXPECT_EQ (DeviceRules::menuTextForModel (255), "Utility");
    EXPECT_TRUE (DeviceRules::menuTextForModel (247).isEmpty());
}

TEST (DeviceRules, AutomaticChoiceTakesTheFirstNameContainingThePatternIgnoringCase)
{
    // Near misses first, then two ports that both match: the first in list order wins.
    const juce::StringArray names { "Orvix II MID", "ORVIX 2 MIDI", "orvix ii midi 1", "Orvix II MIDI 2" };
    EXPECT_EQ (DeviceRules::findPortByPattern (names, DeviceRules::portPattern (3)), 2);

    const juce::StringArray duplicates { "Midi Through", "KT4 MIDI", "KT4 MIDI" };
    EXPECT_EQ (DeviceRules::findPortByPattern (duplicates, DeviceRules::portPattern (8)), 1);

    // "Orvix III" is not an Orvix II port, and an LM6 MK II looks for the Orvix II pattern.
    const juce::StringArray three { "Orvix III MIDI 1" };
    EXPECT_EQ (DeviceRules::findPortByPattern (three, DeviceRules::portPattern (3)), -1);
    EXPECT_EQ (DeviceRules::findPortByPattern (three, DeviceRules::portPattern (16)), 0);
    EXPECT_EQ (DeviceRules::portPattern (10), "ORVIX II MIDI");
    EXPECT_EQ (DeviceRules::portPattern (5), "LM6 MIDI");

    EXPECT_EQ (DeviceRules::findPortByPattern ({ "LM6MIDI", "LM 6 MIDI" }, "LM6 MIDI"), -1);
    EXPECT_EQ (DeviceRules::findPortByPattern ({}, "KT4 MIDI"), -1);
}

TEST (DeviceRules, LinkIsReadyWhenThePortsTheModelNeedsOnThisPageAreOpen)
{
    for (int model : allModels)
    {
        for (bool receivePage : { false, true })
        {
            const bool both = DeviceRules::isLinkReady (model, true, true, receivePage);
            const bool inOnly = DeviceRules::isLinkReady (model, true, false, receivePage);
            const bool outOnly = DeviceRules::isLinkReady (model, false, true, receivePage);
            EXPECT_FALSE (DeviceRules::isLinkReady (model, false, false, receivePage));

            if (DeviceRules::needsBothPorts (model))
            {
                EXPECT_TRUE (both);
                EXPECT_FALSE (inOnly);
                EXPECT_FALSE (outOnly);
            }
            else if (model == 255)
            {
                EXPECT_TRUE (outOnly);
                EXPECT_FALSE (inOnly);
            }
            else
            {
                EXPECT_EQ (outOnly, ! receivePage) << model;
                EXPECT_EQ (inOnly, receivePage) << model;
            }
        }
    }

    for (int none : { 247, 254 })
        EXPECT_FALSE (DeviceRules::isLinkReady (none, true, true, false));
}

TEST (DeviceRules, SelectorsAndLabelsFollowThePortsAModelUses)
{
    for (int model : allModels)
    {
        const bool onePort = model == 2 || model == 4 || model == 255;
        EXPECT_EQ (DeviceRules::inputSelectorEnabled (model, false), ! onePort);
        EXPECT_TRUE (DeviceRules::inputSelectorEnabled (model, true));
        EXPECT_TRUE (DeviceRules::outputSelectorEnabled (model, false));
        EXPECT_EQ (DeviceRules::outputSelectorEnabled (model, true), ! onePort);
    }

    EXPECT_EQ (DeviceRules::inputLabelAfterReset (2, false), "Port is not needed");
    EXPECT_EQ (DeviceRules::inputLabelAfterReset (2, true), "Select an Input Port");
    EXPECT_EQ (DeviceRules::inputLabelAfterReset (255, false), "Port is not needed");
    EXPECT_EQ (DeviceRules::inputLabelAfterReset (3, false), "Select an Input Port");
    EXPECT_EQ (DeviceRules::outputLabelAfterReset (2, true), "Port is not needed");
    EXPECT_EQ (DeviceRules::outputLabelAfterReset (2, false), "Select an Output Port");
    EXPECT_EQ (DeviceRules::outputLabelAfterReset (16, true), "Select an Output Port");
}

TEST (DeviceRules, LinkSidesHandedToTheWorker)
{
    auto sides = DeviceRules::linkSidesFor (16, true, true);
    ASSERT_TRUE (sides.has_value());
    EXPECT_TRUE (sides->input && sides->output);

    EXPECT_FALSE (DeviceRules::linkSidesFor (16, false, true).has_value());
    EXPECT_FALSE (DeviceRules::linkSidesFor (3, true, false).has_value());

    sides = DeviceRules::linkSidesFor (2, true, true);
    ASSERT_TRUE (sides.has_value());
    EXPECT_TRUE (sides->output);
    EXPECT_FALSE (sides->input);

    sides = DeviceRules::linkSidesFor (4, true, false);
    ASSERT_TRUE (sides.has_value());
    EXPECT_TRUE (sides->input);
    EXPECT_FALSE (sides->output);

    EXPECT_FALSE (DeviceRules::linkSidesFor (247, true, true).has_value());
}

TEST (DeviceRules, BufferDelayPerModel)
{
    auto delay = DeviceRules::bufferDelayFor (2, false);
    ASSERT_TRUE (delay.has_value());
    EXPECT_EQ (delay->milliseconds, 150);
    EXPECT_TRUE (delay->shown);

    delay = DeviceRules::bufferDelayFor (4, false);
    ASSERT_TRUE (delay.has_value());
    EXPECT_EQ (delay->milliseconds, 300);

    EXPECT_FALSE (DeviceRules::bufferDelayFor (2, true).has_value());
    EXPECT_FALSE (DeviceRules::bufferDelayFor (4, true).has_value());

    delay = DeviceRules::bufferDelayFor (255, true);
    ASSERT_TRUE (delay.has_value());
    EXPECT_EQ (delay->milliseconds, 300);

    for (int model : { 3, 16, 8, 247, 254 })
    {
        delay = DeviceRules::bufferDelayFor (model, false);
        ASSERT_TRUE (delay.has_value());
        EXPECT_EQ (delay->milliseconds, 0);
        EXPECT_FALSE (delay->shown);
    }
}

TEST (DeviceRules, ReceiveBeginLabelRule)
{
    EXPECT_TRUE (DeviceRules::showsReceiveBegin (3, true, true, true, true));
    EXPECT_FALSE (DeviceRules::showsReceiveBegin (3, true, true, false, true));
    EXPECT_FALSE (DeviceRules::showsReceiveBegin (3, true, true, true, false));
    EXPECT_TRUE (DeviceRules::showsReceiveBegin (2, true, false, true, true));
    EXPECT_FALSE (DeviceRules::showsReceiveBegin (2, false, true, true, true));
}
} // namespace
