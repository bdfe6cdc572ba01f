#include "ConsoleLayout.h"

#include "SkinManager.h"
#include "TPXDrawableButton.h"
#include "TPXLabelComponent.h"
#include "TPXProgressBar.h"

namespace
{
const char* const selectDeviceText = "Select Device";
const char* const selectInputText = "Select an Input Port";
const char* const selectOutputText = "Select an Output Port";
const char* const receiveBeginText = "Press BEGIN to select a backup type to receive.";

juce::Image skinImage (const juce::String& name)
{
    return name.isEmpty() ? juce::Image() : SkinManager::getImage (name);
}
} // namespace

ConsoleLayout::ConsoleLayout (juce::Component& console, ConsoleWidgets& widgets, SkinManager* skin,
                              juce::MouseListener& clicks)
    : parent (console), w (widgets), skinManager (skin), labelClicks (clicks)
{
}

ConsoleWidgets ConsoleLayout::build (juce::Component& console, SkinManager* skin, juce::MouseListener& labelClicks,
                                     bool receiveFolderDefaulted, const juce::String& versionText)
{
    ConsoleWidgets widgets;
    ConsoleLayout (console, widgets, skin, labelClicks).buildAll (receiveFolderDefaulted, versionText);
    return widgets;
}

juce::String ConsoleLayout::variant (const juce::String& image, const juce::String& suffix)
{
    return image.upToLastOccurrenceOf (".png", false, true) + suffix + ".png";
}

void ConsoleLayout::addChild (juce::Component& child, bool visible)
{
    parent.addAndMakeVisible (child);
    child.setVisible (visible);
}

std::unique_ptr<juce::ImageButton> ConsoleLayout::makeImageButton (const juce::String& name, const juce::String& image,
                                                                   const juce::String& down, const juce::String& over,
                                                                   juce::Rectangle<int> bounds, bool visible)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    const auto normal = skinImage (image);
    const auto overImage = over.isNotEmpty() ? skinImage (over) : normal;
    const auto downImage = down.isNotEmpty() ? skinImage (down) : overImage;
    button->setImages (false, false, true,
                       normal, 1.0f, juce::Colours::transparentBlack,
                       overImage, 1.0f, juce::Colours::transparentBlack,
                       downImage, 1.0f, juce::Colours::transparentBlack);
    button->setBounds (bounds);
    addChild (*button, visible);
    return button;
}

std::unique_ptr<juce::Label> ConsoleLayout::makeLabel (const juce::String& name, const juce::String& text,
                                                       juce::Rectangle<int> bounds, bool visible)
{
    auto label = std::make_unique<juce::Label> (name, text);
    label->setBounds (bounds);
    addChild (*label, visible);
    return label;
}

std::unique_ptr<juce::DrawableButton> ConsoleLayout::makeSelector (const juce::String& name, juce::Rectangle<int> bounds)
{
    auto button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageRaw);

    if (w.dropdownImage != nullptr)
        button->setImages (w.dropdownImage.get());

    button->setColour (juce::DrawableButton::textColourId, juce::Colours::black);
    button->setBounds (bounds);
    addChild (*button, true);
    return button;
}

void ConsoleLayout::buildAll (bool receiveFolderDefaulted, const juce::String& versionText)
{
    // In this order: each panel's widgets lie over those of the panels before.
    buildImagesAndFolderLink();
    buildTabs();
    buildDevicePanel();
    buildBufferDelay();
    buildFilePanel (receiveFolderDefaulted);
    buildTransferPanel();
    buildHelpPanel();
    buildFooter (versionText);
}

// The backgrounds, the pickers' drop-down image and the skin's own folder link.
void ConsoleLayout::buildImagesAndFolderLink()
{
    w.sendBackground = skinImage ("bg-body-send.png");
    w.receiveBackground = skinImage ("bg-body-receive.png");

    if (auto dropdown = skinImage ("dropdown.png"); dropdown.isValid())
    {
        auto drawable = std::make_unique<juce::DrawableImage>();
        drawable->setImage (dropdown);
        w.dropdownImage = std::move (drawable);
    }

    if (skinManager != nullptr)
    {
        if (auto* section = skinManager->getSection ("MainSkin"))
        {
            for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
            {
                if (widget->getStringAttribute ("name") == "showFolder" && w.showFolder == nullptr)
                {
                    w.showFolder = skinManager->createDrawableButton (widget, "showFolder");

                    if (w.showFolder != nullptr)
                    {
                        parent.addAndMakeVisible (*w.showFolder);
                        w.showFolder->setEnabled (false);
                    }
                }
            }
        }
    }
}

