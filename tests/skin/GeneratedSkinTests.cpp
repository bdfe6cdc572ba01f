#include "MorvaneLookAndFeel.h"
#include "SkinTestSupport.h"
#include "SkinTypefaceReader.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "TPXProgressBar.h"
#include "TPXSpinControl.h"

#include "MessageLoop.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
const juce::File generatedSkinFolder (MORVANE_GENERATED_SKIN_DIR);
const juce::File contactSheetFile = juce::File (MORVANE_CONTACT_SHEET_DIR).getChildFile ("skin-engine-contact-sheet.png");

/** The images that the program asks for by fixed names rather than through the skin XML. */
const char* const imagesNamedByTheCode[] = {
    "bg-body-send.png", "bg-body-receive.png", "dropdown.png", "glim-eyes-off.png",
    "tab-send.png", "tab-send-back.png", "tab-send-over.png",
    "tab-receive.png", "tab-receive-back.png", "tab-receive-over.png",
    "icon-check.png", "icon-error.png",
    "btn-browse.png", "btn-browse-down.png", "btn-browse-over.png",
    "btn-begin.png", "btn-begin-down.png", "btn-begin-over.png",
    "btn-cancel.png", "btn-cancel-down.png", "btn-cancel-over.png",
    "helptext_01.png", "helptext_05.png",
    "helptext_02.png", "helptext_02-down.png", "helptext_02-over.png",
    "helptext_03.png", "helptext_03-down.png", "helptext_03-over.png",
    "helptext_06.png", "helptext-down_06.png", "helptext-over_06.png",
    "helptext_07.png", "helptext_07-down.png", "helptext_07-over.png",
    "btn-sendsmall.png", "btn-sendsmall-down.png", "btn-sendsmall-over.png",
    "btn-ready.png", "btn-ready-down.png", "btn-ready-over.png",
    "btn-ok.png", "btn-ok-over.png", "btn-ok-down.png",
    "plus.png", "plus-down.png", "minus.png", "minus-down.png",
    SkinManager::missingImageName,
};

const char* const sections[] = {
    "MainSkin", "KT4BackupSkin", "LM6BackupSkin", "OrvixIIBackupSkin", "OrvixIIXLBackupSkin", "OrvixIIIBackupSkin",
    "AutoUpdateSkin", "FirmwareUpdateSkin", "PopupMenuSkin", "MenuBarSkin", "AlertWindowSkin", "TitlebarSkin",
};

bool namesAnImage (const juce::String& value)
{
    return value.endsWithIgnoreCase (".png") || value.endsWithIgnoreCase (".gif") || value.endsWithIgnoreCase (".jpg");
}

void collectNames (const juce::XmlElement& element, juce::StringArray& images, juce::StringArray& fonts)
{
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto value = element.getAttributeValue (i);

        if (namesAnImage (value))
            images.addIfNotAlreadyThere (value);
        else if (value.endsWithIgnoreCase (".stf"))
            fonts.addIfNotAlreadyThere (value);
    }

    for (auto* child : element.getChildIterator())
        collectNames (*child, images, fonts);
}

//==============================================================================
/** Lays captioned pictures out in rows and paints them into one image. */
class ContactSheet
{
public:
    void add (const juce::String& caption, const juce::Image& picture, float scale = 1.0f)
    {
        cells.push_back ({ caption, picture, scale });
    }

    void addComponent (const juce::String& caption, juce::Component& component)
    {
        auto picture = snapshot (component);

        if (component.getAlpha() < 1.0f)
        {
            juce::Image faded (juce::Image::ARGB, picture.getWidth(), picture.getHeight(), true);
            juce::Graphics g (faded);
            g.setOpacity (component.getAlpha());
            g.drawImageAt (picture, 0, 0);
            picture = faded;
        }

        add (caption, picture);
    }

    void startSection (const juce::String& title)
    {
        cells.push_back ({ title, {}, 0.0f });
    }

