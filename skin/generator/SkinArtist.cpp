#include "SkinArtist.h"

#include "ConsoleBackdrop.h"
#include "SkinPalette.h"

namespace
{
    using State = SkinPainter::ButtonState;
    using Look = SkinPainter::ButtonLook;
    using Pictogram = SkinPainter::Pictogram;

    constexpr int tabActive = 0;
    constexpr int tabBack = 1;
    constexpr int tabOver = 2;
} // namespace

SkinArtist::SkinArtist (const SkinPainter& p)
    : painter (p)
{
}

SkinArtist::NamedImages SkinArtist::drawAll() const
{
    NamedImages images;
    addConsoleImages (images);
    addPushButtons (images);
    addHelpEntries (images);
    addSmallControls (images);
    addTitleBarButtons (images);
    images.emplace_back ("missing_image_release.png", drawMissingImage());
    return images;
}

void SkinArtist::addConsoleImages (NamedImages& images) const
{
    ConsoleBackdrop backdrop (painter);
    images.emplace_back ("bg-body-send.png", backdrop.drawPage (ConsoleBackdrop::Page::send));
    images.emplace_back ("bg-body-receive.png", backdrop.drawPage (ConsoleBackdrop::Page::receive));
    images.emplace_back ("glim-eyes-off.png", backdrop.drawEyesOff());

    images.emplace_back ("tab-send.png", drawTab ("Send", Pictogram::send, tabActive));
    images.emplace_back ("tab-send-back.png", drawTab ("Send", Pictogram::send, tabBack));
    images.emplace_back ("tab-send-over.png", drawTab ("Send", Pictogram::send, tabOver));
    images.emplace_back ("tab-receive.png", drawTab ("Receive", Pictogram::receive, tabActive));
    images.emplace_back ("tab-receive-back.png", drawTab ("Receive", Pictogram::receive, tabBack));
    images.emplace_back ("tab-receive-over.png", drawTab ("Receive", Pictogram::receive, tabOver));

    images.emplace_back ("dropdown.png", drawDropdown());

    auto check = SkinPainter::makeImage (15, 15);
    {
        juce::Graphics g (check);
        SkinPainter::drawTickMark (g, check.getBounds().toFloat(), SkinPalette::good);
    }
    images.emplace_back ("icon-check.png", check);

    auto error = SkinPainter::makeImage (15, 15);
    {
        juce::Graphics g (error);
        SkinPainter::drawErrorMark (g, error.getBounds().toFloat(), SkinPalette::bad);
    }
    images.emplace_back ("icon-error.png", error);
}

void SkinArtist::addPushButtons (NamedImages& images) const
{
    struct Button
    {
        const char* name;
        int width, height;
        const char* caption;
        Look look;
        Pictogram pictogram;
        bool disabledImage;
    };

    const Button buttons[] = {
        { "btn-browse", 152, 42, "BROWSE", Look::secondary, Pictogram::folder, false },
        { "btn-begin", 152, 42, "BEGIN", Look::primary, Pictogram::play, false },
        { "btn-cancel", 78, 30, "Cancel", Look::secondary, Pictogram::none, false },
        { "btn-ok", 78, 30, "OK", Look::primary, Pictogram::none, true },
        { "btn-sendsmall", 78, 30, "Send", Look::primary, Pictogram::none, false },
        { "btn-ready", 78, 30, "Ready", Look::primary, Pictogram::none, false },
    };

    for (auto& b : buttons)
    {
        const juce::String base (b.name);
        images.emplace_back (base + ".png", painter.drawPushButton (b.width, b.height, b.caption, b.look, State::normal, b.pictogram));
        images.emplace_back (base + "-over.png", painter.drawPushButton (b.width, b.height, b.caption, b.look, State::over, b.pictogram));
        images.emplace_back (base + "-down.png", painter.drawPushButton (b.width, b.height, b.caption, b.look, State::down, b.pictogram));

        if (b.disabledImage)
            images.emplace_back (base + "-disabled.png", painter.drawPushButton (b.width, b.height, b.caption, b.look, State::disabled, b.pictogram));
    }
}

