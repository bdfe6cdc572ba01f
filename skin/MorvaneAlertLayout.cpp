#include "MorvaneAlertLayout.h"

#include <cmath>

namespace
{
juce::AttributedString messageText (const juce::String& message, const juce::Font& font, juce::Colour colour)
{
    juce::AttributedString text;
    text.setJustification (juce::Justification::topLeft);
    text.setWordWrap (juce::AttributedString::byWord);
    text.append (message, font, colour);
    return text;
}

/** The message with every word that is wider than the given width broken into pieces that fit,
    preferably after a '/', '-' or '.', so that a long web address wraps instead of running out
    of the box.
*/
juce::String breakLongWords (const juce::String& message, const juce::Font& font, float width)
{
    juce::StringArray lines;

    for (const auto& line : juce::StringArray::fromLines (message))
    {
        juce::StringArray words;

        for (const auto& word : juce::StringArray::fromTokens (line, " ", {}))
        {
            auto rest = word;

            while (font.getStringWidthFloat (rest) > width)
            {
                int fits = 1;

                while (fits < rest.length() && font.getStringWidthFloat (rest.substring (0, fits + 1)) <= width)
                    ++fits;

                int cut = fits;

                for (int i = fits; i > fits / 2; --i)
                {
                    if (juce::String ("/-.").containsChar (rest[i - 1]))
                    {
                        cut = i;
                        break;
                    }
                }

                words.add (rest.substring (0, cut) + "\n");
                rest = rest.substring (cut);
            }

            words.add (rest);
        }

        lines.add (words.joinIntoString (" ").replace ("\n ", "\n"));
    }

    return lines.joinIntoString ("\n");
}

/** The widths of the longest line as written and of the longest single word. */
std::pair<float, float> naturalWidths (const juce::String& message, const juce::Font& font)
{
    float longestLine = 0.0f, longestWord = 0.0f;

    for (const auto& line : juce::StringArray::fromLines (message))
    {
        longestLine = juce::jmax (longestLine, font.getStringWidthFloat (line));

        for (const auto& word : juce::StringArray::fromTokens (line, " \t", {}))
            longestWord = juce::jmax (longestWord, font.getStringWidthFloat (word));
    }

    return { longestLine, longestWord };
}
} // namespace

MorvaneAlertLayout MorvaneAlertLayout::compute (const juce::String& message, const juce::Font& messageFont,
                                                juce::Colour textColour, bool hasIcon,
                                                const juce::Array<int>& buttonWidths, int buttonHeight)
{
    MorvaneAlertLayout layout;

    const auto [lineWidth, wordWidth] = naturalWidths (message, messageFont);
    const auto wrapWidth = juce::jlimit ((float) readingWidth, (float) widestText, std::ceil (wordWidth) + 2.0f);
    auto textWidth = (int) std::ceil (juce::jmin (lineWidth + 2.0f, wrapWidth));
    const auto shownMessage = breakLongWords (message, messageFont, (float) textWidth - 2.0f);

    const int textX = margin + (hasIcon ? iconSize + iconGap : 0);

    int buttonsWidth = 0;

    for (auto width : buttonWidths)
        buttonsWidth += width;

    buttonsWidth += buttonGap * juce::jmax (0, buttonWidths.size() - 1);

    const int width = juce::jmax (minimumWidth, textX + textWidth + margin, buttonsWidth + 2 * margin);

    // The message takes the whole width that the box gives it.
    textWidth = width - textX - margin;
    layout.text.createLayout (messageText (shownMessage, messageFont, textColour), (float) textWidth);
    const auto textHeight = (int) std::ceil (layout.text.getHeight());

    const int bodyTop = titleBarHeight + margin;
    const int bodyHeight = juce::jmax (hasIcon ? iconSize : 0, textHeight);

    // A message shorter than the icon is centred beside it.
    const int textY = bodyTop + (hasIcon && textHeight < iconSize ? (iconSize - textHeight) / 2 : 0);

    layout.titleBar = { 0, 0, width, titleBarHeight };
    layout.icon = hasIcon ? juce::Rectangle<int> (margin, bodyTop, iconSize, iconSize) : juce::Rectangle<int>();
    layout.message = { textX, textY, textWidth, juce::jmax (1, textHeight) };

    const int footerTop = bodyTop + bodyHeight + margin;
    layout.footer = { 0, footerTop, width, buttonHeight + 2 * footerPadding };
    layout.box = { 0, 0, width, layout.footer.getBottom() };

    int x = width - margin - buttonsWidth;

    for (auto buttonWidth : buttonWidths)
    {
        layout.buttons.add ({ x, footerTop + footerPadding, buttonWidth, buttonHeight });
        x += buttonWidth + buttonGap;
    }

    return layout;
}