    juce::Image render() const
    {
        constexpr int sheetWidth = 1700, gap = 12, captionHeight = 16, titleHeight = 30;
        const juce::Font captionFont (12.0f);

        struct Placed { const Cell* cell; juce::Rectangle<int> area; };
        std::vector<Placed> placed;
        int x = gap, y = gap, rowHeight = 0;

        for (const auto& cell : cells)
        {
            if (! cell.picture.isValid())
            {
                y += rowHeight + (rowHeight > 0 ? gap : 0);
                placed.push_back ({ &cell, { gap, y, sheetWidth - 2 * gap, titleHeight } });
                x = gap;
                y += titleHeight;
                rowHeight = 0;
                continue;
            }

            const auto w = juce::jmax (juce::roundToInt ((float) cell.picture.getWidth() * cell.scale),
                                       juce::roundToInt (captionFont.getStringWidthFloat (cell.caption)) + 4);
            const auto h = juce::roundToInt ((float) cell.picture.getHeight() * cell.scale) + captionHeight;

            if (x + w > sheetWidth - gap && x > gap)
            {
                x = gap;
                y += rowHeight + gap;
                rowHeight = 0;
            }

            placed.push_back ({ &cell, { x, y, w, h } });
            x += w + gap;
            rowHeight = juce::jmax (rowHeight, h);
        }

        juce::Image sheet (juce::Image::RGB, sheetWidth, y + rowHeight + gap, true);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (0xFFB8BEC4));

        for (const auto& [cell, area] : placed)
        {
            if (! cell->picture.isValid())
            {
                g.setColour (juce::Colours::black);
                g.setFont (juce::Font (18.0f, juce::Font::bold));
                g.drawText (cell->caption, area, juce::Justification::bottomLeft);
                continue;
            }

            const auto pictureArea = juce::Rectangle<int> (area.getX(), area.getY(),
                                                           juce::roundToInt ((float) cell->picture.getWidth() * cell->scale),
                                                           area.getHeight() - captionHeight);
            g.setTiledImageFill (checkerboard(), 0, 0, 1.0f);
            g.fillRect (pictureArea);
            g.drawImage (cell->picture, pictureArea.toFloat());
            g.setColour (juce::Colours::black);
            g.setFont (captionFont);
            g.drawText (cell->caption, area.withTop (area.getBottom() - captionHeight), juce::Justification::centredLeft);
        }

        return sheet;
    }

private:
    struct Cell
    {
        juce::String caption;
        juce::Image picture;
        float scale;
    };

    static juce::Image checkerboard()
    {
        juce::Image tile (juce::Image::RGB, 16, 16, true);
        juce::Graphics g (tile);
        g.fillAll (juce::Colours::white);
        g.setColour (juce::Colour (0xFFDDDDDD));
        g.fillRect (0, 0, 8, 8);
        g.fillRect (8, 8, 8, 8);
        return tile;
    }

    std::vector<Cell> cells;
};

//==============================================================================
void addArchiveImages (ContactSheet& sheet, const SkinManager& skin)
{
    sheet.startSection ("Archive images (" + skin.getArchiveName() + ")");
    juce::ZipFile archive (generatedSkinFolder.getChildFile (skin.getArchiveName()));

    for (int i = 0; i < archive.getNumEntries(); ++i)
    {
        const auto name = archive.getEntry (i)->filename;

        if (SkinManager::hasImage (name))
        {
            const auto image = SkinManager::getImage (name);
            sheet.add (name, image, image.getWidth() > 400 ? 0.5f : 1.0f);
        }
    }
}

void addDrawableButtonStates (ContactSheet& sheet, const SkinManager& skin, const juce::String& section,
                              const juce::String& name)
{
    auto button = skin.createDrawableButton (findWidget (skin, section, name), name);

    if (button == nullptr)
        return;

    const std::pair<const char*, juce::Button::ButtonState> states[] = {
        { "normal", juce::Button::buttonNormal }, { "over", juce::Button::buttonOver }, { "down", juce::Button::buttonDown },
    };

    for (const auto& [stateName, state] : states)
    {
        button->setState (state);
        sheet.addComponent (name + " " + stateName, *button);
    }

    button->setState (juce::Button::buttonNormal);
    button->setEnabledDimmed (false, false);
    sheet.addComponent (name + " disabled", *button);
}

