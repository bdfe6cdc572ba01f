#include "ContactSheet.h"

#include "DialogPreview.h"
#include "SkinPalette.h"

namespace
{
    constexpr int margin = 20;
    constexpr int sheetWidth = 1800;

    void fillChecker (juce::Graphics& g, juce::Rectangle<int> area)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (area);

        for (int y = area.getY(); y < area.getBottom(); y += 6)
            for (int x = area.getX(); x < area.getRight(); x += 6)
            {
                g.setColour (((x - area.getX()) / 6 + (y - area.getY()) / 6) % 2 == 0 ? juce::Colour (0xfff4f4f4)
                                                                                     : juce::Colour (0xffdadada));
                g.fillRect (x, y, 6, 6);
            }
    }
} // namespace

ContactSheet::ContactSheet (const juce::XmlElement& skinRoot, const SkinPainter& p,
                            const SkinArtist::NamedImages& namedImages, NamedTypefaces named)
    : root (skinRoot),
      painter (p),
      images (namedImages),
      typefaces (std::move (named))
{
}

juce::Image ContactSheet::find (const juce::String& name) const
{
    for (auto& entry : images)
        if (entry.first == name)
            return entry.second;

    return {};
}

juce::Image ContactSheet::composeConsole (bool receivePage) const
{
    // The console as it first appears: the page, then its code-built widgets at their fixed places.
    auto page = juce::Image (juce::Image::ARGB, 800, 553, true);
    juce::Graphics g (page);
    g.setOpacity (1.0f);
    g.drawImageAt (find (receivePage ? "bg-body-receive.png" : "bg-body-send.png"), 0, 0);

    const auto put = [&] (const char* name, int x, int y, float opacity = 1.0f)
    {
        g.setOpacity (opacity);
        g.drawImageAt (find (name), x, y);
        g.setOpacity (1.0f);
    };

    put (receivePage ? "tab-send-back.png" : "tab-send.png", 260, 13);
    put (receivePage ? "tab-receive.png" : "tab-receive-over.png", 429, 13);

    const auto text = [&] (const juce::String& s, juce::Rectangle<float> area, juce::Colour colour, bool bold = false,
                           juce::Justification j = juce::Justification::centredLeft)
    {
        painter.drawLine (g, s, painter.getFont (bold, 14.0f), area, colour, j);
    };

    put ("dropdown.png", 280, 111);
    text ("Orvix II", { 285.0f, 111.0f, 220.0f, 27.0f }, juce::Colours::black);
    put ("icon-check.png", 530, 115);
    text ("Connected (FW: 11.02)", { 550.0f, 115.0f, 200.0f, 20.0f }, juce::Colours::black);
    put ("dropdown.png", 280, 149);
    text ("ORVIX II MIDI", { 285.0f, 149.0f, 220.0f, 27.0f }, juce::Colours::black);
    put ("icon-check.png", 530, 153);
    put ("dropdown.png", 280, 187, 0.5f);
    text ("Select an Output Port", { 285.0f, 187.0f, 220.0f, 27.0f }, juce::Colours::black.withAlpha (0.5f));

    put ("btn-browse.png", 268, 289);
    g.setColour (juce::Colours::white);
    g.fillRect (430, 295, 307, 25);
    g.setColour (juce::Colour (0xff888888));
    g.drawRect (430, 295, 307, 25);
    text (receivePage ? "/home/user/Backups" : "Clean Tones.syx", { 436.0f, 295.0f, 290.0f, 25.0f }, juce::Colours::black);
    put ("btn-folder.png", 741, 295);

    if (receivePage)
        text ("Press BEGIN to select a backup type to receive.", { 275.0f, 469.0f, 475.0f, 27.0f }, juce::Colours::black);
    else
        text ("Firmware 11.03 is available.", { 275.0f, 329.0f, 475.0f, 27.0f }, juce::Colour (0xff0000ff));

    put ("btn-begin.png", 268, 429);
    g.setColour (juce::Colour (0xffd3d3d3));
    g.fillRect (430, 435, 254, 25);
    g.setColour (juce::Colour (0xff32cd32).darker (0.2f));
    g.fillRect (430, 435, 100, 25);
    put ("btn-cancel.png", 690, 435, 0.3f);

    if (! receivePage)
    {
        put ("icon-check.png", 275, 474);
        text ("Transfer complete!", { 295.0f, 469.0f, 475.0f, 27.0f }, juce::Colours::black);
    }

    put ("helptext_01.png", 0, 69);
    put ("helptext_02.png", 0, 89);
    put (receivePage ? "helptext_03-down.png" : "helptext_03-over.png", 0, 109);
    put ("helptext_05.png", 0, 139);
    put ("helptext_06.png", 0, 159);
    put ("helptext_07.png", 0, 179);

    if (receivePage)
        put ("glim-eyes-off.png", 79, 246);

    const auto footer = painter.getFont (true, 12.0f);
    painter.drawLine (g, juce::CharPointer_UTF8 ("\xc2\xa9 2025 Zandrel Audio. All rights reserved."), footer,
                      { 10.0f, 531.0f, 300.0f, 15.0f }, juce::Colour (0xff555555), juce::Justification::centredLeft);
    painter.drawLine (g, "Morvane MIDI Utility Version 2.10.0", footer, { 593.0f, 531.0f, 200.0f, 15.0f },
                      juce::Colour (0xff555555), juce::Justification::centredRight);
    return page;
}

