#include "SendOptionsDialog.h"

#include "DialogKeyboard.h"
#include "DialogLook.h"
#include "OwnedWindows.h"
#include "SkinManager.h"
#include "SysExTables.h"
#include "TPXLabelComponent.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXSpinControl.h"
#include "UserDialogs.h"

#include <algorithm>
#include <vector>

namespace
{
using namespace PayloadKinds;

// The size of the dialog's texts.
constexpr float textSize = 13.0f;

const char* const firmwareSentence = "\n\nPlease ensure the target system has the same firmware version as the system where the backup was created.";

bool isOneOf (int value, std::initializer_list<int> values)
{
    for (auto v : values)
        if (v == value)
            return true;

    return false;
}

bool atLeast (const FirmwareVersionRecord& version, juce::uint32 major, juce::uint32 minor)
{
    return version.major > major || (version.major == major && version.minor >= minor);
}

juce::String powerCycleNote (int model, const juce::String& name)
{
    return isOneOf (model, { 3, 6, 7 }) ? "\n\nNOTE: You must power cycle the " + name + " immediately after it receives a System Backup."
                                        : juce::String();
}


juce::String overwrite (juce::uint32 count, const char* what, const juce::String& name)
{
    return "Warning! If you continue, you will permanently overwrite " + juce::String (count) + " " + what + " in your " + name + ".";
}

/** The name with "a" or "an" before it, as the name is said: a name that begins with a run of
    capitals (KT4, LM6, QMR-303) is spelt out letter by letter ("a KT4", "an LM6"), any other
    is said as a word ("an Orvix II").
*/
juce::String withArticle (const juce::String& name)
{
    const auto first = juce::CharacterFunctions::toUpperCase (name[0]);
    const bool spelt = juce::CharacterFunctions::isUpperCase (name[0]) && juce::CharacterFunctions::isUpperCase (name[1]);
    const auto vowelSounds = spelt ? juce::String ("AEFHILMNORSX") : juce::String ("AEIOU");
    return (first != 0 && vowelSounds.containsChar (first) ? "an " : "a ") + name;
}

juce::String selectedFile (const juce::String& name, const char* what)
{
    return "You have selected " + withArticle (name) + " " + what + " file.";
}

const char* const qmr303ThroughOrvixIIInstructions =
    "1. Ensure that your Orvix II is in USB Adapter Mode.\n"
    "\t (I/O:MIDI:USB ADAPTER MODE to \"ON\")\n\n"
    "2. Disable Realtime SysEx in the Orvix II.\n"
    "\t (I/O: MIDI: SEND REALTIME SYSEX to \"NONE\")\n\n"
    "3. Enter \"FW UPDATE MODE\" by rebooting the QMR-303\n\t while holding button #1.\n\n"
    "4. Connect a MIDI cable from the Orvix II MIDI OUT to\n\t the QMR-303 MIDI IN.\n"
    "\t NOTE: Updates over Ethernet/EtherCon are not\n\t possible.\n\n"
    "5. Press SEND below to begin the update.\n\n"
    "The QMR-303 will show a % COMPLETE indicator as the firmware is received and \"FW UPDATE COMPLETE\" when finished.\n\n"
    "Should you encounter any problems, please refer to the \"Read Me\" file included with the QMR-303 firmware.";

const char* const qmr303Instructions =
    "1. Please ensure that your chosen MIDI OUT port is\n\t connected to the MIDI IN port of the QMR-303.\n"
    "\t Note: Updating via ETHERNET/CAT5 is not possible.\n\n"
    "2. Enter \"FW UPDATE MODE\" by rebooting the QMR-303\n\t while holding button #1.\n\n"
    "3. Press SEND below to begin the update.\n\n"
    "Should you encounter any problems, please refer to the \"Read Me\" file included with your QMR-303 firmware.\n\n"
    "The QMR-303 should show a % COMPLETE indicator as the firmware is received and \"FW UPDATE COMPLETE\" when complete.";

using Content = SendOptionsDialog::Content;
using Setup = SendOptionsDialog::Setup;
using Destination = SendOptionsDialog::Destination;

/** The content of the kinds that have one: title, height and destination, and what the texts
    say about the file (fill may also change the height for the device or port).
*/
struct KindContent
{
    std::vector<PayloadKind> kinds;
    const char* title;
    int height;
    Destination destination;
    void (*fill) (Content&, const Setup&, const juce::String& name);
};

const KindContent kindContents[] = {
    { { orvixIIBank, lm6Bank, kt4Bank, orvixIIIBank }, "Transmit Bank File", 270, Destination::bank,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          if (s.kind == lm6Bank || s.kind == kt4Bank)
              c.height = 257;

          c.text = "You have selected a bank file for the " + name + ".";
          c.warning = overwrite (s.presetCount, "presets", name);

          if (s.kind == orvixIIBank && s.deviceModel == 3)
              c.warning += " Please note that presets from " + name + " firmware versions 5.00 or earlier are NOT compatible with firmware version 11.0 or later.";
          else if (s.kind == orvixIIBank && (s.deviceModel == 6 || s.deviceModel == 7))
              c.warning += " Please note that presets from Orvix II firmware versions 5.00 or earlier are NOT compatible with the " + name + ".";
      } },