// The logo's eyes and the send and receive tabs.
void ConsoleLayout::buildTabs()
{
    w.glimEyes = makeImageButton ("Glim Eyes", "glim-eyes-off.png", {}, {}, { 79, 246, 83, 34 }, true);
    w.sendTabFocus = makeImageButton ("Send Tab Focus", "tab-send.png", {}, {}, { 260, 13, 169, 33 }, true);
    w.sendTabButton = makeImageButton ("Send Tab Button", "tab-send-back.png", {}, "tab-send-over.png", { 260, 13, 169, 33 }, false);
    w.receiveTabFocus = makeImageButton ("Receive Tab Focus", "tab-receive.png", {}, {}, { 429, 13, 169, 33 }, false);
    w.receiveTabButton = makeImageButton ("Receive Tab Button", "tab-receive-back.png", {}, "tab-receive-over.png", { 429, 13, 169, 33 }, true);
}

// The device and port pickers with their labels and marks.
void ConsoleLayout::buildDevicePanel()
{
    w.deviceSelector = makeSelector ("Device To Update", { 280, 111, 232, 27 });
    w.deviceLabel = makeLabel ("Device Label", selectDeviceText, { 280, 111, 232, 27 }, true);
    w.connectedLabel = makeLabel ("Connected Label", "Connected", { 550, 115, 200, 200 }, false);
    w.checkMark = makeImageButton ("Check", "icon-check.png", {}, {}, { 530, 115, 15, 15 }, false);
    w.inputCheck = makeImageButton ("Input Check", "icon-check.png", {}, {}, { 530, 153, 15, 15 }, false);
    w.outputCheck = makeImageButton ("Output Check", "icon-check.png", {}, {}, { 530, 191, 15, 15 }, false);
    w.error1 = makeImageButton ("Error 1", "icon-error.png", {}, {}, { 530, 115, 15, 15 }, false);

    w.inputSelector = makeSelector (selectInputText, { 280, 149, 232, 27 });
    w.inputSelector->setEnabled (false);
    w.inputPortLabel = makeLabel ("Input Port Label", selectInputText, { 280, 149, 232, 27 }, true);
    w.inputPortLabel->setJustificationType (juce::Justification::centredLeft);
    w.inputPortLabel->setEnabled (false);

    w.outputSelector = makeSelector (selectOutputText, { 280, 187, 232, 27 });
    w.outputSelector->setEnabled (false);
    w.outputPortLabel = makeLabel ("Output Port Label", selectOutputText, { 280, 187, 232, 27 }, true);
    w.outputPortLabel->setEnabled (false);

    for (auto* label : { w.deviceLabel.get(), w.inputPortLabel.get(), w.outputPortLabel.get() })
    {
        label->setColour (juce::Label::textColourId, juce::Colours::black);
        label->addMouseListener (&labelClicks, false);
    }
}