void addPaintedButtonStates (ContactSheet& sheet, const SkinManager& skin, const juce::String& section,
                             const juce::String& name)
{
    auto button = skin.createPaintedButton (findWidget (skin, section, name), name);

    if (button == nullptr)
        return;

    sheet.addComponent (name + " normal", *button);
    {
        MouseDriver mouse (*button);
        mouse.moveTo ({ 3, 3 });
        sheet.addComponent (name + " over", *button);
        mouse.press ({ 3, 3 });
        sheet.addComponent (name + " down", *button);
        mouse.release ({ 3, 3 });
    }

    button->setEnabled (false);
    sheet.addComponent (name + " disabled", *button);
}

void addLabel (ContactSheet& sheet, const SkinManager& skin, const juce::String& section, const juce::String& name,
               const juce::String& text = {})
{
    auto label = skin.createLabel (findWidget (skin, section, name), name);

    if (label == nullptr)
        return;

    if (text.isNotEmpty())
        label->setText (text, juce::dontSendNotification);

    sheet.addComponent (section + "/" + name, *label);
    label->setEnabled (false);
    sheet.addComponent (name + " disabled", *label);
}

void addTextLabel (ContactSheet& sheet, const SkinManager& skin, const juce::String& section, const juce::String& name)
{
    const auto* widget = findWidget (skin, section, name);

    if (widget == nullptr)
        return;

    TPXMultiLineLabelComponent label (&skin, 0, 0, widget->getIntAttribute ("width"), widget->getIntAttribute ("height"),
                                      name, widget->getStringAttribute ("text"),
                                      juce::Colour ((juce::uint32) widget->getStringAttribute ("backgroundColor").getHexValue32()),
                                      juce::Colour ((juce::uint32) widget->getStringAttribute ("fontColor").getHexValue32()),
                                      {}, 0.0f);
    sheet.addComponent (section + "/" + name, label);
}

void addSpinControl (ContactSheet& sheet, const SkinManager& skin, const juce::String& section, const juce::String& name,
                     int mode, const juce::String& allowed)
{
    const auto* widget = findWidget (skin, section, name);

    if (widget == nullptr)
        return;

    TPXSpinControl spin (&skin, widget->getIntAttribute ("width"), widget->getIntAttribute ("minVal"),
                         widget->getIntAttribute ("maxVal"), widget->getIntAttribute ("interval"),
                         widget->getIntAttribute ("initialValue"), allowed, widget->getIntAttribute ("maxChars"), mode);
    spin.setSize (widget->getIntAttribute ("width") + 22, 28);
    sheet.addComponent (name + " disabled", spin);
    spin.setEnabledState (true);
    spin.increment();
    sheet.addComponent (name + " enabled", spin);
}

void addProgressBar (ContactSheet& sheet, const SkinManager& skin, const juce::String& section)
{
    const auto* widget = findWidget (skin, section, "progressBar");

    if (widget == nullptr)
        return;

    TPXProgressBar bar;
    bar.setBounds (SkinManager::parseRectangle (widget->getStringAttribute ("bounds")));
    bar.setColour (juce::ProgressBar::foregroundColourId,
                   juce::Colour ((juce::uint32) widget->getStringAttribute ("foregroundColor").getHexValue32()));
    bar.setColour (juce::ProgressBar::backgroundColourId,
                   juce::Colour ((juce::uint32) widget->getStringAttribute ("backgroundColor").getHexValue32()));
    bar.setProgress (0.4);
    bar.setVisible (true);
    morvane::test::MouseDriver host (bar); // on screen, so that its timer takes the value

    morvane::test::runMessageLoopFor (800); // the bar moves towards its value at its own pace

    sheet.addComponent (section + "/progressBar 40%", bar);
}