    { { orvixIIAllBanks, lm6AllBanks, kt4AllBanks, orvixIIIAllBanks }, "Transmit All Banks File", 257, Destination::none,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          c.text = selectedFile (name, "'All Preset Banks'");
          c.warning = overwrite (s.presetCount, "presets", name);
      } },

    { { kt4FactorySet }, "Transmit All Banks File", 257, Destination::none,
      [] (Content& c, const Setup&, const juce::String& name)
      {
          c.text = selectedFile (name, "'Factory Preset Banks'");
          c.warning = "Warning! If you continue, you will permanently overwrite banks 1 through 16 and bank 64 in your " + name + ".";
      } },

    { { cabIR }, "Transmit One Cab", 280, Destination::cab,
      [] (Content& c, const Setup& s, const juce::String&)
      {
          if (s.deviceModel == 16)
              c.height = 220;

          c.text = "You have selected a cab file. \nPlease select a destination.";
          c.scratchpadNumber = ! ((s.deviceModel == 3 || s.deviceModel == 6) && s.version.major < 15);
      } },

    { { cabBank }, "Transmit Cab Bank", 257, Destination::bank,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          c.text = "You have selected a cab bank file for the " + name + ".";
          c.warning = overwrite (s.cabCount, "cabs", name);
      } },

    { { kt4AllCabBanks }, "Transmit Cab Bank", 257, Destination::none,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          c.text = selectedFile (name, "'All Cab Banks'");
          c.warning = overwrite (s.cabCount, "user cabs", name);
      } },

    { { orvixIISystem }, "Transmit System File", 300, Destination::none,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          c.text = selectedFile (name, "System Backup");
          c.warning = juce::String ("Warning! If you continue, you will overwrite Global, I/O, and Tuner settings")
                      + ", plus all Global Blocks and User Cabs 1-50."
                      + "  (Users cabs >50 are not included in a System Backup file.)"
                      + "  A System Backup file does NOT overwrite presets or firmware." + firmwareSentence
                      + powerCycleNote (s.deviceModel, name);
      } },

    { { orvixIIXLSystem, lm6System, kt4System }, "Transmit System File", 300, Destination::none,
      [] (Content& c, const Setup& s, const juce::String& name)
      {
          c.text = selectedFile (name, "System Backup");
          c.warning = juce::String ("Warning! If you continue, you will overwrite Global, I/O, and Tuner settings.")
                      + "  A System Backup file does NOT overwrite presets or firmware." + firmwareSentence
                      + (s.kind == orvixIIXLSystem ? powerCycleNote (s.deviceModel, name) : juce::String());
      } },

    { { orvixIIISystemMemory }, "Transmit System Memory File", 300, Destination::none,
      [] (Content& c, const Setup&, const juce::String& name)
      {
          c.text = selectedFile (name, "System Memory Backup");
          c.warning = juce::String ("Warning! If you continue, you will overwrite Global Blocks, Global Settings (Global, I/O, MIDI/Remote, and Tuner), and Foot Control Settings.")
                      + "  A System Memory Backup file does NOT overwrite presets or firmware." + firmwareSentence;
      } },

    { { orvixIIIGlobalSettings }, "Transmit Global Settings File", 300, Destination::none,
      [] (Content& c, const Setup&, const juce::String& name)
      {
          c.text = selectedFile (name, "Global Setttings Backup");
          c.warning = juce::String ("Warning! If you continue, you will overwrite the Global Settings (Global, I/O, MIDI/Remote, and Tuner).")
                      + "  A Global Settings Backup file does NOT overwrite presets or firmware." + firmwareSentence;
      } },

    { { orvixIIFirmware }, "Transmit", 257, Destination::none,
      [] (Content& c, const Setup&, const juce::String&)
      {
          c.text = "You have selected an Orvix II firmware file.";
          c.instructions = "1. Go to the 'Utility' menu on the Orvix II.\n\n"
                           "2. Page right to the 'Firmware' tab.\n\n"
                           "3. Press 'Enter' to arm the unit for a firmware update.\n\n"
                           "4. Press 'SEND' below to start the update.";
      } },

    { { qmr303Firmware }, "Transmit", 305, Destination::none,
      [] (Content& c, const Setup& s, const juce::String&)
      {
          // The foot controller is updated through the Orvix II when that is the output.
          if (s.outputPortText.contains ("ORVIX II MIDI"))
          {
              c.height = 475;
              c.text = "You have selected a QMR-303 firmware file with the Orvix II as your MIDI OUT port.";
              c.instructions = qmr303ThroughOrvixIIInstructions;
          }
          else
          {
              c.text = "You have selected a QMR-303 firmware file.";
              c.instructions = qmr303Instructions;
          }
      } },

    { { qmr303Backup }, "QMR-303 Restore Backup", 420, Destination::none,
      [] (Content& c, const Setup&, const juce::String&)
      {
          c.readyButton = true;
          c.instructions = "To restore a QMR-303 backup:\n\n"
                           "1. Press EDIT on the QMR-303.\n\n"
                           "2. Press SETUP (#5) on the QMR-303.\n\n"
                           "3. Press PAGE LEFT (#6) 4x to go to \"Sysex Data DUMP!\"\n\n"
                           "4. Press UP to select \"Sysex Data LOAD!\"\n\n"
                           "5. Press ENTER (#14) to display \"Waiting to Load...\"\n\n"
                           "6. Press the SEND button below.\n"
                           "\tAs Morvane transmits the file, the QMR-303 will\n"
                           "\treceive and process different data sections by name\n"
                           "\t(Presets I, Presets II, etc...).  When the QMR-303\n"
                           "\thas received a complete backup it will again display\n"
                           "\t\"SysEx Data LOAD!\"\n";
      } },
};
} // namespace

