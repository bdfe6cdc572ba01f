#include "SkinPainter.h"

#include "SkinPalette.h"

namespace
{
    struct FaceColours
    {
        juce::Colour top, bottom, border, text;
        bool shadow = true;
        bool highlight = false;
    };

    FaceColours getFaceColours (SkinPainter::ButtonLook look, SkinPainter::ButtonState state)
    {
        using State = SkinPainter::ButtonState;
        using namespace SkinPalette;

        if (state == State::disabled)
            return { controlDisabled, controlDisabled, controlDisabled.darker (0.12f), controlDisabledInk, false, false };

        if (look == SkinPainter::ButtonLook::primary)
        {
            switch (state)
            {
                case State::over:  return { accentLight.brighter (0.12f), accentLight, accentDark, juce::Colours::white, true, true };
                case State::down:  return { accentDark, accentDeep, accentDeep, juce::Colours::white, false, false };
                case State::normal:
                case State::disabled:
                default:           return { accentLight, accent, accentDark, juce::Colours::white, true, true };
            }
        }

        switch (state)
        {
            case State::over:  return { control, accentWash, accent, accentDark, true, false };
            case State::down:  return { controlPressed, controlShade, accentDark, accentDeep, false, false };
            case State::normal:
            case State::disabled:
            default:           return { control, controlShade, controlBorder, ink, true, false };
        }
    }
} // namespace

SkinPainter::SkinPainter (juce::Typeface::Ptr regularTypeface, juce::Typeface::Ptr boldTypeface)
    : regular (std::move (regularTypeface)),
      bold (std::move (boldTypeface))
{
}

juce::Font SkinPainter::getFont (bool isBold, float height, float tracking) const
{
    auto typeface = isBold ? bold : regular;
    juce::Font font = typeface != nullptr ? juce::Font (typeface) : juce::Font();
    return font.withHeight (height).withExtraKerningFactor (tracking);
}

juce::Image SkinPainter::makeImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

juce::Image SkinPainter::drawPushButton (int width, int height, const juce::String& caption,
                                         ButtonLook look, ButtonState state, Pictogram pictogram) const
{
    auto image = makeImage (width, height);
    juce::Graphics g (image);

    const auto colours = getFaceColours (look, state);
    const auto pressed = state == ButtonState::down;
    const auto corner = height >= 40 ? 5.0f : 4.0f;

    // One pixel at the bottom is kept for the shadow; a pressed face sinks into it.
    auto face = juce::Rectangle<float> (0.5f, pressed ? 1.5f : 0.5f, (float) width - 1.0f, (float) height - 2.0f);

    if (colours.shadow)
    {
        g.setColour (juce::Colours::black.withAlpha (0.16f));
        g.fillRoundedRectangle (face.translated (0.0f, 1.0f).expanded (0.5f), corner);
    }

    g.setGradientFill (juce::ColourGradient::vertical (colours.top, face.getY(), colours.bottom, face.getBottom()));
    g.fillRoundedRectangle (face, corner);

    if (colours.highlight)
    {
        g.setColour (juce::Colours::white.withAlpha (0.22f));
        g.drawLine (face.getX() + corner, face.getY() + 1.0f, face.getRight() - corner, face.getY() + 1.0f, 1.0f);
    }

    g.setColour (colours.border);
    g.drawRoundedRectangle (face, corner, 1.0f);

    const auto big = height >= 40;
    const auto font = getFont (true, big ? 15.0f : 13.0f, big ? 0.1f : 0.02f);
    const auto textWidth = font.getStringWidthFloat (caption);
    const auto iconSize = big ? 16.0f : 12.0f;
    const auto gap = pictogram == Pictogram::none ? 0.0f : iconSize + 8.0f;
    const auto groupWidth = textWidth + gap;
    auto x = face.getCentreX() - groupWidth * 0.5f;

    if (pictogram != Pictogram::none)
    {
        drawPictogram (g, pictogram, { x, face.getCentreY() - iconSize * 0.5f, iconSize, iconSize }, colours.text);
        x += gap;
    }

    drawLine (g, caption, font, { x, face.getY(), textWidth + 2.0f, face.getHeight() }, colours.text,
              juce::Justification::centredLeft);
    return image;
}