void addLookAndFeel (ContactSheet& sheet, MorvaneLookAndFeel& lookAndFeel)
{
    struct Window : juce::DocumentWindow
    {
        explicit Window (const juce::String& name) : juce::DocumentWindow (name, juce::Colours::grey, 0) { setSize (800, 200); }
    };

    for (auto name : { "Morvane", "KT4 Backup" })
    {
        Window window (name);
        juce::Image bar (juce::Image::ARGB, 800, 27, true);
        {
            juce::Graphics g (bar);
            lookAndFeel.drawDocumentWindowTitleBar (window, g, 800, 27, 0, 800, nullptr, false);

            for (auto kind : { juce::DocumentWindow::minimiseButton, juce::DocumentWindow::closeButton })
            {
                std::unique_ptr<juce::Button> button (lookAndFeel.createDocumentWindowButton (kind));
                lookAndFeel.positionDocumentWindowButtons (window, 0, 0, 800, 27,
                                                           kind == juce::DocumentWindow::minimiseButton ? button.get() : nullptr,
                                                           nullptr,
                                                           kind == juce::DocumentWindow::closeButton ? button.get() : nullptr,
                                                           false);
                g.drawImageAt (snapshot (*button), button->getX(), button->getY());
            }
        }

        sheet.add (juce::String ("Title bar (inactive): ") + name, bar);
    }

    juce::Image menu (juce::Image::ARGB, 220, 90, true);
    {
        juce::Graphics g (menu);
        lookAndFeel.drawPopupMenuBackground (g, 220, 90);
        const char* items[] = { "Orvix II", "KT4", "QMR-303 MK3" };

        for (int i = 0; i < 3; ++i)
            lookAndFeel.drawPopupMenuItem (g, { 2, 4 + i * 26, 216, 26 }, false, true, i == 1, i == 0, false,
                                           items[i], {}, nullptr, nullptr);
    }
    sheet.add ("Pop-up menu", menu);

    juce::AlertWindow alert ("Morvane", "The backup will cancel following the completion of the current bank.",
                             juce::MessageBoxIconType::WarningIcon);
    alert.addButton ("OK", 1);
    sheet.addComponent ("Message box", alert);
}
} // namespace

TEST (GeneratedSkin, LoadsCompletelyAndDrawsAContactSheet)
{
    if (! generatedSkinFolder.getChildFile (SkinManager::skinFileName).existsAsFile())
        GTEST_SKIP() << "no generated skin in " << generatedSkinFolder.getFullPathName();

    SkinManager skin (generatedSkinFolder);
    ASSERT_TRUE (skin.load (false)) << skin.getLoadResult().getErrorMessage();

    for (auto section : sections)
        EXPECT_NE (skin.getSection (section), nullptr) << section;

    juce::StringArray images, fonts;
    collectNames (*skin.getSkinRoot(), images, fonts);

    for (auto name : imagesNamedByTheCode)
        images.addIfNotAlreadyThere (name);

    for (const auto& name : images)
        EXPECT_TRUE (SkinManager::hasImage (name)) << name << " would show the placeholder";

    fonts.addIfNotAlreadyThere ("_bgp_b.stf");
    fonts.addIfNotAlreadyThere (SkinManager::missingFontName);

    for (const auto& name : fonts)
    {
        EXPECT_TRUE (skin.hasTypeface (name)) << name << " would fall back to the placeholder font";

        if (const auto typeface = skin.getTypeface (name))
        {
            EXPECT_TRUE (typeface->getName().isNotEmpty()) << name << " has no typeface name";
        }
    }

    // Everything drawn as the program draws it, with its own look-and-feel.
    MorvaneLookAndFeel lookAndFeel (&skin);
    lookAndFeel.loadPopupMenuSkin();
    lookAndFeel.loadMenuBarSkin();
    lookAndFeel.loadAlertWindowSkin();
    lookAndFeel.loadTitlebarSkin();
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    ContactSheet sheet;
    addArchiveImages (sheet, skin);

    sheet.startSection ("Drawable buttons");
    addDrawableButtonStates (sheet, skin, "MainSkin", "showFolder");
    addDrawableButtonStates (sheet, skin, "KT4BackupSkin", "okayButton");
    addDrawableButtonStates (sheet, skin, "KT4BackupSkin", "cancelButton");
    addDrawableButtonStates (sheet, skin, "FirmwareUpdateSkin", "infoOkayButton");

    sheet.startSection ("Painted buttons");
    addPaintedButtonStates (sheet, skin, "KT4BackupSkin", "selectAllButtonKT4");
    addPaintedButtonStates (sheet, skin, "OrvixIIIBackupSkin", "invertSelectionButton");

    sheet.startSection ("Labels, texts, spin controls, progress");
    addLabel (sheet, skin, "AutoUpdateSkin", "progressDownloadLabel", "Downloading update...");
    addLabel (sheet, skin, "FirmwareUpdateSkin", "infoLabel", "Firmware 15.04 is available for the Orvix II XL.");
    addLabel (sheet, skin, "KT4BackupSkin", "rectangle");
    addTextLabel (sheet, skin, "KT4BackupSkin", "backupTimeWarning");
    addTextLabel (sheet, skin, "OrvixIIBackupSkin", "backupOrvixIIDisplayOffsetWarning");
    addSpinControl (sheet, skin, "KT4BackupSkin", "backupPresetSpinControl", TPXSpinControl::bankPresetMode,
                    "1234567890-*+/,.;:");
    addSpinControl (sheet, skin, "LM6BackupSkin", "backupPresetSpinControl", TPXSpinControl::letterNumberMode,
                    "ABCDEFGHIJKLMNOPabcdefghijklmnop12345678");
    addProgressBar (sheet, skin, "AutoUpdateSkin");

    sheet.startSection ("Look-and-feel");
    addLookAndFeel (sheet, lookAndFeel);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    const auto picture = sheet.render();
    contactSheetFile.deleteFile();
    juce::FileOutputStream out (contactSheetFile);
    ASSERT_TRUE (out.openedOk());
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
    std::cout << "Contact sheet: " << contactSheetFile.getFullPathName() << std::endl;
}