int ContactSheet::drawCells (juce::Graphics& g, int top) const
{
    auto x = margin, y = top, rowHeight = 0;
    const auto labelFont = painter.getFont (false, 11.0f);

    for (auto& entry : images)
    {
        const auto& image = entry.second;

        if (image.getWidth() > 600)
            continue;   // the pages are shown composed above

        const auto cellWidth = juce::jmax (image.getWidth(), 120);
        const auto cellHeight = image.getHeight() + 34;

        if (x + cellWidth > sheetWidth - margin)
        {
            x = margin;
            y += rowHeight + 12;
            rowHeight = 0;
        }

        const auto area = juce::Rectangle<int> (x, y, image.getWidth(), image.getHeight());
        const auto dark = entry.first.startsWith ("titlebar-") || entry.first.startsWith ("tab-");

        if (dark)
        {
            g.setGradientFill (juce::ColourGradient::vertical (SkinPalette::frameTop, (float) area.getY(),
                                                               SkinPalette::frameBottom, (float) area.getBottom()));
            g.fillRect (area.expanded (4));
        }
        else
        {
            fillChecker (g, area.expanded (4));
        }

        g.setOpacity (1.0f);
        g.drawImageAt (image, area.getX(), area.getY());
        painter.drawLine (g, entry.first, labelFont, { (float) x, (float) area.getBottom() + 6.0f, (float) cellWidth + 40.0f, 13.0f },
                          SkinPalette::ink, juce::Justification::centredLeft);
        painter.drawLine (g, juce::String (image.getWidth()) + " x " + juce::String (image.getHeight()), labelFont,
                          { (float) x, (float) area.getBottom() + 19.0f, (float) cellWidth, 13.0f },
                          SkinPalette::inkFaint, juce::Justification::centredLeft);

        x += cellWidth + 40;
        rowHeight = juce::jmax (rowHeight, cellHeight);
    }

    return y + rowHeight + margin;
}

int ContactSheet::drawFontSamples (juce::Graphics& g, int top) const
{
    auto y = top;
    const juce::String sample = juce::CharPointer_UTF8 ("Back up the KT4. 0123456789 \xc3\xa4\xc3\xb6\xc3\xbc \xc3\x9f \xc3\xa9 \xe2\x80\x9cQuotes\xe2\x80\x9d \xe2\x80\x94 AVAWAY Tr Yo");

    for (auto& named : typefaces)
    {
        painter.drawLine (g, named.first + "  (" + named.second->getName() + ", " + named.second->getStyle() + ")",
                          painter.getFont (false, 11.0f), { (float) margin, (float) y, 800.0f, 14.0f },
                          SkinPalette::inkFaint, juce::Justification::centredLeft);
        y += 16;

        for (auto height : { 12.0f, 15.0f, 22.0f })
        {
            juce::GlyphArrangement glyphs;
            glyphs.addLineOfText (juce::Font (named.second).withHeight (height), sample, (float) margin, (float) y + height);
            g.setColour (SkinPalette::ink);
            glyphs.draw (g);
            y += (int) height + 8;
        }

        y += 10;
    }

    return y + margin;
}

