#include "DialogLook.h"

#include "MorvaneLookAndFeel.h"

namespace
{
void readColour (const juce::XmlElement& section, const char* attribute, juce::Colour& colour)
{
    if (section.hasAttribute (attribute))
        colour = juce::Colour ((juce::uint32) section.getStringAttribute (attribute).getHexValue32());
}
} // namespace

DialogLook DialogLook::of (juce::Component& component)
{
    if (auto* skinned = dynamic_cast<MorvaneLookAndFeel*> (&component.getLookAndFeel()))
        return skinned->getDialogLook();

    return {};
}

void DialogLook::read (const juce::XmlElement& section)
{
    readColour (section, "backgroundColor", background);
    readColour (section, "fontColor", text);
    readColour (section, "toggleFillColor", toggleFill);
    readColour (section, "toggleBorderColor", toggleBorder);
    readColour (section, "toggleMarkColor", toggleMark);
    readColour (section, "toggleDisabledColor", toggleDisabled);
    readColour (section, "progressBorderColor", progressBorder);

    if (section.hasAttribute ("titleBarHeight"))
        titleBarHeight = juce::jlimit (16, 64, section.getIntAttribute ("titleBarHeight"));
}

bool DialogLook::isRadio (const juce::Component& toggle)
{
    auto* button = dynamic_cast<const juce::Button*> (&toggle);
    return button != nullptr && button->getRadioGroupId() != 0;
}

void DialogLook::drawToggleMark (juce::Graphics& g, const juce::Component& toggle, juce::Rectangle<float> area, bool ticked,
                                 bool enabled, bool highlighted) const
{
    // A square a little smaller than the text's height, centred in the area.
    const auto size = juce::jmax (8.0f, juce::jmin (area.getWidth(), area.getHeight()) * 0.8f);
    const auto box = juce::Rectangle<float> (size, size).withCentre (area.getCentre()).toNearestInt().toFloat();

    const auto mark = enabled ? toggleMark : toggleDisabled;
    const auto border = ! enabled ? toggleDisabled : (highlighted ? toggleMark : toggleBorder);

    if (isRadio (toggle))
    {
        g.setColour (toggleFill);
        g.fillEllipse (box.reduced (0.5f));
        g.setColour (border);
        g.drawEllipse (box.reduced (0.5f), 1.0f);

        if (ticked)
        {
            g.setColour (mark);
            g.fillEllipse (box.reduced (size * 0.27f));
        }

        return;
    }

    if (ticked)
    {
        // A filled square with a white tick reads as chosen at a glance.
        g.setColour (mark);
        g.fillRoundedRectangle (box, 2.0f);

        juce::Path tick;
        tick.startNewSubPath (box.getX() + size * 0.22f, box.getY() + size * 0.52f);
        tick.lineTo (box.getX() + size * 0.42f, box.getY() + size * 0.72f);
        tick.lineTo (box.getX() + size * 0.78f, box.getY() + size * 0.30f);
        g.setColour (toggleFill);
        g.strokePath (tick, juce::PathStrokeType (juce::jmax (1.5f, size * 0.14f), juce::PathStrokeType::curved,
                                                  juce::PathStrokeType::rounded));
        return;
    }

    g.setColour (toggleFill);
    g.fillRoundedRectangle (box.reduced (0.5f), 2.0f);
    g.setColour (border);
    g.drawRoundedRectangle (box.reduced (0.5f), 2.0f, 1.0f);
}

void DialogLook::drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height, double progress,
                                  const juce::String& textToShow) const
{
    const auto back = bar.findColour (juce::ProgressBar::backgroundColourId);
    const auto fore = bar.findColour (juce::ProgressBar::foregroundColourId);
    const auto area = juce::Rectangle<int> (width, height);
    const auto done = (progress >= 0.0 && progress <= 1.0) ? area.withWidth (juce::roundToInt (width * progress))
                                                           : area.withWidth (0);

    g.setColour (back);
    g.fillRect (area);
    g.setColour (fore);
    g.fillRect (done);
    g.setColour (progressBorder);
    g.drawRect (area);

    if (textToShow.isEmpty())
        return;

    g.setFont ((float) height * 0.6f);

    {
        const juce::Graphics::ScopedSaveState state (g);
        g.excludeClipRegion (done);
        g.setColour (text);
        g.drawText (textToShow, area, juce::Justification::centred, false);
    }

    const juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (done);
    g.setColour (back);
    g.drawText (textToShow, area, juce::Justification::centred, false);
}