void SkinArtist::addHelpEntries (NamedImages& images) const
{
    images.emplace_back ("helptext_01.png", drawHelpHeading ("HELP"));
    images.emplace_back ("helptext_05.png", drawHelpHeading ("MORE HELP"));

    struct Entry
    {
        const char* number;
        const char* caption;
        Pictogram pictogram;
    };

    const Entry entries[] = {
        { "02", "User Manual", Pictogram::book },
        { "03", "Video Tutorials", Pictogram::video },
        { "06", "Support", Pictogram::support },
        { "07", "User Forum", Pictogram::forum },
    };

    // The console asks for the over and down variants of most rows as helptext_NN-over.png but
    // of the support row as helptext-over_NN.png; every row carries both spellings.
    for (auto& e : entries)
    {
        const juce::String n (e.number);
        const auto over = drawHelpEntry (e.caption, e.pictogram, State::over);
        const auto down = drawHelpEntry (e.caption, e.pictogram, State::down);
        images.emplace_back ("helptext_" + n + ".png", drawHelpEntry (e.caption, e.pictogram, State::normal));
        images.emplace_back ("helptext_" + n + "-over.png", over);
        images.emplace_back ("helptext_" + n + "-down.png", down);
        images.emplace_back ("helptext-over_" + n + ".png", over);
        images.emplace_back ("helptext-down_" + n + ".png", down);
    }
}

void SkinArtist::addSmallControls (NamedImages& images) const
{
    images.emplace_back ("plus.png", drawStepper (true, false));
    images.emplace_back ("plus-down.png", drawStepper (true, true));
    images.emplace_back ("minus.png", drawStepper (false, false));
    images.emplace_back ("minus-down.png", drawStepper (false, true));

    images.emplace_back ("btn-folder.png", drawFolderButton (State::normal));
    images.emplace_back ("btn-folder-over.png", drawFolderButton (State::over));
    images.emplace_back ("btn-folder-down.png", drawFolderButton (State::down));
    images.emplace_back ("btn-folder-disabled.png", drawFolderButton (State::disabled));

    images.emplace_back ("divider.png", drawDivider (345));
    images.emplace_back ("divider-wide.png", drawDivider (555));
}

void SkinArtist::addTitleBarButtons (NamedImages& images) const
{
    images.emplace_back ("titlebar-close.png", drawTitleBarButton (true, State::normal));
    images.emplace_back ("titlebar-close-over.png", drawTitleBarButton (true, State::over));
    images.emplace_back ("titlebar-close-down.png", drawTitleBarButton (true, State::down));
    images.emplace_back ("titlebar-minimize.png", drawTitleBarButton (false, State::normal));
    images.emplace_back ("titlebar-minimize-over.png", drawTitleBarButton (false, State::over));
    images.emplace_back ("titlebar-minimize-down.png", drawTitleBarButton (false, State::down));
}

juce::Image SkinArtist::drawTab (const juce::String& caption, Pictogram pictogram, int look) const
{
    auto image = SkinPainter::makeImage (169, 33);
    juce::Graphics g (image);

    juce::Path shape;
    shape.addRoundedRectangle (2.0f, 3.0f, 165.0f, 30.0f, 6.0f, 6.0f, true, true, false, false);

    const auto active = look == tabActive;
    const auto fill = active ? SkinPalette::content : (look == tabOver ? SkinPalette::tabBackOver : SkinPalette::tabBack);
    const auto ink = active ? SkinPalette::ink : (look == tabOver ? juce::Colours::white : SkinPalette::tabBackText);

    g.setColour (fill);
    g.fillPath (shape);

    if (active)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (shape);
        g.setColour (SkinPalette::accent);
        g.fillRect (0, 3, 169, 3);
    }

    const auto font = painter.getFont (true, 14.0f, 0.02f);
    const auto textWidth = font.getStringWidthFloat (caption);
    const auto iconSize = 13.0f;
    const auto groupWidth = iconSize + 8.0f + textWidth;
    const auto x = 84.5f - groupWidth * 0.5f;
    const auto centreY = 19.0f;

    painter.drawPictogram (g, pictogram, { x, centreY - iconSize * 0.5f, iconSize, iconSize },
                           active ? SkinPalette::accent : ink);
    painter.drawLine (g, caption, font, { x + iconSize + 8.0f, centreY - 10.0f, textWidth + 2.0f, 20.0f }, ink,
                      juce::Justification::centredLeft);
    return image;
}