// The skin's typefaces are decompressed once and built from those bytes; what is built is what
// the framework's own reader makes of the same entry.
TEST (GeneratedSkin, EachTypefaceReadsAsTheFrameworksOwnReaderReadsIt)
{
    juce::ZipFile archive (generatedSkinFolder.getChildFile ("MV-resources.zip"));
    int fonts = 0;

    for (int i = 0; i < archive.getNumEntries(); ++i)
    {
        const auto name = archive.getEntry (i)->filename;

        if (! name.endsWithIgnoreCase (".stf"))
            continue;

        SCOPED_TRACE (name);
        ++fonts;
        juce::MemoryBlock compressed;
        {
            std::unique_ptr<juce::InputStream> entry (archive.createStreamForEntry (i));
            ASSERT_NE (entry, nullptr);
            entry->readIntoMemoryBlock (compressed);
        }

        juce::String problem;
        const auto read = SkinTypefaceReader::read (compressed, problem);
        ASSERT_NE (read, nullptr) << problem;

        juce::MemoryInputStream source (compressed, false);
        const juce::Typeface::Ptr framework = new juce::CustomTypeface (source);

        EXPECT_EQ (read->getName(), framework->getName());
        EXPECT_EQ (read->getStyle(), framework->getStyle());
        EXPECT_EQ (read->getAscent(), framework->getAscent());

        // Every printable character, kerned against its neighbours, and one the font lacks (its
        // default character stands in).
        juce::String text;

        for (juce::juce_wchar c = 32; c < 256; ++c)
            text += juce::String::charToString (c);

        text += juce::String::charToString (0x4e00);
        EXPECT_EQ (read->getStringWidth (text), framework->getStringWidth (text));

        juce::Array<int> readGlyphs, frameworkGlyphs;
        juce::Array<float> readOffsets, frameworkOffsets;
        read->getGlyphPositions (text, readGlyphs, readOffsets);
        framework->getGlyphPositions (text, frameworkGlyphs, frameworkOffsets);
        EXPECT_EQ (readGlyphs, frameworkGlyphs);
        EXPECT_EQ (readOffsets, frameworkOffsets);

        for (auto glyph : frameworkGlyphs)
        {
            juce::Path readOutline, frameworkOutline;
            read->getOutlineForGlyph (glyph, readOutline);
            framework->getOutlineForGlyph (glyph, frameworkOutline);
            EXPECT_TRUE (readOutline == frameworkOutline) << "glyph " << glyph;
        }
    }

    EXPECT_EQ (fonts, 3);
}