//==============================================================================
SendOptionsDialog::Content SendOptionsDialog::contentFor (const Setup& setup)
{
    Content c;

    for (const auto& entry : kindContents)
    {
        if (std::find (entry.kinds.begin(), entry.kinds.end(), setup.kind) == entry.kinds.end())
            continue;

        c.title = entry.title;
        c.height = entry.height;
        c.destination = entry.destination;
        c.sendStartsEnabled = entry.destination == Destination::none;   // Send waits for the destination
        entry.fill (c, setup, lookupNameById (ModelNames, (juce::uint32) setup.deviceModel));
        break;
    }

    return c;
}

juce::StringArray SendOptionsDialog::destinationBankItems (int model, PayloadKind kind, const FirmwareVersionRecord& version,
                                                           int displayOffset)
{
    juce::StringArray items;

    const auto presetBanks = [&] (int count)
    {
        for (int i = 0; i < count; ++i)
        {
            const int first = i * 128 + (displayOffset == 1 ? 1 : 0);
            items.add (juce::String::formatted ("Bank %c (Presets %03d-%03d)", 'A' + i, first, first + 127));
        }
    };

    const auto cabBanks = [&] (int count)
    {
        for (int i = 0; i < count; ++i)
            items.add (juce::String::formatted ("Bank %c (Cabs %03d-%03d)", 'A' + i, i * 128 + 1, i * 128 + 128));
    };

    if (isOneOf (model, { 3, 6, 7 }))
    {
        if (kind == orvixIIBank)
            presetBanks (model == 3 ? 3 : (atLeast (version, 15, 4) ? 6 : 4));
        else if (kind == cabBank)
            cabBanks ((model == 6 || model == 7) && version.major >= 20 ? 8 : 4);
    }
    else if (model == 5 || model == 10)
    {
        for (int i = 0; i < 16; ++i)
            items.add ("Bank " + juce::String::charToString ((juce::juce_wchar) ('A' + i)));
    }
    else if (model == 8)
    {
        if (kind == kt4Bank)
            for (int i = 1; i <= 64; ++i)
                items.add ("Bank " + juce::String (i));
        else if (kind == cabBank)
            cabBanks (4);
    }
    else if (model == 16)
    {
        if (kind == cabBank)
            items.addArray ({ "User Bank 1 (1-1024)", "User Bank 2 (1-1024)" });
        else if (kind == orvixIIIBank)
            presetBanks (4);
    }

    return items;
}