juce::Image SkinArtist::drawHelpHeading (const juce::String& caption) const
{
    auto image = SkinPainter::makeImage (240, 20);
    juce::Graphics g (image);
    g.fillAll (SkinPalette::sidebar);

    const auto font = painter.getFont (true, 10.5f, 0.12f);
    painter.drawLine (g, caption, font, { 16.0f, 0.0f, 210.0f, 20.0f }, SkinPalette::inkMuted,
                      juce::Justification::centredLeft);

    const auto ruleStart = 16.0f + font.getStringWidthFloat (caption) + 8.0f;
    g.setColour (SkinPalette::panelBorder);
    g.fillRect (juce::Rectangle<float> (ruleStart, 10.0f, 224.0f - ruleStart, 1.0f));
    return image;
}

juce::Image SkinArtist::drawHelpEntry (const juce::String& caption, Pictogram pictogram, State state) const
{
    auto image = SkinPainter::makeImage (240, 20);
    juce::Graphics g (image);

    auto background = SkinPalette::sidebar;
    auto ink = SkinPalette::ink;
    auto iconColour = SkinPalette::inkMuted;

    if (state == State::over)
    {
        background = SkinPalette::sidebarOver;
        ink = SkinPalette::accentDark;
        iconColour = SkinPalette::accent;
    }
    else if (state == State::down)
    {
        background = SkinPalette::accent;
        ink = juce::Colours::white;
        iconColour = juce::Colours::white;
    }

    g.fillAll (background);

    if (state == State::over)
    {
        g.setColour (SkinPalette::accent);
        g.fillRect (0, 0, 3, 20);
    }

    painter.drawPictogram (g, pictogram, { 21.0f, 4.0f, 12.0f, 12.0f }, iconColour);
    painter.drawLine (g, caption, painter.getFont (false, 12.5f), { 40.0f, 0.0f, 190.0f, 20.0f }, ink,
                      juce::Justification::centredLeft);
    return image;
}

juce::Image SkinArtist::drawDropdown() const
{
    auto image = SkinPainter::makeImage (232, 27);
    juce::Graphics g (image);

    const auto face = juce::Rectangle<float> (0.5f, 0.5f, 231.0f, 26.0f);
    g.setGradientFill (juce::ColourGradient::vertical (SkinPalette::control, face.getY(),
                                                       SkinPalette::panel, face.getBottom()));
    g.fillRoundedRectangle (face, 3.0f);
    g.setColour (SkinPalette::controlBorder);
    g.drawRoundedRectangle (face, 3.0f, 1.0f);

    // The arrow segment at the right end.
    g.setColour (SkinPalette::separator.darker (0.05f));
    g.fillRect (206, 5, 1, 17);
    SkinPainter::drawChevron (g, { 214.5f, 11.0f, 9.0f, 5.0f }, true, SkinPalette::inkSoft, 1.6f);
    return image;
}

juce::Image SkinArtist::drawStepper (bool up, bool pressed) const
{
    auto image = SkinPainter::makeImage (24, 14);
    juce::Graphics g (image);

    // The decrement half has no top edge: it shares the increment half's bottom edge.
    juce::Path shape;

    if (up)
        shape.addRoundedRectangle (0.5f, 0.5f, 23.0f, 13.0f, 3.0f, 3.0f, true, true, false, false);
    else
        shape.addRoundedRectangle (0.5f, -0.5f, 23.0f, 14.0f, 3.0f, 3.0f, false, false, true, true);

    if (pressed)
        g.setColour (SkinPalette::controlPressed);
    else
        g.setGradientFill (juce::ColourGradient::vertical (SkinPalette::control, 0.0f, SkinPalette::controlShade, 14.0f));

    g.fillPath (shape);
    g.setColour (SkinPalette::inkMuted);
    g.strokePath (shape, juce::PathStrokeType (1.0f));

    SkinPainter::drawTriangle (g, { 8.0f, up ? 4.5f : 5.0f, 8.0f, 4.5f }, up,
                               pressed ? SkinPalette::accentDark : SkinPalette::inkSoft);
    return image;
}

