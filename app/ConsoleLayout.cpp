#include "ConsoleLayout.h"

#include "MorvaneDialog.h"
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

ConsoleLayout::ConsoleLayout (MorvaneDialog& console)
    : c (console)
{
}

juce::String ConsoleLayout::variant (const juce::String& image, const juce::String& suffix)
{
    return image.upToLastOccurrenceOf (".png", false, true) + suffix + ".png";
}

void ConsoleLayout::addChild (juce::Component& child, bool visible)
{
    c.addAndMakeVisible (child);
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

    if (c.dropdownImage != nullptr)
        button->setImages (c.dropdownImage.get());

    button->setColour (juce::DrawableButton::textColourId, juce::Colours::black);
    button->setBounds (bounds);
    addChild (*button, true);
    return button;
}

void ConsoleLayout::buildFromSkin()
{
    c.sendBackground = skinImage ("bg-body-send.png");
    c.receiveBackground = skinImage ("bg-body-receive.png");

    if (auto dropdown = skinImage ("dropdown.png"); dropdown.isValid())
    {
        auto drawable = std::make_unique<juce::DrawableImage>();
        drawable->setImage (dropdown);
        c.dropdownImage = std::move (drawable);
    }

    if (c.skinManager != nullptr)
    {
        if (auto* section = c.skinManager->getSection ("MainSkin"))
        {
            for (auto* widget : section->getChildWithTagNameIterator ("Widget"))
            {
                if (widget->getStringAttribute ("name") == "showFolder" && c.showFolder == nullptr)
                {
                    c.showFolder = c.skinManager->createDrawableButton (widget, "showFolder");

                    if (c.showFolder != nullptr)
                    {
                        c.addAndMakeVisible (*c.showFolder);
                        c.showFolder->setEnabled (false);
                    }
                }
            }
        }
    }

    c.glimEyes = makeImageButton ("Glim Eyes", "glim-eyes-off.png", {}, {}, { 79, 246, 83, 34 }, true);
    c.sendTabFocus = makeImageButton ("Send Tab Focus", "tab-send.png", {}, {}, { 260, 13, 169, 33 }, true);
    c.sendTabButton = makeImageButton ("Send Tab Button", "tab-send-back.png", {}, "tab-send-over.png", { 260, 13, 169, 33 }, false);
    c.receiveTabFocus = makeImageButton ("Receive Tab Focus", "tab-receive.png", {}, {}, { 429, 13, 169, 33 }, false);
    c.receiveTabButton = makeImageButton ("Receive Tab Button", "tab-receive-back.png", {}, "tab-receive-over.png", { 429, 13, 169, 33 }, true);

    c.deviceSelector = makeSelector ("Device To Update", { 280, 111, 232, 27 });
    c.deviceLabel = makeLabel ("Device Label", selectDeviceText, { 280, 111, 232, 27 }, true);
    c.connectedLabel = makeLabel ("Connected Label", "Connected", { 550, 115, 200, 200 }, false);
    c.checkMark = makeImageButton ("Check", "icon-check.png", {}, {}, { 530, 115, 15, 15 }, false);
    c.inputCheck = makeImageButton ("Input Check", "icon-check.png", {}, {}, { 530, 153, 15, 15 }, false);
    c.outputCheck = makeImageButton ("Output Check", "icon-check.png", {}, {}, { 530, 191, 15, 15 }, false);
    c.error1 = makeImageButton ("Error 1", "icon-error.png", {}, {}, { 530, 115, 15, 15 }, false);

    c.inputSelector = makeSelector (selectInputText, { 280, 149, 232, 27 });
    c.inputSelector->setEnabled (false);
    c.inputPortLabel = makeLabel ("Input Port Label", selectInputText, { 280, 149, 232, 27 }, true);
    c.inputPortLabel->setJustificationType (juce::Justification::centredLeft);
    c.inputPortLabel->setEnabled (false);

    c.outputSelector = makeSelector (selectOutputText, { 280, 187, 232, 27 });
    c.outputSelector->setEnabled (false);
    c.outputPortLabel = makeLabel ("Output Port Label", selectOutputText, { 280, 187, 232, 27 }, true);
    c.outputPortLabel->setEnabled (false);

    for (auto* label : { c.deviceLabel.get(), c.inputPortLabel.get(), c.outputPortLabel.get() })
    {
        label->setColour (juce::Label::textColourId, juce::Colours::black);
        label->addMouseListener (&c, false);
    }

    c.bufferDelaySlider = std::make_unique<juce::Slider> (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    c.bufferDelaySlider->setName ("MIDI Buffer Delay");
    c.bufferDelaySlider->setRange (0.0, 1000.0, 10.0);
    c.bufferDelaySlider->setValue (0.0, juce::dontSendNotification);
    c.bufferDelaySlider->setTextValueSuffix (" ms");
    c.bufferDelaySlider->setPopupDisplayEnabled (true, true, &c);
    c.bufferDelaySlider->setBounds (563, 187, 180, 24);
    addChild (*c.bufferDelaySlider, false);
    c.bufferDelayLabel = makeLabel ("Buffer Delay Label", juce::String ("MIDI Buffer Delay") + ":", { 595, 171, 125, 20 }, false);
    c.bufferDelayLabel->setJustificationType (juce::Justification::centredLeft);
    c.setBufferDelayEnabled (false);

    c.browseButton = makeImageButton ("Browse", "btn-browse.png", "btn-browse-down.png", "btn-browse-over.png", { 268, 289, 152, 42 }, true);
    c.browseButton->setEnabled (false);

    c.fileField = std::make_unique<juce::TextEditor> ("File");
    c.fileField->setCaretVisible (false);
    c.fileField->setReadOnly (true);
    c.fileField->setBounds (430, 295, 307, 25);
    addChild (*c.fileField, true);
    c.fileField->setEnabled (false);

    c.error2 = makeImageButton ("Error 2", "icon-error.png", {}, {}, { 275, 334, 15, 15 }, false);
    c.firmwareTextLabel = makeLabel ("Firmware Text Label", {}, { 395, 329, 480, 27 }, false);
    c.firmwareTextLabel->setColour (juce::Label::textColourId, juce::Colours::black);
    c.firmwareLinkLabel = makeLabel ("Firmware Link Label", {}, { 275, 329, 125, 27 }, false);
    c.firmwareLinkLabel->setColour (juce::Label::textColourId, juce::Colour (0xff0000ff));
    c.firmwareLinkLabel->setMouseCursor (juce::MouseCursor::PointingHandCursor);
    c.firmwareLinkLabel->addMouseListener (&c, false);
    c.receiveBrowseLabel = makeLabel ("Receive Browse Label",
                                    c.receiveFolderDefaulted ? "Press BROWSE to select a folder where backups will be stored." : "",
                                    { 275, 329, 500, 27 }, false);
    c.receiveBrowseLabel->addMouseListener (&c, false);

    c.transmitButton = makeImageButton ("Transmit", "btn-begin.png", "btn-begin-down.png", "btn-begin-over.png", { 268, 429, 152, 42 }, true);
    c.transmitButton->setEnabled (false);

    c.progressBar = std::make_unique<TPXProgressBar>();
    c.progressBar->setColour (juce::ProgressBar::backgroundColourId, juce::Colour (0xffd3d3d3));
    c.progressBar->setColour (juce::ProgressBar::foregroundColourId, juce::Colour (0xff32cd32).darker (0.2f));
    c.progressBar->setBounds (430, 435, 254, 25);
    addChild (*c.progressBar, true);

    c.cancelButton = makeImageButton ("Cancel", "btn-cancel.png", "btn-cancel-down.png", "btn-cancel-over.png", { 690, 435, 78, 30 }, true);
    c.cancelButton->setEnabled (false);
    c.check3 = makeImageButton ("Check3", "icon-check.png", {}, {}, { 275, 474, 15, 15 }, false);
    c.error3 = makeImageButton ("Error 3", "icon-error.png", {}, {}, { 275, 474, 15, 15 }, false);
    c.progressLabel = makeLabel ("Progress", {}, { 295, 469, 475, 27 }, true);
    c.receiveBeginLabel = makeLabel ("Receive Begin Label", receiveBeginText, { 275, 469, 475, 27 }, false);
    c.receiveBeginLabel->addMouseListener (&c, false);

    c.helpText = makeImageButton ("Help Text", "helptext_01.png", {}, {}, { 0, 69, 240, 20 }, true);
    c.documentButton = makeImageButton ("Document", "helptext_02.png", variant ("helptext_02.png", "-down"),
                                      variant ("helptext_02.png", "-over"), { 0, 89, 240, 20 }, true);
    c.videoButton = makeImageButton ("Video", "helptext_03.png", variant ("helptext_03.png", "-down"),
                                   variant ("helptext_03.png", "-over"), { 0, 109, 240, 20 }, true);
    c.moreHelp = makeImageButton ("More Help", "helptext_05.png", {}, {}, { 0, 139, 240, 20 }, true);
    c.supportButton = makeImageButton ("Support", "helptext_06.png", "helptext-down_06.png", "helptext-over_06.png", { 0, 159, 240, 20 }, true);
    c.forumButton = makeImageButton ("Forum", "helptext_07.png", variant ("helptext_07.png", "-down"),
                                   variant ("helptext_07.png", "-over"), { 0, 179, 240, 20 }, true);

    const auto labelFont = juce::String ("_bgp_b.stf");
    c.copyrightLabel = std::make_unique<TPXLabelComponent> (c.skinManager, 10, 531, 300, 15, "Copyright Label",
                                                          juce::String (juce::CharPointer_UTF8 ("\xc2\xa9 2009-2025 Zandrel Audio. All rights reserved.")),
                                                          labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::left);
    addChild (*c.copyrightLabel, true);
    c.versionLabel = std::make_unique<TPXLabelComponent> (c.skinManager, 593, 531, 200, 15, "Version Label", c.getVersionText(),
                                                          labelFont, 12.0f, juce::Colour (0xff555555), juce::Justification::right);
    addChild (*c.versionLabel, true);

    if (! c.receiveFolderDefaulted)
    {
        c.receiveFolder = c.settings.getStoredReceiveFolder();
        c.receiveFolderChosen = true;
    }
}