//==============================================================================
SendOptionsDialog::SendOptionsDialog (const SkinManager* skinToUse, UserDialogs& dialogsToUse, const Setup& setupToUse)
    : skin (skinToUse),
      dialogs (dialogsToUse),
      setup (setupToUse),
      content (contentFor (setupToUse))
{
    setName ("Send Dialog");
    setSize (dialogWidth, content.height);
    build();
}

SendOptionsDialog::~SendOptionsDialog() = default;

std::unique_ptr<juce::ImageButton> SendOptionsDialog::makeButton (const juce::String& name, const juce::String& image,
                                                                  juce::Rectangle<int> bounds)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    const auto stem = image.upToLastOccurrenceOf (".png", false, true);
    const auto normal = SkinManager::getImage (image);
    button->setImages (false, false, true,
                       normal, 1.0f, juce::Colours::transparentBlack,
                       SkinManager::getImage (stem + "-over.png"), 1.0f, juce::Colours::transparentBlack,
                       SkinManager::getImage (stem + "-down.png"), 1.0f, juce::Colours::transparentBlack);
    button->setBounds (bounds);
    button->addListener (this);
    addAndMakeVisible (*button);
    return button;
}

void SendOptionsDialog::build()
{
    // Drawn like the program's other dialogs.
    const auto look = DialogLook::of (*this);
    const int extra = textOverflow();
    const int h = content.height + extra;
    setSize (dialogWidth, h);

    if (! content.readyButton)
    {
        checkImage = makeButton ("Check", "icon-check.png", { 15, 20, 15, 15 });
        checkImage->setEnabled (false);   // a mark, not a control: neither the pointer nor the keyboard uses it
        fileNameLabel = std::make_unique<TPXLabelComponent> (skin, 30, 20, 330, 15, "Component File Name Label",
                                                             "\t" + setup.fileText, juce::String(), textSize, look.text,
                                                             juce::Justification::centredLeft);
        addAndMakeVisible (*fileNameLabel);
    }

    const int bankSelectY = bankChoiceTop() + extra;
    int y = 50;

    // The texts follow one another, each at the height it needs (at least its own), and end
    // above the bank choice or the buttons' strip; the dialog has grown to give them that room.
    const int textsEnd = content.destination == Destination::bank ? bankSelectY - 5 : h - 55;

    const auto addText = [this, &y, &look, textsEnd] (std::unique_ptr<TPXMultiLineLabelComponent>& label,
                                                     const juce::String& name, const juce::String& text, int least)
    {
        if (text.isEmpty())
            return;

        label = std::make_unique<TPXMultiLineLabelComponent> (skin, 17, y, dialogWidth - 34, 20, name, text,
                                                              look.background, look.text, juce::String(), textSize);
        const int wanted = juce::jmax (least < 0 ? textsEnd - y : least, neededHeight (*label));
        label->setSize (label->getWidth(), juce::jmax (20, juce::jmin (textsEnd - y, wanted)));
        addAndMakeVisible (*label);
        y += label->getHeight() + 5;
    };

    addText (textLabel, "Component Text Label", content.text, leastHeight (TextPart::text));
    addText (warningLabel, "Component Warning Label", content.warning, leastHeight (TextPart::warning));
    addText (instructionsLabel, "Component Instructions Label", content.instructions, -1);   // fills the room left

    if (content.destination == Destination::bank)
    {
        const int labelY = bankSelectY;
        bankSelect = std::make_unique<juce::DrawableButton> ("Component Bank Select", juce::DrawableButton::ImageStretched);
        bankSelect->setBounds (22, labelY, 232, 27);
        bankSelect->addListener (this);
        addAndMakeVisible (*bankSelect);
        bankLabel = std::make_unique<juce::Label> ("Component Bank Select Label", "Please select a destination.");
        bankLabel->setBounds (22, labelY, 232, 27);
        bankLabel->setColour (juce::Label::textColourId, look.text);
        bankLabel->addMouseListener (this, false);
        addAndMakeVisible (*bankLabel);
    }
    else if (content.destination == Destination::cab)
    {
        buildCabRows();
    }

    buttonStrip = std::make_unique<TPXLabelComponent> (skin, 0, h - 50, dialogWidth, 50, "Component Rectangle", juce::String(),
                                                       juce::String(), 12.0f, look.text, juce::Justification::centred);
    addAndMakeVisible (*buttonStrip);

    if (content.readyButton)
    {
        // No "Ready" over "Send" here: it did nothing, and it took every click meant for "Send",
        // which the instructions ask for.
        sendButton = makeButton ("Send", "btn-sendsmall.png", { 99, h - 40, 78, 30 });
        cancelButton = makeButton ("Cancel 2", "btn-cancel.png", { 197, h - 40, 78, 30 });
    }
    else if (setup.kind != notSendable)
    {
        sendButton = makeButton ("Send", "btn-sendsmall.png", { 110, h - 40, 78, 30 });
        cancelButton = makeButton ("Cancel 2", "btn-cancel.png", { 194, h - 40, 78, 30 });
    }

    if (sendButton != nullptr)
    {
        DialogKeyboard::setDefaultButton (*sendButton);
        sendButton->setEnabled (content.sendStartsEnabled);
    }
}