juce::Image ContactSheet::composeTitleBars() const
{
    juce::Image image (juce::Image::ARGB, 420, 27 + 10 + 26, true);
    juce::Graphics g (image);

    const auto* section = root.getChildByName ("TitlebarSkin");
    const auto* icon = section != nullptr ? section->getChildByAttribute ("name", "zandrelIcon") : nullptr;

    if (section == nullptr || icon == nullptr)
        return image;

    const auto colour = [] (const juce::XmlElement& e, const char* key) { return juce::Colour (e.getStringAttribute (key).getHexValue32()); };
    const auto font = painter.getFont (true, (float) icon->getDoubleAttribute ("fontSize"));

    const auto bar = [&] (int y, int height, const juce::String& title, bool closeHovered)
    {
        g.setGradientFill (juce::ColourGradient::vertical (colour (*section, "gradientTop"), (float) y,
                                                           colour (*section, "gradientBtm"), (float) (y + height)));
        g.fillRect (0, y, image.getWidth(), height);
        painter.drawLine (g, title, font, { 0.0f, (float) y, (float) image.getWidth(), (float) height },
                          colour (*icon, "fontColorActive"), juce::Justification::centred);

        for (auto* button : section->getChildWithTagNameIterator ("Widget"))
        {
            if (! button->hasAttribute ("upImage"))
                continue;

            const auto hovered = closeHovered && button->getStringAttribute ("name") == "closeButton";
            g.setOpacity (1.0f);
            g.drawImageAt (find (button->getStringAttribute (hovered ? "overImage" : "upImage")),
                           image.getWidth() + button->getIntAttribute ("positionX"), y + button->getIntAttribute ("positionY"));
        }
    };

    bar (0, 27, "Morvane", false);
    bar (37, 26, "KT4 Backup Type", true);
    return image;
}

juce::Image ContactSheet::composeMenuAndMessage() const
{
    juce::Image image (juce::Image::ARGB, 420, 150, true);
    juce::Graphics g (image);
    g.fillAll (SkinPalette::content);

    const auto* menu = root.getChildByName ("PopupMenuSkin");
    const auto* alert = root.getChildByName ("AlertWindowSkin");

    if (menu == nullptr || alert == nullptr)
        return image;

    const auto colour = [] (const juce::XmlElement& e, const char* key) { return juce::Colour (e.getStringAttribute (key).getHexValue32()); };

    // The device menu.
    const auto menuArea = juce::Rectangle<float> (10.0f, 10.0f, 160.0f, 130.0f);
    g.setColour (colour (*menu, "menuBackgroundColor"));
    g.fillRect (menuArea);
    g.setColour (colour (*menu, "menuBorderColor"));
    g.drawRect (menuArea);

    const auto menuFont = painter.getFont (false, (float) menu->getDoubleAttribute ("fontSize"));
    auto y = menuArea.getY() + 4.0f;

    for (auto item : { "Orvix II", "Orvix II XL", "Orvix III", "LM6", "KT4", "QMR-303" })
    {
        const auto row = juce::Rectangle<float> (menuArea.getX() + 1.0f, y, menuArea.getWidth() - 2.0f, 20.0f);
        const auto highlighted = juce::String (item) == "Orvix III";

        if (highlighted)
        {
            g.setColour (colour (*menu, "itemHighlightedColor"));
            g.fillRect (row);
        }

        painter.drawLine (g, item, menuFont, row.withTrimmedLeft (12.0f),
                          colour (*menu, highlighted ? "fontHighlightedColor" : "fontColor"), juce::Justification::centredLeft);
        y += 20.0f;
    }

    // A message box as the framework draws it with the skin's colours and fonts.
    const auto box = juce::Rectangle<float> (185.0f, 10.0f, 225.0f, 130.0f);
    g.setColour (colour (*alert, "backgroundColor"));
    g.fillRect (box);
    g.setColour (colour (*alert, "borderColor"));
    g.drawRect (box);
    painter.drawLine (g, "Morvane", painter.getFont (true, (float) alert->getDoubleAttribute ("fontSize")),
                      { box.getX() + 12.0f, box.getY() + 12.0f, box.getWidth() - 24.0f, 22.0f },
                      colour (*alert, "fontColor"), juce::Justification::centred);

    juce::AttributedString message;
    message.append ("Please choose one or more options under \"Back up the KT4.\"",
                    painter.getFont (false, (float) alert->getDoubleAttribute ("msgFontSize")), colour (*alert, "fontColor"));
    message.setJustification (juce::Justification::centred);
    juce::TextLayout layout;
    layout.createLayout (message, box.getWidth() - 30.0f);
    layout.draw (g, { box.getX() + 15.0f, box.getY() + 48.0f, box.getWidth() - 30.0f, layout.getHeight() });
    return image;
}

