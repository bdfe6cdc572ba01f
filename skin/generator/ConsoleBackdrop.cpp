#include "ConsoleBackdrop.h"

#include "SkinPalette.h"

namespace
{
    constexpr int headerBottom = 46;
    constexpr int sidebarWidth = 240;
    constexpr int footerTop = 518;

    // Eye centres and sizes; the glow of each eye stays inside getEyesArea().
    const juce::Point<float> leftEye { 99.5f, 263.0f };
    const juce::Point<float> rightEye { 141.5f, 263.0f };
    constexpr float eyeRadius = 9.5f;
    constexpr float glowRadius = 16.0f;
} // namespace

ConsoleBackdrop::ConsoleBackdrop (const SkinPainter& p)
    : painter (p)
{
}

juce::Image ConsoleBackdrop::drawPage (Page page) const
{
    auto image = SkinPainter::makeImage (width, height);
    juce::Graphics g (image);
    drawPageInto (g, page, true);
    return image;
}

juce::Image ConsoleBackdrop::drawEyesOff() const
{
    const auto area = getEyesArea();
    auto image = SkinPainter::makeImage (area.getWidth(), area.getHeight());
    juce::Graphics g (image);
    g.setOrigin (-area.getX(), -area.getY());
    drawPageInto (g, Page::send, false);
    return image;
}

void ConsoleBackdrop::drawPageInto (juce::Graphics& g, Page page, bool eyesLit) const
{
    g.fillAll (SkinPalette::content);
    drawHeader (g, page);
    drawSidebar (g, page, eyesLit);
    drawFooter (g);

    const auto sending = page == Page::send;

    drawPanel (g, { 250.0f, 58.0f, 540.0f, 170.0f }, 1, "DEVICE AND MIDI PORTS");
    drawPanel (g, { 250.0f, 238.0f, 540.0f, 126.0f }, 2, sending ? "FILE TO SEND" : "BACKUP FOLDER");
    drawPanel (g, { 250.0f, 376.0f, 540.0f, 130.0f }, 3, sending ? "SEND TO DEVICE" : "RECEIVE BACKUP");

    // Hints at the right end of each panel's title row, clear of the controls below.
    const auto hintFont = painter.getFont (false, 11.5f);
    const auto hint = [&] (float y, const juce::String& text)
    {
        painter.drawLine (g, text, hintFont, { 470.0f, y, 308.0f, 18.0f }, SkinPalette::inkFaint,
                          juce::Justification::centredRight);
    };

    hint (67.0f, "Choose the device first, then its MIDI ports");
    hint (247.0f, sending ? "Browse, or drop a .syx file on this window"
                          : "Browse, or drop a folder on this window");
    hint (385.0f, sending ? "BEGIN sends the file, Cancel stops it"
                          : "BEGIN asks what to back up");
}

void ConsoleBackdrop::drawHeader (juce::Graphics& g, Page page) const
{
    const auto band = juce::Rectangle<float> (0.0f, 0.0f, (float) width, (float) headerBottom);
    g.setGradientFill (juce::ColourGradient::vertical (SkinPalette::frameMiddle, 0.0f,
                                                       SkinPalette::frameBottom, band.getBottom()));
    g.fillRect (band);
    g.setColour (SkinPalette::frameBottom.darker (0.25f));
    g.fillRect (0, headerBottom - 1, width, 1);

    painter.drawLine (g, "Morvane", painter.getFont (true, 21.0f, 0.01f), { 18.0f, 5.0f, 200.0f, 25.0f },
                      SkinPalette::frameText, juce::Justification::centredLeft);
    painter.drawLine (g, "ZANDREL AUDIO", painter.getFont (true, 8.5f, 0.3f), { 19.0f, 30.0f, 200.0f, 11.0f },
                      SkinPalette::frameTextMuted, juce::Justification::centredLeft);

    painter.drawLine (g, page == Page::send ? "Send files to a device" : "Back up a device",
                      painter.getFont (false, 12.5f), { 606.0f, 20.0f, 180.0f, 20.0f },
                      SkinPalette::frameTextMuted, juce::Justification::centredRight);
}

void ConsoleBackdrop::drawSidebar (juce::Graphics& g, Page, bool eyesLit) const
{
    g.setColour (SkinPalette::sidebar);
    g.fillRect (0, headerBottom, sidebarWidth, footerTop - headerBottom);
    g.setColour (SkinPalette::panelBorder);
    g.fillRect (sidebarWidth, headerBottom, 1, footerTop - headerBottom);

    drawLogo (g, eyesLit);

    // The device families Morvane serves, set like the help headings above.
    const auto headingFont = painter.getFont (true, 10.5f, 0.12f);
    const juce::String heading ("SUPPORTED DEVICES");
    painter.drawLine (g, heading, headingFont, { 16.0f, 372.0f, 210.0f, 20.0f }, SkinPalette::inkMuted,
                      juce::Justification::centredLeft);
    const auto ruleStart = 16.0f + headingFont.getStringWidthFloat (heading) + 8.0f;
    g.setColour (SkinPalette::panelBorder);
    g.fillRect (juce::Rectangle<float> (ruleStart, 382.0f, 224.0f - ruleStart, 1.0f));

    const juce::StringArray devices { "Orvix II, II XL and II XL+", "Orvix III", "LM6", "KT4",
                                      "QMR-303 foot controller" };
    auto y = 396.0f;

    for (auto& device : devices)
    {
        g.setColour (SkinPalette::accent);
        g.fillEllipse (24.0f, y + 7.5f, 5.0f, 5.0f);
        painter.drawLine (g, device, painter.getFont (false, 12.5f), { 40.0f, y, 190.0f, 20.0f },
                          SkinPalette::inkSoft, juce::Justification::centredLeft);
        y += 20.0f;
    }
}