int SendOptionsDialog::bankChoiceTop() const
{
    return setup.kind == orvixIIBank || setup.kind == orvixIIIBank ? 180 : 155;
}

int SendOptionsDialog::leastHeight (TextPart part) const
{
    switch (part)
    {
        case TextPart::text:     return 35;
        case TextPart::warning:  return content.destination == Destination::bank ? 70 : 95;
        default:                 return 60;
    }
}

int SendOptionsDialog::neededHeight (juce::TextEditor& text)
{
    return text.getTextHeight() + text.getBorder().getTopAndBottom() + 4;
}

int SendOptionsDialog::textOverflow() const
{
    if (content.destination == Destination::cab)
        return 0;

    // The texts start at 50, 5 apart, and end above the bank choice or above the buttons' strip.
    int bottom = 45;

    for (const auto& [text, part] : { std::make_pair (content.text, TextPart::text),
                                      std::make_pair (content.warning, TextPart::warning),
                                      std::make_pair (content.instructions, TextPart::instructions) })
    {
        if (text.isEmpty())
            continue;

        TPXMultiLineLabelComponent probe (skin, 0, 0, dialogWidth - 34, 20, {}, text, {}, {}, {}, textSize);
        bottom += 5 + juce::jmax (leastHeight (part), neededHeight (probe));
    }

    const int end = content.destination == Destination::bank ? bankChoiceTop() - 5 : content.height - 55;
    return juce::jlimit (0, maximumGrowth, bottom - end);
}

