#include "DialogPreview.h"

#include "SkinPalette.h"

DialogPreview::DialogPreview (const SkinPainter& p, const SkinArtist::NamedImages& namedImages)
    : painter (p),
      images (namedImages)
{
}

juce::Image DialogPreview::find (const juce::String& name) const
{
    for (auto& entry : images)
        if (entry.first == name)
            return entry.second;

    return {};
}

juce::Rectangle<int> DialogPreview::parseRect (const juce::String& text)
{
    return juce::Rectangle<int>::fromString (text);
}

juce::Image DialogPreview::draw (const juce::XmlElement& section, int width, int height,
                                 const juce::StringArray& shifted, int shift,
                                 const juce::StringArray& skipped) const
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (SkinPalette::dialog);

    // Dividers of the Orvix dialogs are painted by the dialog itself, under its children.
    for (auto* widget : section.getChildWithTagNameIterator ("Widget"))
    {
        const auto name = widget->getStringAttribute ("name");
        const auto dy = shifted.contains (name) ? shift : 0;

        if (widget->hasAttribute ("icon"))
        {
            g.setOpacity (1.0f);
            g.drawImageAt (find (widget->getStringAttribute ("icon")), widget->getIntAttribute ("positionX"),
                           widget->getIntAttribute ("positionY") + dy);
        }

        if (widget->hasAttribute ("point"))
        {
            const auto p = parseRect (widget->getStringAttribute ("point"));
            g.setColour (juce::Colours::black);

            if (width - p.getX() > p.getX())
                g.fillRect (p.getX(), p.getY(), width - 2 * p.getX(), 1);
        }
    }

    for (auto* widget : section.getChildWithTagNameIterator ("Widget"))
    {
        const auto name = widget->getStringAttribute ("name");

        if (skipped.contains (name))
            continue;

        const auto dy = shifted.contains (name) ? shift : 0;
        const auto box = juce::Rectangle<int> (widget->getIntAttribute ("positionX"), widget->getIntAttribute ("positionY"),
                                               widget->getIntAttribute ("width"), widget->getIntAttribute ("height"))
                             .translated (0, dy);

        if (widget->hasAttribute ("toggleRect"))
            drawToggle (g, *widget, parseRect (widget->getStringAttribute ("toggleRect")).translated (0, dy));
        else if (widget->hasAttribute ("labelText"))
            drawGroupButton (g, *widget, box);
        else if (widget->hasAttribute ("spinControlRect"))
            drawSpin (g, *widget, parseRect (widget->getStringAttribute ("spinControlRect")).translated (0, dy));
        else if (widget->hasAttribute ("upImage"))
        {
            g.setOpacity (1.0f);
            g.drawImageAt (find (widget->getStringAttribute ("upImage")), box.getX(), box.getY());
        }
        else if (widget->hasAttribute ("foregroundColor"))
        {
            const auto r = parseRect (widget->getStringAttribute ("bounds"));
            g.setColour (juce::Colour (widget->getStringAttribute ("backgroundColor").getHexValue32()));
            g.fillRect (r);
            g.setColour (juce::Colour (widget->getStringAttribute ("foregroundColor").getHexValue32()));
            g.fillRect (r.withWidth (r.getWidth() * 2 / 5));
        }
        else if (widget->hasAttribute ("rect"))
        {
            const auto r = parseRect (widget->getStringAttribute ("rect")).translated (0, dy);
            g.setColour (juce::Colours::white);
            g.fillRect (r);
            painter.drawLine (g, "USER 1", painter.getFont (false, 14.0f), r.reduced (6, 0).toFloat(), juce::Colours::black,
                              juce::Justification::centredLeft);
            SkinPainter::drawTriangle (g, { (float) r.getRight() - 14.0f, (float) r.getCentreY() - 2.0f, 8.0f, 5.0f }, false,
                                       juce::Colours::black);
        }
        else if (widget->hasAttribute ("bounds"))
            drawLabel (g, *widget, parseRect (widget->getStringAttribute ("bounds")).translated (0, dy));
        else if (widget->hasAttribute ("fontColor"))
            drawTextBox (g, widget->getStringAttribute ("text"),
                         juce::Colour (widget->getStringAttribute ("fontColor").getHexValue32()),
                         juce::Colour (widget->getStringAttribute ("backgroundColor").getHexValue32()), box);
        else if (name == "infoNotes")
        {
            drawTextBox (g, "Version 2.11.0\n- Faster backups of user cab banks.\n- Clearer messages when a port is busy.",
                         juce::Colours::black, juce::Colours::white, box);
            g.setColour (juce::Colours::black);
            g.drawRect (box);
        }
        else if (name == "additionalInfoLabel")
            drawTextBox (g, "To view release note history and special firmware attachments\ndownload firmware from",
                         juce::Colours::black, SkinPalette::dialog, box);
    }

    return image;
}

namespace
{
/** The toggles that the dialogs put in a radio group (their modes), drawn as circles; every other
    toggle is a check box. */
bool isOneOfChoice (const juce::String& name)
{
    static const juce::StringArray modes {
        // KT4 and LM6
        "backupKT4Toggle", "backupLM6Toggle", "backupSetsOfPresetBanksToggle", "backupPresetBankToggle",
        "backupUserCabBankToggle", "backupPresetToggle", "backupUserCabToggle", "backupCurrentPresetToggle",
        "backupCurrentUserCabToggle",
        // Orvix II and II XL
        "backupOrvixIIToggle", "backupOrvixIIPresetToggle", "backupOrvixIIPresetEditBufferToggle", "backupOrvixIIUserCabToggle",
        "backupOrvixIIXLToggle", "backupOrvixIIXLPresetToggle", "backupOrvixIIXLPresetEditBufferToggle",
        "backupOrvixIIXLUserCabToggle",
        // Orvix III
        "BackUpAllToggle", "PresetToggle", "PresetCurrentToggle", "UserCabToggle"
    };

    return modes.contains (name);
}
} // namespace