void ConsoleBackdrop::drawLogo (juce::Graphics& g, bool eyesLit) const
{
    // A small device face, the mascot: two lamps for eyes and a grill below them.
    const auto face = juce::Rectangle<float> (54.0f, 230.0f, 133.0f, 64.0f);

    g.setColour (juce::Colours::black.withAlpha (0.12f));
    g.fillRoundedRectangle (face.translated (0.0f, 2.0f), 14.0f);
    g.setGradientFill (juce::ColourGradient::vertical (SkinPalette::frameTop, face.getY(),
                                                       SkinPalette::frameBottom, face.getBottom()));
    g.fillRoundedRectangle (face, 14.0f);
    g.setColour (SkinPalette::frameBottom.darker (0.3f));
    g.drawRoundedRectangle (face.reduced (0.5f), 14.0f, 1.0f);

    g.setColour (SkinPalette::frameTextMuted.withAlpha (0.55f));
    g.fillRoundedRectangle (face.getCentreX() - 14.0f, face.getBottom() - 11.0f, 28.0f, 3.0f, 1.5f);

    for (auto centre : { leftEye, rightEye })
    {
        const auto eye = juce::Rectangle<float> (eyeRadius * 2.0f, eyeRadius * 2.0f).withCentre (centre);

        if (eyesLit)
        {
            g.setGradientFill (juce::ColourGradient (SkinPalette::eyeLit.withAlpha (0.5f), centre,
                                                     SkinPalette::eyeLit.withAlpha (0.0f),
                                                     centre.translated (glowRadius, 0.0f), true));
            g.fillEllipse (juce::Rectangle<float> (glowRadius * 2.0f, glowRadius * 2.0f).withCentre (centre));
            g.setGradientFill (juce::ColourGradient (SkinPalette::eyeLit.brighter (0.6f), centre.translated (-2.0f, -3.0f),
                                                     SkinPalette::eyeLit.darker (0.15f), centre.translated (eyeRadius, eyeRadius),
                                                     true));
            g.fillEllipse (eye);
        }
        else
        {
            g.setColour (SkinPalette::eyeOff);
            g.fillEllipse (eye);
            g.setColour (juce::Colours::white.withAlpha (0.12f));
            g.fillEllipse (eye.getX() + 4.0f, eye.getY() + 3.0f, 6.0f, 4.0f);
        }

        g.setColour (SkinPalette::frameBottom.darker (0.4f));
        g.drawEllipse (eye, 1.2f);
    }

    painter.drawLine (g, "Morvane", painter.getFont (true, 16.0f), { 0.0f, 302.0f, (float) sidebarWidth, 20.0f },
                      SkinPalette::ink, juce::Justification::centred);
    painter.drawLine (g, juce::CharPointer_UTF8 ("Back up \xc2\xb7 Restore \xc2\xb7 Update"),
                      painter.getFont (false, 11.5f), { 0.0f, 322.0f, (float) sidebarWidth, 16.0f },
                      SkinPalette::inkMuted, juce::Justification::centred);
}

void ConsoleBackdrop::drawPanel (juce::Graphics& g, juce::Rectangle<float> area, int number,
                                 const juce::String& title) const
{
    g.setColour (juce::Colours::black.withAlpha (0.05f));
    g.fillRoundedRectangle (area.translated (0.0f, 1.0f), 6.0f);
    g.setColour (SkinPalette::panel);
    g.fillRoundedRectangle (area, 6.0f);
    g.setColour (SkinPalette::panelBorder);
    g.drawRoundedRectangle (area.reduced (0.5f), 6.0f, 1.0f);

    painter.drawBadge (g, { area.getX() + 14.0f, area.getY() + 9.0f, 18.0f, 18.0f }, number, SkinPalette::accent);
    painter.drawLine (g, title, painter.getFont (true, 11.0f, 0.12f),
                      { area.getX() + 40.0f, area.getY() + 9.0f, 260.0f, 18.0f },
                      SkinPalette::inkMuted, juce::Justification::centredLeft);

    g.setColour (SkinPalette::separator);
    g.fillRect (juce::Rectangle<float> (area.getX() + 12.0f, area.getY() + 36.0f, area.getWidth() - 24.0f, 1.0f));
}

void ConsoleBackdrop::drawFooter (juce::Graphics& g) const
{
    g.setColour (SkinPalette::sidebar);
    g.fillRect (0, footerTop, width, height - footerTop);
    g.setColour (SkinPalette::panelBorder);
    g.fillRect (0, footerTop, width, 1);
}
