#pragma once

#include "SkinPainter.h"

/** The console's two page backgrounds (800 x 553) and the logo's eyes-off overlay.

    The console paints the page background unscaled at its origin and lays its own controls over
    it at fixed places, so the panels, captions and the logo here are drawn to fit those places:
    the device and port selectors at x 280 (y 111, 149, 187), Browse and the file field at y 289
    to 331, BEGIN, the progress bar and Cancel at y 429 to 471, the status lines below each, the
    help entries in the sidebar at y 69 to 199, the tabs at (260, 13) and (429, 13), and the logo's
    eyes at (79, 246, 83, 34), where an overlay with the eyes off is shown for the first second.
*/
class ConsoleBackdrop
{
public:
    /** The two pages of the console. */
    enum class Page
    {
        send,
        receive
    };

    explicit ConsoleBackdrop (const SkinPainter& painter);

    /** The page background with the logo's eyes lit. */
    juce::Image drawPage (Page page) const;

    /** The eyes area of the page background (83 x 34) with the eyes off. */
    juce::Image drawEyesOff() const;

    static constexpr int width = 800;
    static constexpr int height = 553;

    /** Where the eyes-off overlay sits in the console. */
    static juce::Rectangle<int> getEyesArea() noexcept { return { 79, 246, 83, 34 }; }

private:
    void drawPageInto (juce::Graphics& g, Page page, bool eyesLit) const;
    void drawHeader (juce::Graphics& g, Page page) const;
    void drawSidebar (juce::Graphics& g, Page page, bool eyesLit) const;
    void drawLogo (juce::Graphics& g, bool eyesLit) const;
    void drawPanel (juce::Graphics& g, juce::Rectangle<float> area, int number, const juce::String& title) const;
    void drawFooter (juce::Graphics& g) const;

    const SkinPainter& painter;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleBackdrop)
};