void SkinPainter::drawLine (juce::Graphics& g, const juce::String& text, const juce::Font& font,
                            juce::Rectangle<float> area, juce::Colour colour,
                            juce::Justification justification) const
{
    juce::GlyphArrangement glyphs;
    glyphs.addFittedText (font, text, area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                          justification, 1, 0.8f);
    g.setColour (colour);
    glyphs.draw (g);
}

void SkinPainter::drawPictogram (juce::Graphics& g, Pictogram pictogram, juce::Rectangle<float> area,
                                 juce::Colour colour) const
{
    const auto s = juce::jmin (area.getWidth(), area.getHeight());
    const auto box = area.withSizeKeepingCentre (s, s);
    const auto stroke = juce::jmax (1.1f, s / 10.0f);
    g.setColour (colour);

    switch (pictogram)
    {
        case Pictogram::folder:
        {
            const auto tab = juce::Rectangle<float> (box.getX(), box.getY() + s * 0.12f, s * 0.45f, s * 0.3f);
            const auto body = juce::Rectangle<float> (box.getX(), box.getY() + s * 0.25f, s, s * 0.63f);
            g.fillRoundedRectangle (tab, s * 0.08f);
            g.fillRoundedRectangle (body, s * 0.1f);
            break;
        }

        case Pictogram::play:
        {
            juce::Path p;
            p.addTriangle (box.getX() + s * 0.22f, box.getY() + s * 0.12f,
                           box.getX() + s * 0.22f, box.getBottom() - s * 0.12f,
                           box.getRight() - s * 0.1f, box.getCentreY());
            g.fillPath (p);
            break;
        }

        case Pictogram::book:
        {
            const auto cover = box.reduced (s * 0.12f, s * 0.04f);
            g.drawRoundedRectangle (cover.reduced (stroke * 0.5f), s * 0.08f, stroke);
            g.fillRect (juce::Rectangle<float> (cover.getX() + s * 0.22f, cover.getY(), stroke, cover.getHeight()));
            g.fillRect (juce::Rectangle<float> (cover.getX() + s * 0.38f, cover.getY() + s * 0.25f, s * 0.3f, stroke * 0.8f));
            break;
        }

        case Pictogram::video:
        {
            const auto screen = box.reduced (0.0f, s * 0.14f);
            g.drawRoundedRectangle (screen.reduced (stroke * 0.5f), s * 0.12f, stroke);
            juce::Path p;
            const auto c = screen.getCentre();
            p.addTriangle (c.x - s * 0.13f, c.y - s * 0.18f, c.x - s * 0.13f, c.y + s * 0.18f, c.x + s * 0.2f, c.y);
            g.fillPath (p);
            break;
        }

        case Pictogram::support:
        {
            g.drawEllipse (box.reduced (stroke * 0.5f), stroke);
            drawLine (g, "?", getFont (true, s * 0.85f), box.translated (0.0f, s * 0.02f), colour,
                      juce::Justification::centred);
            break;
        }

        case Pictogram::forum:
        {
            const auto bubble = juce::Rectangle<float> (box.getX(), box.getY() + s * 0.08f, s, s * 0.62f);
            juce::Path p;
            p.addRoundedRectangle (bubble.reduced (stroke * 0.5f), s * 0.16f);
            p.startNewSubPath (bubble.getX() + s * 0.25f, bubble.getBottom() - stroke * 0.5f);
            p.lineTo (bubble.getX() + s * 0.2f, box.getBottom() - s * 0.05f);
            p.lineTo (bubble.getX() + s * 0.48f, bubble.getBottom() - stroke * 0.5f);
            g.strokePath (p, juce::PathStrokeType (stroke, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
            for (int i = 0; i < 3; ++i)
                g.fillEllipse (bubble.getX() + s * (0.25f + 0.25f * (float) i) - s * 0.06f,
                               bubble.getCentreY() - s * 0.06f, s * 0.12f, s * 0.12f);
            break;
        }

        case Pictogram::send:
        case Pictogram::receive:
        {
            // A tray with an arrow leaving it (send) or entering it (receive).
            juce::Path tray;
            tray.startNewSubPath (box.getX() + stroke * 0.5f, box.getY() + s * 0.58f);
            tray.lineTo (box.getX() + stroke * 0.5f, box.getBottom() - stroke * 0.5f);
            tray.lineTo (box.getRight() - stroke * 0.5f, box.getBottom() - stroke * 0.5f);
            tray.lineTo (box.getRight() - stroke * 0.5f, box.getY() + s * 0.58f);
            const juce::PathStrokeType pen (stroke * 1.2f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded);
            g.strokePath (tray, pen);

            const auto up = pictogram == Pictogram::send;
            const auto cx = box.getCentreX();
            const auto tipY = up ? box.getY() + stroke * 0.6f : box.getY() + s * 0.7f;
            const auto tailY = up ? box.getY() + s * 0.7f : box.getY() + stroke * 0.6f;
            const auto dir = up ? 1.0f : -1.0f;
            juce::Path arrow;
            arrow.startNewSubPath (cx, tailY);
            arrow.lineTo (cx, tipY);
            arrow.startNewSubPath (cx - s * 0.24f, tipY + dir * s * 0.24f);
            arrow.lineTo (cx, tipY);
            arrow.lineTo (cx + s * 0.24f, tipY + dir * s * 0.24f);
            g.strokePath (arrow, pen);
            break;
        }

        case Pictogram::none:
        default:
            break;
    }
}

void SkinPainter::drawTickMark (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill)
{
    g.setColour (fill);
    g.fillEllipse (area.reduced (0.25f));

    const auto s = area.getWidth();
    juce::Path tick;
    tick.startNewSubPath (area.getX() + s * 0.27f, area.getY() + s * 0.52f);
    tick.lineTo (area.getX() + s * 0.43f, area.getY() + s * 0.68f);
    tick.lineTo (area.getX() + s * 0.73f, area.getY() + s * 0.34f);
    g.setColour (juce::Colours::white);
    g.strokePath (tick, juce::PathStrokeType (s * 0.13f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void SkinPainter::drawErrorMark (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour fill)
{
    g.setColour (fill);
    g.fillEllipse (area.reduced (0.25f));

    const auto s = area.getWidth();
    const auto w = s * 0.14f;
    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (area.getCentreX() - w * 0.5f, area.getY() + s * 0.2f, w, s * 0.38f, w * 0.5f);
    g.fillEllipse (area.getCentreX() - w * 0.6f, area.getY() + s * 0.66f, w * 1.2f, w * 1.2f);
}

void SkinPainter::drawChevron (juce::Graphics& g, juce::Rectangle<float> area, bool down,
                               juce::Colour colour, float thickness)
{
    const auto tipY = down ? area.getBottom() : area.getY();
    const auto endY = down ? area.getY() : area.getBottom();
    juce::Path p;
    p.startNewSubPath (area.getX(), endY);
    p.lineTo (area.getCentreX(), tipY);
    p.lineTo (area.getRight(), endY);
    g.setColour (colour);
    g.strokePath (p, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void SkinPainter::drawTriangle (juce::Graphics& g, juce::Rectangle<float> area, bool up, juce::Colour colour)
{
    juce::Path p;

    if (up)
        p.addTriangle (area.getX(), area.getBottom(), area.getRight(), area.getBottom(), area.getCentreX(), area.getY());
    else
        p.addTriangle (area.getX(), area.getY(), area.getRight(), area.getY(), area.getCentreX(), area.getBottom());

    g.setColour (colour);
    g.fillPath (p);
}

void SkinPainter::drawBadge (juce::Graphics& g, juce::Rectangle<float> area, int number, juce::Colour fill) const
{
    g.setColour (fill);
    g.fillEllipse (area);
    drawLine (g, juce::String (number), getFont (true, area.getHeight() * 0.78f),
              area.translated (0.0f, 0.25f), juce::Colours::white, juce::Justification::centred);
}