SkinArtist::NamedImages ContactSheet::makePreviews() const
{
    SkinArtist::NamedImages previews;
    previews.emplace_back ("Console, send page", composeConsole (false));
    previews.emplace_back ("Console, receive page (eyes-off overlay shown)", composeConsole (true));

    DialogPreview preview (painter, images);
    const auto add = [&] (const juce::String& caption, const char* tag, int w, int h,
                          const juce::StringArray& shifted, int shift, const juce::StringArray& skipped)
    {
        if (auto* section = root.getChildByName (tag))
            previews.emplace_back (caption, preview.draw (*section, w, h, shifted, shift, skipped));
    };

    const auto orvixShifted = [] (const juce::String& p)
    {
        return juce::StringArray { "divider2", "divider3", p + "PresetEditBufferToggle",
                                   p + "PresetEditBufferStripGlobalsToggle", p + "UserCabToggle",
                                   p + "UserCabSpinControl", "rectangle", "okayButton", "cancelButton" };
    };

    add ("KT4 backup", "KT4BackupSkin", 375, 570, {}, 0, {});
    add ("LM6 backup", "LM6BackupSkin", 375, 250, {}, 0, {});
    add ("Orvix II backup", "OrvixIIBackupSkin", 375, 440, {}, 0, { "backupOrvixIIDisplayOffsetWarning" });
    add ("Orvix II backup, offset unknown", "OrvixIIBackupSkin", 375, 520, orvixShifted ("backupOrvixII"), 80, {});
    add ("Orvix II XL backup", "OrvixIIXLBackupSkin", 585, 478, {}, 0, { "backupOrvixIIXLDisplayOffsetWarning" });
    add ("Orvix II XL backup, offset unknown", "OrvixIIXLBackupSkin", 585, 558, orvixShifted ("backupOrvixIIXL"), 80, {});
    add ("Orvix III backup", "OrvixIIIBackupSkin", 530, 410, {}, 0, {});

    previews.emplace_back ("Title bars: main window, dialog (close hovered)", composeTitleBars());
    previews.emplace_back ("Device menu and message box", composeMenuAndMessage());

    const juce::StringArray progressPage { "progressDownloadLabel", "progressBar", "progressCancelButton" };
    const juce::StringArray notesPage { "infoLabel", "infoNotes", "infoButtonLabel", "infoNoCheckOnStartupToggle",
                                        "infoOkayButton", "infoCancelButton", "additionalInfoLabel",
                                        "additionalInfoLinkLabel", "releaseNotesToggle" };

    for (auto tag : { "AutoUpdateSkin", "FirmwareUpdateSkin" })
    {
        if (auto* section = root.getChildByName (tag))
        {
            const juce::String caption = juce::String (tag) == "AutoUpdateSkin" ? "Software Update" : "Firmware Update";
            add (caption, tag, section->getIntAttribute ("infoWidth"), section->getIntAttribute ("infoHeight"),
                 {}, 0, progressPage);
            add (caption + ", download", tag, section->getIntAttribute ("progressWidth"),
                 section->getIntAttribute ("progressHeight"), {}, 0, notesPage);
        }
    }

    return previews;
}

int ContactSheet::drawPreviews (juce::Graphics& g, const SkinArtist::NamedImages& previews) const
{
    auto x = margin, y = margin, rowHeight = 0;
    const auto caption = painter.getFont (true, 13.0f);

    for (auto& preview : previews)
    {
        const auto& image = preview.second;

        if (x + image.getWidth() > sheetWidth - margin)
        {
            x = margin;
            y += rowHeight + 30;
            rowHeight = 0;
        }

        painter.drawLine (g, preview.first, caption, { (float) x, (float) y, (float) image.getWidth(), 18.0f },
                          SkinPalette::ink, juce::Justification::centredLeft);
        g.setOpacity (1.0f);
        g.drawImageAt (image, x, y + 22);
        g.setColour (SkinPalette::inkFaint);
        g.drawRect (juce::Rectangle<int> (x, y + 22, image.getWidth(), image.getHeight()).expanded (1));

        x += image.getWidth() + margin;
        rowHeight = juce::jmax (rowHeight, image.getHeight() + 22);
    }

    return y + rowHeight + margin * 2;
}

juce::Image ContactSheet::draw() const
{
    const auto previews = makePreviews();

    // Measure first on a scratch image, then draw for real at the final height.
    int height = 0;
    {
        juce::Image scratch (juce::Image::ARGB, sheetWidth, 8000, true);
        juce::Graphics g (scratch);
        height = drawFontSamples (g, drawCells (g, drawPreviews (g, previews)));
    }

    juce::Image sheet (juce::Image::ARGB, sheetWidth, height, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colours::white);
    drawFontSamples (g, drawCells (g, drawPreviews (g, previews)));
    return sheet;
}