juce::Image SkinArtist::drawFolderButton (State state) const
{
    auto image = SkinPainter::makeImage (25, 25);
    juce::Graphics g (image);

    auto top = SkinPalette::control;
    auto bottom = SkinPalette::controlShade;
    auto border = SkinPalette::controlBorder;
    auto icon = SkinPalette::inkSoft;

    switch (state)
    {
        case State::over:     bottom = SkinPalette::accentWash; border = SkinPalette::accent; icon = SkinPalette::accent; break;
        case State::down:     top = bottom = SkinPalette::controlPressed; border = SkinPalette::accentDark; icon = SkinPalette::accentDark; break;
        case State::disabled: top = bottom = SkinPalette::controlShade; border = SkinPalette::controlDisabled; icon = SkinPalette::controlDisabled.darker (0.08f); break;
        case State::normal:
        default:              break;
    }

    const auto face = juce::Rectangle<float> (0.5f, 0.5f, 24.0f, 24.0f);
    g.setGradientFill (juce::ColourGradient::vertical (top, 0.0f, bottom, 25.0f));
    g.fillRoundedRectangle (face, 3.0f);
    g.setColour (border);
    g.drawRoundedRectangle (face, 3.0f, 1.0f);
    painter.drawPictogram (g, Pictogram::folder, { 5.0f, 5.5f, 15.0f, 15.0f }, icon);
    return image;
}

juce::Image SkinArtist::drawTitleBarButton (bool close, State state) const
{
    auto image = SkinPainter::makeImage (21, 21);
    juce::Graphics g (image);

    auto glyph = SkinPalette::frameText.withAlpha (0.85f);

    if (state != State::normal)
    {
        const auto fill = close ? (state == State::down ? SkinPalette::badDark : SkinPalette::bad)
                                : (state == State::down ? SkinPalette::frameBottom.darker (0.3f) : SkinPalette::tabBackOver);
        g.setColour (fill);
        g.fillRoundedRectangle (0.5f, 0.5f, 20.0f, 20.0f, 3.0f);
        glyph = juce::Colours::white;
    }

    g.setColour (glyph);
    const juce::PathStrokeType pen (1.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    juce::Path p;

    if (close)
    {
        p.startNewSubPath (6.5f, 6.5f);
        p.lineTo (14.5f, 14.5f);
        p.startNewSubPath (14.5f, 6.5f);
        p.lineTo (6.5f, 14.5f);
    }
    else
    {
        p.startNewSubPath (6.0f, 14.0f);
        p.lineTo (15.0f, 14.0f);
    }

    g.strokePath (p, pen);
    return image;
}

juce::Image SkinArtist::drawDivider (int width)
{
    // An etched line for the dialogs' grey background: a dark pixel row over a light one.
    auto image = SkinPainter::makeImage (width, 2);
    juce::Graphics g (image);
    g.setColour (juce::Colour (0xffa3aab1));
    g.fillRect (0, 0, width, 1);
    g.setColour (juce::Colour (0xffeff1f3));
    g.fillRect (0, 1, width, 1);
    return image;
}

juce::Image SkinArtist::drawMissingImage()
{
    // Loud on purpose: a widget showing this names an image that the skin lacks.
    auto image = SkinPainter::makeImage (16, 16);
    juce::Graphics g (image);

    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
        {
            g.setColour ((x + y) % 2 == 0 ? juce::Colour (0xffff00ff) : juce::Colour (0xff000000));
            g.fillRect (x * 4, y * 4, 4, 4);
        }

    return image;
}