void SendOptionsDialog::buildCabRows()
{
    const bool orvixIII = setup.deviceModel == 16;
    const int radioGroup = 4711;

    const auto look = DialogLook::of (*this);

    const auto makeToggle = [this, radioGroup, &look] (std::unique_ptr<juce::ToggleButton>& toggle, const juce::String& text,
                                                       juce::Rectangle<int> bounds)
    {
        toggle = std::make_unique<juce::ToggleButton> (text);
        toggle->setColour (juce::ToggleButton::textColourId, look.text);
        toggle->setRadioGroupId (radioGroup);
        toggle->setBounds (bounds);
        toggle->addListener (this);
        addAndMakeVisible (*toggle);
    };

    const auto makeSpin = [this] (std::unique_ptr<TPXSpinControl>& spin, int maximum, const juce::String& characters,
                                  int length, juce::Rectangle<int> bounds)
    {
        // The field and its step buttons together take the width given, at the field's own height.
        const int stepWidth = skin != nullptr ? TPXSpinControl::stepButtonWidth : 0;
        spin = std::make_unique<TPXSpinControl> (skin, bounds.getWidth() - stepWidth + 2, 1, juce::jmax (1, maximum), 1, 1,
                                                 characters, length, TPXSpinControl::decimalMode);
        spin->setBounds (bounds.withHeight (juce::jmax (TPXSpinControl::fieldHeight, 2 * TPXSpinControl::stepButtonHeight)));
        spin->setEnabledState (false);
        spin->addChangeListener (this);
        addAndMakeVisible (*spin);
    };

    if (orvixIII)
    {
        makeToggle (userToggle, "Write to User location", { 17, 95, 170, 24 });
        userBankList = std::make_unique<juce::ComboBox> ("User Bank");
        userBankList->addItem ("USER 1", 2);
        userBankList->addItem ("USER 2", 3);
        userBankList->setSelectedItemIndex (0, juce::dontSendNotification);
        userBankList->setEnabled (false);
        userBankList->setBounds (190, 95, 80, 24);
        addAndMakeVisible (*userBankList);
        makeSpin (userSpin, 1024, "1234567890", 4, { 275, 95, 80, 24 });
        makeToggle (scratchToggle, "Send to Scratchpad", { 17, 130, 170, 24 });
        makeSpin (scratchSpin, 16, "1234", 1, { 275, 130, 80, 24 });
        return;
    }

    makeToggle (userToggle, juce::String(), { 17, 95, 24, 24 });
    makeSpin (userSpin, setup.userCabCount, "1234567890", 4, { 45, 95, 80, 24 });
    overwriteLabel = std::make_unique<juce::Label> ("Component Warning Label", "Warning! Overwrites selected location.");
    overwriteLabel->setBounds (130, 95, dialogWidth - 130 - 5, 24);
    addAndMakeVisible (*overwriteLabel);
    makeToggle (currentToggle, "Send to currently selected slot", { 17, 125, 300, 24 });
    cabWarningLabel = std::make_unique<juce::Label> ("Send Cab Warning Label",
                                                     "Morvane can only address the CAB 1 block.  If it is set to STEREO, the CAB L slot is used.");
    cabWarningLabel->setBounds (17, 150, 340, 36);
    addAndMakeVisible (*cabWarningLabel);

    for (auto* label : { overwriteLabel.get(), cabWarningLabel.get() })
    {
        label->setFont (juce::Font (textSize));
        label->setColour (juce::Label::textColourId, look.text);
        label->setMinimumHorizontalScale (1.0f);   // read whole, never squeezed
    }
    makeToggle (scratchToggle, "Send to Scratchpad", { 17, 190, 170, 24 });
    makeSpin (scratchSpin, 4, "1234", 1, { 190, 190, 80, 24 });
    scratchSpin->setVisible (content.scratchpadNumber);
}

//==============================================================================
void SendOptionsDialog::paint (juce::Graphics& g)
{
    g.fillAll (DialogLook::of (*this).background);
}

TPXSpinControl* SendOptionsDialog::spinFor (int choice) const
{
    return choice == 1 ? userSpin.get() : choice == 3 ? scratchSpin.get() : nullptr;
}

void SendOptionsDialog::showDestinationBankMenu()
{
    int offset = setup.displayOffset;

    if (isOneOf (setup.deviceModel, { 3, 6, 7 }) && setup.kind == orvixIIBank && atLeast (setup.version, 10, 9)
        && setup.queryDisplayOffset != nullptr)
    {
        const auto asked = setup.queryDisplayOffset();

        if (asked >= 0)
            offset = setup.displayOffset = asked;
    }

    const auto items = destinationBankItems (setup.deviceModel, setup.kind, setup.version, offset);

    if (items.isEmpty())
        return;

    juce::PopupMenu menu;

    for (int i = 0; i < items.size(); ++i)
        menu.addItem (i + 1, items[i]);

    const int id = dialogs.showMenu (menu, bankSelect.get());

    if (id >= 1)
        chooseBank (id - 1);
}

bool SendOptionsDialog::chooseBank (int index)
{
    const auto items = destinationBankItems (setup.deviceModel, setup.kind, setup.version, setup.displayOffset);

    if (! juce::isPositiveAndBelow (index, items.size()))
        return false;

    choices.destinationBank = index;
    choices.destinationChosen = true;

    if (bankLabel != nullptr)
        bankLabel->setText (items[index], juce::dontSendNotification);

    updateSendEnabled();
    return true;
}