void DialogPreview::drawToggle (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const
{
    // As the program draws a toggle (DialogLook): the mark in a square sized from the height,
    // then the text, unticked.
    const auto fontSize = juce::jmin (15.0f, (float) area.getHeight() * 0.75f);
    const auto tickWidth = fontSize * 1.1f;
    const auto size = tickWidth * 0.8f;
    const auto box = juce::Rectangle<float> (size, size)
                         .withCentre ({ (float) area.getX() + 4.0f + tickWidth * 0.5f, (float) area.getCentreY() })
                         .toNearestInt().toFloat();

    if (isOneOfChoice (widget.getStringAttribute ("name")))
    {
        g.setColour (SkinPalette::control);
        g.fillEllipse (box.reduced (0.5f));
        g.setColour (SkinPalette::controlBorder);
        g.drawEllipse (box.reduced (0.5f), 1.0f);
    }
    else
    {
        g.setColour (SkinPalette::control);
        g.fillRoundedRectangle (box.reduced (0.5f), 2.0f);
        g.setColour (SkinPalette::controlBorder);
        g.drawRoundedRectangle (box.reduced (0.5f), 2.0f, 1.0f);
    }

    painter.drawLine (g, widget.getStringAttribute ("text"), painter.getFont (false, fontSize),
                      area.withTrimmedLeft (juce::roundToInt (tickWidth) + 5).withTrimmedRight (2).toFloat(),
                      SkinPalette::ink, juce::Justification::centredLeft);
}

void DialogPreview::drawGroupButton (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const
{
    const auto colour = [&widget] (const char* key) { return juce::Colour (widget.getStringAttribute (key).getHexValue32()); };
    const auto outer = area.toFloat();
    const auto corner = (float) widget.getDoubleAttribute ("buttonCornerSize");
    const auto inner = outer.reduced ((float) widget.getDoubleAttribute ("borderThickness"));

    g.setColour (colour ("borderNormalColor"));
    g.fillRoundedRectangle (outer, corner);

    if (widget.getBoolAttribute ("fillNormalGradient"))
        g.setGradientFill (juce::ColourGradient::vertical (colour ("fillNormalColor1"), inner.getY(),
                                                           colour ("fillNormalColor2"), inner.getBottom()));
    else
        g.setColour (colour ("fillNormalColor1"));

    g.fillRoundedRectangle (inner, corner);
    painter.drawLine (g, widget.getStringAttribute ("labelText"),
                      painter.getFont (false, (float) widget.getDoubleAttribute ("labelFontSize")), inner,
                      colour ("labelNormalColor"), juce::Justification::centred);
}

void DialogPreview::drawTextBox (juce::Graphics& g, const juce::String& text, juce::Colour ink,
                                 juce::Colour background, juce::Rectangle<int> area) const
{
    // As the framework's text editor: 14-pixel text, one-pixel border, indents of 4.
    g.setColour (background);
    g.fillRect (area);

    juce::AttributedString attributed;
    attributed.append (text, painter.getFont (false, 14.0f), ink);
    attributed.setWordWrap (juce::AttributedString::byWord);
    juce::TextLayout layout;
    layout.createLayout (attributed, (float) area.getWidth() - 10.0f);

    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (area);
    layout.draw (g, area.toFloat().reduced (5.0f, 5.0f).withHeight (layout.getHeight()));
}

void DialogPreview::drawSpin (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const
{
    const auto fieldWidth = widget.getIntAttribute ("width") - 2;
    const auto field = juce::Rectangle<int> (area.getX(), area.getY(), fieldWidth, 27);

    g.setColour (juce::Colours::white);
    g.fillRect (field);
    g.setColour (juce::Colours::black);
    g.drawRect (field);
    painter.drawLine (g, juce::String (widget.getIntAttribute ("initialValue")), painter.getFont (false, 15.0f),
                      field.reduced (5, 0).toFloat(), juce::Colours::black.withAlpha (0.5f),
                      juce::Justification::centredLeft);

    g.setOpacity (1.0f);
    g.drawImageAt (find ("plus.png"), area.getX() + fieldWidth, area.getY());
    g.drawImageAt (find ("minus.png"), area.getX() + fieldWidth, area.getY() + 14);
}

void DialogPreview::drawLabel (juce::Graphics& g, const juce::XmlElement& widget, juce::Rectangle<int> area) const
{
    if (widget.hasAttribute ("backgroundColor"))
    {
        g.setColour (juce::Colour (widget.getStringAttribute ("backgroundColor").getHexValue32()));
        g.fillRect (area);
    }

    auto text = widget.getStringAttribute ("text");
    const auto name = widget.getStringAttribute ("name");

    if (name == "infoLabel")
        text = "Version 2.11.0 is available. You have version 2.10.0 installed.";
    else if (name == "infoButtonLabel")
        text = "Click OK to download and install the update.";
    else if (name == "additionalInfoLinkLabel")
        text = "https://support.zandrel-audio.example/";

    painter.drawLine (g, text, painter.getFont (false, (float) widget.getDoubleAttribute ("fontSize")),
                      area.reduced (5, 1).toFloat(), juce::Colour (widget.getStringAttribute ("fontColor").getHexValue32()),
                      name == "infoLabel" ? juce::Justification::topLeft : juce::Justification::centredLeft);
}