// The MIDI Buffer Delay slider and its label, hidden until a device needs them.
void ConsoleLayout::buildBufferDelay()
{
    w.bufferDelaySlider = std::make_unique<juce::Slider> (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    w.bufferDelaySlider->setName ("MIDI Buffer Delay");
    w.bufferDelaySlider->setRange (0.0, 1000.0, 10.0);
    w.bufferDelaySlider->setValue (0.0, juce::dontSendNotification);
    w.bufferDelaySlider->setTextValueSuffix (" ms");
    w.bufferDelaySlider->setPopupDisplayEnabled (true, true, &parent);
    w.bufferDelaySlider->setBounds (563, 187, 180, 24);
    addChild (*w.bufferDelaySlider, false);
    w.bufferDelayLabel = makeLabel ("Buffer Delay Label", juce::String ("MIDI Buffer Delay") + ":", { 595, 171, 125, 20 }, false);
    w.bufferDelayLabel->setJustificationType (juce::Justification::centredLeft);
}

// BROWSE, the file field, the firmware labels and the receive page's hint to browse.
void ConsoleLayout::buildFilePanel (bool receiveFolderDefaulted)
{
    w.browseButton = makeImageButton ("Browse", "btn-browse.png", "btn-browse-down.png", "btn-browse-over.png", { 268, 289, 152, 42 }, true);
    w.browseButton->setEnabled (false);

    w.fileField = std::make_unique<ReadOnlyTextField> ("File");
    w.fileField->setBounds (430, 295, 307, 25);
    addChild (*w.fileField, true);
    w.fileField->setEnabled (false);

    w.error2 = makeImageButton ("Error 2", "icon-error.png", {}, {}, { 275, 334, 15, 15 }, false);
    w.firmwareTextLabel = makeLabel ("Firmware Text Label", {}, { 395, 329, 480, 27 }, false);
    w.firmwareTextLabel->setColour (juce::Label::textColourId, juce::Colours::black);
    w.firmwareLinkLabel = makeLabel ("Firmware Link Label", {}, { 275, 329, 125, 27 }, false);
    w.firmwareLinkLabel->setColour (juce::Label::textColourId, juce::Colour (0xff0000ff));
    w.firmwareLinkLabel->setMouseCursor (juce::MouseCursor::PointingHandCursor);
    w.firmwareLinkLabel->addMouseListener (&labelClicks, false);
    w.receiveBrowseLabel = makeLabel ("Receive Browse Label",
                                    receiveFolderDefaulted ? "Press BROWSE to select a folder where backups will be stored." : "",
                                    { 275, 329, 500, 27 }, false);
    w.receiveBrowseLabel->addMouseListener (&labelClicks, false);
}

// BEGIN, the progress bar, Cancel and the lines under them.
void ConsoleLayout::buildTransferPanel()
{
    w.transmitButton = makeImageButton ("Transmit", "btn-begin.png", "btn-begin-down.png", "btn-begin-over.png", { 268, 429, 152, 42 }, true);
    w.transmitButton->setEnabled (false);

    w.progressBar = std::make_unique<TPXProgressBar>();
    w.progressBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xffd3d3d3));
    w.progressBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xff32cd32).darker (0.2f));
    w.progressBar->setBounds (430, 435, 254, 25);
    addChild (*w.progressBar, true);

    w.cancelButton = makeImageButton ("Cancel", "btn-cancel.png", "btn-cancel-down.png", "btn-cancel-over.png", { 690, 435, 78, 30 }, true);
    w.cancelButton->setEnabled (false);
    w.check3 = makeImageButton ("Check3", "icon-check.png", {}, {}, { 275, 474, 15, 15 }, false);
    w.error3 = makeImageButton ("Error 3", "icon-error.png", {}, {}, { 275, 474, 15, 15 }, false);
    w.progressLabel = makeLabel ("Progress", {}, { 295, 469, 475, 27 }, true);
    w.receiveBeginLabel = makeLabel ("Receive Begin Label", receiveBeginText, { 275, 469, 475, 27 }, false);
    w.receiveBeginLabel->addMouseListener (&labelClicks, false);
}

// The help links on the left.
void ConsoleLayout::buildHelpPanel()
{
    w.helpText = makeImageButton ("Help Text", "helptext_01.png", {}, {}, { 0, 69, 240, 20 }, true);
    w.documentButton = makeImageButton ("Document", "helptext_02.png", variant ("helptext_02.png", "-down"),
                                      variant ("helptext_02.png", "-over"), { 0, 89, 240, 20 }, true);
    w.videoButton = makeImageButton ("Video", "helptext_03.png", variant ("helptext_03.png", "-down"),
                                   variant ("helptext_03.png", "-over"), { 0, 109, 240, 20 }, true);
    w.moreHelp = makeImageButton ("More Help", "helptext_05.png", {}, {}, { 0, 139, 240, 20 }, true);
    w.supportButton = makeImageButton ("Support", "helptext_06.png", "helptext-down_06.png", "helptext-over_06.png", { 0, 159, 240, 20 }, true);
    w.forumButton = makeImageButton ("Forum", "helptext_07.png", variant ("helptext_07.png", "-down"),
                                   variant ("helptext_07.png", "-over"), { 0, 179, 240, 20 }, true);
}

// The copyright and version labels.
void ConsoleLayout::buildFooter (const juce::String& versionText)
{
    const auto labelFont = juce::String ("_bgp_b.stf");
    w.copyrightLabel = std::make_unique<TPXLabelComponent> (skinManager, 10, 531, 300, 15, "Copyright Label",
                                                          juce::String (juce::CharPointer_UTF8 ("\xc2\xa9 2009-2025 Zandrel Audio. All rights reserved.")),
                                                          labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::left);
    addChild (*w.copyrightLabel, true);
    w.versionLabel = std::make_unique<TPXLabelComponent> (skinManager, 593, 531, 200, 15, "Version Label", versionText,
                                                          labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::right);
    addChild (*w.versionLabel, true);
}