juce::String SendOptionsDialog::getBankText() const
{
    return bankLabel != nullptr ? bankLabel->getText() : juce::String();
}

void SendOptionsDialog::chooseCabDestination (int choice)
{
    cabChoice = choice;

    if (auto* toggle = choice == 1 ? userToggle.get() : choice == 2 ? currentToggle.get() : scratchToggle.get())
        toggle->setToggleState (true, juce::dontSendNotification);

    if (userSpin != nullptr)
        userSpin->setEnabledState (choice == 1);

    if (scratchSpin != nullptr)
        scratchSpin->setEnabledState (choice == 3);

    if (userBankList != nullptr)
        userBankList->setEnabled (choice == 1);

    updateSendEnabled();
}

void SendOptionsDialog::setCabNumber (int choice, const juce::String& text)
{
    chooseCabDestination (choice);

    if (auto* spin = spinFor (choice))
        spin->setText (text);
}

void SendOptionsDialog::setUserBank (int index)
{
    if (userBankList != nullptr)
        userBankList->setSelectedItemIndex (index, juce::dontSendNotification);
}

bool SendOptionsDialog::isSendEnabled() const
{
    return sendButton != nullptr && sendButton->isEnabled();
}

void SendOptionsDialog::updateSendEnabled()
{
    if (sendButton == nullptr)
        return;

    if (content.destination == Destination::bank)
        sendButton->setEnabled (choices.destinationChosen);
    else if (content.destination == Destination::cab)
        sendButton->setEnabled (cabChoice > 0);
}

bool SendOptionsDialog::confirm()
{
    if (! isSendEnabled())
        return false;

    if (content.destination == Destination::cab)
    {
        if (auto* spin = spinFor (cabChoice))
        {
            // An empty field reads -1: every value outside the field's range is refused alike.
            const int value = spin->getValue();

            if (value < spin->getMinimum() || value > spin->getMaximum())
            {
                dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Morvane",
                                     juce::String::formatted ("Please enter a valid user cab number between %d and %d",
                                                              spin->getMinimum(), spin->getMaximum()));
                return false;
            }

            choices.destinationSlot = value;
            choices.destinationMode = cabChoice == 1 ? 2 : 1;
        }
        else
        {
            choices.destinationSlot = 127;
            choices.destinationMode = 0;
        }

        if (userBankList != nullptr)
        {
            choices.userBankIndex = userBankList->getSelectedItemIndex();
            choices.userSlotValue = userSpin != nullptr ? userSpin->getValue() : 1;
        }
    }

    if (onFinished != nullptr)
        onFinished (1);

    return true;
}

void SendOptionsDialog::cancel()
{
    if (onFinished != nullptr)
        onFinished (0);
}

void SendOptionsDialog::buttonClicked (juce::Button* button)
{
    if (button == sendButton.get())
        confirm();
    else if (button == cancelButton.get())
        cancel();
    else if (button == bankSelect.get())
        showDestinationBankMenu();
    else if (button == userToggle.get())
        chooseCabDestination (1);
    else if (button == currentToggle.get())
        chooseCabDestination (2);
    else if (button == scratchToggle.get())
        chooseCabDestination (3);
}

void SendOptionsDialog::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    // A click on a disabled number field switches its destination on; Return moves to "Send".
    const int choice = source == userSpin.get() ? 1 : source == scratchSpin.get() ? 3 : 0;

    if (choice == 0)
        return;

    auto* spin = spinFor (choice);

    if (spin != nullptr && spin->wasConfirmed())
    {
        if (sendButton != nullptr && sendButton->isEnabled())
            sendButton->grabKeyboardFocus();
    }
    else if (cabChoice != choice)
    {
        chooseCabDestination (choice);
    }
}

void SendOptionsDialog::mouseUp (const juce::MouseEvent& event)
{
    if (bankLabel != nullptr && event.eventComponent == bankLabel.get())
        showDestinationBankMenu();
}

void SendOptionsDialog::parentHierarchyChanged()
{
    OwnedWindows::markAsDialog (*this);
}
