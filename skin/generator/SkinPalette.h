#pragma once

#include <juce_graphics/juce_graphics.h>

/*  The colours of Morvane's skin. Every image takes its colours from here, and MV.qorby repeats
    the same values as AARRGGBB text, so that a change of palette is made in both places.

    A dark slate frame (title bar, header band) around light grey-blue content, one teal accent
    for actions, focus and highlights, and amber only for the logo's eyes.
*/
namespace SkinPalette
{
    // Frame: title bar and the console's header band, top to bottom.
    const juce::Colour frameTop          { 0xff34465a };
    const juce::Colour frameMiddle       { 0xff2a3a4b };
    const juce::Colour frameBottom       { 0xff223040 };
    const juce::Colour frameText         { 0xffe8eef3 };
    const juce::Colour frameTextMuted    { 0xff9aa8b5 };
    const juce::Colour tabBack           { 0xff3a4b5d };
    const juce::Colour tabBackOver       { 0xff4b5f73 };
    const juce::Colour tabBackText       { 0xffc9d3dc };

    // Content.
    const juce::Colour content           { 0xffe6eaee };
    const juce::Colour sidebar           { 0xffd8dee4 };
    const juce::Colour sidebarOver       { 0xffeaeef2 };
    const juce::Colour panel             { 0xfff7f9fa };
    const juce::Colour panelBorder       { 0xffbcc5ce };
    const juce::Colour separator         { 0xffdde3e8 };
    const juce::Colour dialog            { 0xffe6eaee };   // the dialogs' body: the console's content colour

    // Text.
    const juce::Colour ink               { 0xff1f2a35 };
    const juce::Colour inkSoft           { 0xff46525e };
    const juce::Colour inkMuted          { 0xff5b6875 };
    const juce::Colour inkFaint          { 0xff8a96a2 };

    // Accent.
    const juce::Colour accent            { 0xff2d7d84 };
    const juce::Colour accentLight       { 0xff3e959c };
    const juce::Colour accentDark        { 0xff22646a };
    const juce::Colour accentDeep        { 0xff1b5358 };
    const juce::Colour accentWash        { 0xffddeff0 };

    // Controls.
    const juce::Colour control           { 0xffffffff };
    const juce::Colour controlShade      { 0xffe9edf1 };
    const juce::Colour controlPressed    { 0xffd5dce2 };
    const juce::Colour controlBorder     { 0xff8e9aa6 };
    const juce::Colour controlDisabled   { 0xffc9d0d7 };
    const juce::Colour controlDisabledInk{ 0xff8d98a3 };

    // Marks.
    const juce::Colour good              { 0xff2e9e5b };
    const juce::Colour bad               { 0xffc8453c };
    const juce::Colour badDark           { 0xffa3352e };
    const juce::Colour eyeLit            { 0xfff2b33d };
    const juce::Colour eyeOff            { 0xff3b4652 };
    const juce::Colour warningNote       { 0xfff1e7cf };
} // namespace SkinPalette
