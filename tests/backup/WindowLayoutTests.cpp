// Every window, dialog and box the program shows, laid out at the fonts of the machine it runs
// on: no part overlaps another or is cut off by its parent, and the keyboard reaches every
// control and nothing else.
#include "AppTestDoubles.h"
#include "BackupTestSupport.h"
#include "DialogKeyboard.h"
#include "FocusRing.h"
#include "KT4BackupDialog.h"
#include "LM6BackupDialog.h"
#include "MorvaneLookAndFeel.h"
#include "OrvixIIBackupDialog.h"
#include "OrvixIIIBackupDialog.h"
#include "OrvixIIXLBackupDialog.h"
#include "QMR303BackupComponent.h"
#include "RecordingView.h"
#include "SendOptionsDialog.h"
#include "SkinnedDialogWindow.h"
#include "SysExTables.h"
#include "TPXAutoUpdate.h"
#include "TPXFirmwareUpdate.h"
#include "TPXMultiLineLabelComponent.h"
#include "TPXPaintedButton.h"
#include "Transfers.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace morvane::test
{
namespace
{
juce::String describe (const juce::Component& c)
{
    return "'" + (c.getName().isNotEmpty() ? c.getName() : juce::String (typeid (c).name())) + "'";
}

/** A part that the user uses (not one that only shows something). */
bool isControl (const juce::Component& c)
{
    return dynamic_cast<const juce::Button*> (&c) != nullptr || dynamic_cast<const juce::ComboBox*> (&c) != nullptr
        || dynamic_cast<const juce::TextEditor*> (&c) != nullptr || dynamic_cast<const TPXSpinControl*> (&c) != nullptr
        || dynamic_cast<const TPXPaintedButton*> (&c) != nullptr;
}

bool isText (const juce::Component& c)
{
    if (dynamic_cast<const juce::TextEditor*> (&c) != nullptr)
        return true;

    auto* label = dynamic_cast<const juce::Label*> (&c);
    return label != nullptr && label->getText().isNotEmpty();
}

/** A label for screen readers that draws nothing (a box's message, which the box draws itself). */
bool isDrawnInvisible (const juce::Component& c)
{
    auto* label = dynamic_cast<const juce::Label*> (&c);
    return label != nullptr && label->findColour (juce::Label::textColourId).isTransparent()
        && label->findColour (juce::Label::backgroundColourId).isTransparent();
}

/** True when a text of that font needs more width or lines than the label gives it. */
bool labelCutsItsText (const juce::Label& label)
{
    const auto text = label.getText();

    if (text.isEmpty() || text.containsChar ('\n'))
        return false;

    const auto area = label.getBorderSize().subtractedFrom (label.getLocalBounds());
    const auto font = label.getFont();

    if ((float) area.getHeight() >= 2.0f * font.getHeight())
        return false;   // room for more lines: the label wraps

    const auto scale = label.getMinimumHorizontalScale() > 0.0f ? label.getMinimumHorizontalScale() : 0.7f;
    return font.getStringWidthFloat (text) * scale > (float) area.getWidth() + 0.5f;
}

/** Walks the parts that the program lays out (not the framework's insides of an editor, a list,
    a label or a button) and collects every part that is cut off by its parent, every text that
    needs more room than it has, and every two parts on show that overlap. One part may lie wholly
    over a backdrop (a frame around its choices, a strip), and a caption over its button.
*/
void collectLayoutFaults (juce::Component& parent, const juce::String& window, juce::StringArray& faults)
{
    std::vector<juce::Component*> shown;

    for (auto* child : parent.getChildren())
        if (child->isVisible() && ! child->getBounds().isEmpty() && dynamic_cast<FocusRing*> (child) == nullptr
            && ! isDrawnInvisible (*child))
            shown.push_back (child);

    for (auto* child : shown)
    {
        const auto where = window + ": " + describe (*child) + " " + child->getBounds().toString();

        if (! parent.getLocalBounds().contains (child->getBounds()))
            faults.add (where + " is cut off by " + describe (parent) + " " + parent.getLocalBounds().toString());

        if (auto* text = dynamic_cast<TPXMultiLineLabelComponent*> (child))
        {
            const auto needed = text->getTextHeight() + text->getBorder().getTopAndBottom();

            if (needed > text->getHeight())
                faults.add (where + " needs " + juce::String (needed) + " pixels for its text");
        }

        if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && labelCutsItsText (*label))
            faults.add (where + " cuts off \"" + label->getText() + "\"");

        const bool framework = dynamic_cast<juce::TextEditor*> (child) != nullptr || dynamic_cast<juce::ComboBox*> (child) != nullptr
                            || dynamic_cast<juce::Label*> (child) != nullptr || dynamic_cast<juce::Button*> (child) != nullptr;

        if (! framework)
            collectLayoutFaults (*child, window, faults);
    }

    for (size_t i = 0; i < shown.size(); ++i)
    {
        for (size_t j = i + 1; j < shown.size(); ++j)
        {
            auto& a = *shown[i];
            auto& b = *shown[j];

            if (! a.getBounds().intersects (b.getBounds()))
                continue;

            // Over a backdrop (a frame, a strip) anything may lie; over a button, only its caption.
            const auto liesOver = [] (juce::Component& outer, juce::Component& inner)
            {
                if (! outer.getBounds().contains (inner.getBounds()) || isText (outer))
                    return false;

                return ! isControl (outer)
                    || (dynamic_cast<juce::Button*> (&outer) != nullptr && dynamic_cast<juce::Label*> (&inner) != nullptr);
            };
            const bool nested = liesOver (a, b) || liesOver (b, a);

            if (! nested)
                faults.add (window + ": " + describe (a) + " " + a.getBounds().toString() + " overlaps " + describe (b) + " "
                            + b.getBounds().toString());
        }
    }
}

//==============================================================================
/** A control that a user can use: what the keyboard must reach. A number field is used through
    its editor (its step buttons through the arrow keys there); a link is a label with the
    pointing hand.
*/
bool isUsable (juce::Component& c)
{
    if (! c.isShowing() || ! c.isEnabled())
        return false;

    if (auto* editor = dynamic_cast<juce::TextEditor*> (&c))
        return ! editor->isReadOnly();

    if (dynamic_cast<juce::Button*> (&c) != nullptr)
        return dynamic_cast<TPXSpinControl*> (c.getParentComponent()) == nullptr;

    if (auto* label = dynamic_cast<juce::Label*> (&c))
        return label->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor);

    return dynamic_cast<juce::ComboBox*> (&c) != nullptr || dynamic_cast<TPXPaintedButton*> (&c) != nullptr;
}

void collectUsable (juce::Component& parent, std::vector<juce::Component*>& usable)
{
    for (auto* child : parent.getChildren())
    {
        if (isUsable (*child))
            usable.push_back (child);
        else if (dynamic_cast<juce::TextEditor*> (child) == nullptr && dynamic_cast<juce::ComboBox*> (child) == nullptr)
            collectUsable (*child, usable);
    }
}

/** The content shown in a dialog window of the program, which holds the keyboard: offscreen, so
    that no other window on the shared display can take it.
*/
struct ShownWindow
{
    ShownWindow (const juce::String& title, juce::Component& content)
        : window (title, content, nullptr)
    {
        // The window's own constructor put it on the desktop before the offscreen kind existed.
        const auto flags = window.getDesktopWindowStyleFlags();
        window.removeFromDesktop();
        window.addToDesktop (flags);
        window.setVisible (true);
        window.toFront (true);
        runMessageLoopUntil ([this] { return focused() != nullptr && window.isParentOf (focused()); }, 3000);
    }

    ~ShownWindow()
    {
        if (window.isCurrentlyModal (false))
            window.exitModalState (0);
    }

    static juce::Component* focused() { return juce::Component::getCurrentlyFocusedComponent(); }

    bool press (const juce::KeyPress& key)
    {
        const bool used = window.getPeer() != nullptr && window.getPeer()->handleKeyPress (key);
        runMessageLoopFor (30);
        return used;
    }

    Offscreen<SkinnedDialogWindow> window;
};

/** Checks where the keyboard starts in a shown window, walks it with Tab until the focus comes
    back, and checks each stop and that every control was one; then checks that the arrow keys
    choose within each radio group on show.
*/
void checkKeyboard (const juce::String& title, juce::Component& content)
{
    SCOPED_TRACE (title.toStdString());
    ShownWindow shown (title, content);
    auto* first = ShownWindow::focused();
    ASSERT_NE (first, nullptr);
    ASSERT_TRUE (content.isParentOf (first)) << "the keyboard starts outside the content, at " << describe (*first);

    if (auto* defaultButton = DialogKeyboard::findDefaultButton (shown.window))
        EXPECT_EQ (first, defaultButton) << "the keyboard starts at " << describe (*first) << ", not the default button";
    else
        EXPECT_TRUE (isUsable (*first)) << "the keyboard starts at " << describe (*first);

    std::vector<juce::Component*> stops { first };

    for (int i = 0; i < 100; ++i)
    {
        shown.press (juce::KeyPress (juce::KeyPress::tabKey));
        auto* now = ShownWindow::focused();

        if (now == first || now == nullptr)
            break;

        stops.push_back (now);
    }

    EXPECT_EQ (ShownWindow::focused(), first) << "Tab does not come round again";

    for (auto* stop : stops)
        EXPECT_TRUE (isUsable (*stop)) << "Tab stops at " << describe (*stop) << ", which is not a control";

    std::vector<juce::Component*> usable;
    collectUsable (content, usable);

    for (auto* control : usable)
        EXPECT_NE (std::find (stops.begin(), stops.end(), control), stops.end()) << "Tab never reaches " << describe (*control);

    // An arrow key chooses the next (Down) or the previous (Up) choice of a radio group, in
    // reading order, among those enabled.
    for (auto* control : usable)
    {
        auto* choice = dynamic_cast<juce::Button*> (control);

        if (choice == nullptr || choice->getRadioGroupId() == 0)
            continue;

        for (const auto& [key, step] : { std::make_pair (juce::KeyPress::downKey, 1), std::make_pair (juce::KeyPress::upKey, -1) })
        {
            std::vector<juce::Button*> group;

            for (auto* sibling : choice->getParentComponent()->getChildren())
                if (auto* member = dynamic_cast<juce::Button*> (sibling);
                    member != nullptr && member->getRadioGroupId() == choice->getRadioGroupId() && isUsable (*member))
                    group.push_back (member);

            std::stable_sort (group.begin(), group.end(), [] (auto* a, auto* b)
                              { return std::make_pair (a->getY(), a->getX()) < std::make_pair (b->getY(), b->getX()); });
            const auto at = std::find (group.begin(), group.end(), choice);

            if (group.size() < 2 || at == group.end())
                continue;

            auto* expected = group[(size_t) (((int) (at - group.begin()) + step + (int) group.size()) % (int) group.size())];
            choice->grabKeyboardFocus();
            runMessageLoopFor (20);
            EXPECT_TRUE (shown.press (juce::KeyPress (key))) << describe (*choice) << " ignores an arrow key";
            EXPECT_TRUE (runMessageLoopUntil ([expected] { return expected->getToggleState(); }, 2000))
                << "an arrow key from " << describe (*choice) << " did not choose " << describe (*expected);
        }
    }
}

/** Both checks of one window's content. */
void checkWindow (const juce::String& title, juce::Component& content)
{
    juce::StringArray faults;
    collectLayoutFaults (content, title, faults);
    EXPECT_TRUE (faults.isEmpty()) << faults.joinIntoString ("\n");
    checkKeyboard (title, content);
}

/** The program's look, drawn from the generated skin, for the length of a test. */
struct SkinnedLook
{
    SkinnedLook() : look (MorvaneLookAndFeel::installFromSkin (&generatedSkin())) {}
    ~SkinnedLook() { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }
    std::unique_ptr<MorvaneLookAndFeel> look;
};

/** The update windows' notes page filled as a check fills it. */
template <typename Update>
struct NotesPage : Update
{
    using Update::Update;
    using Update::setInfoPage;
};
} // namespace

//==============================================================================
TEST (EveryWindow, TheBackupDialogsOfEveryFamily)
{
    SkinnedLook look;

    {
        KT4BackupDialog dialog;
        dialog.buildFromSkin (&generatedSkin());
        checkWindow ("KT4 Backup Type", dialog);
    }
    {
        LM6BackupDialog dialog;
        dialog.buildFromSkin (&generatedSkin());
        checkWindow ("LM6 Backup Type", dialog);
    }

    for (const bool offsetKnown : { false, true })
    {
        OrvixIIBackupDialog dialog;
        dialog.setUp (&generatedSkin(), offsetKnown);
        dialog.setDisplayOffset (offsetKnown ? 1 : 0);
        dialog.setUserCabCount (100);
        checkWindow ("Orvix II Backup Type", dialog);
    }

    for (const int major : { 15, 20 })
    {
        OrvixIIXLBackupDialog dialog;
        dialog.setUp (&generatedSkin(), true);
        FirmwareVersionRecord version;
        version.major = (juce::uint32) major;
        version.minor = 4;
        version.model = 6;
        dialog.setFirmwareVersion (version);
        dialog.setUserCabInfo (0, 512);
        dialog.setDisplayOffset (1);
        checkWindow ("Orvix II XL Backup Type", dialog);
    }

    {
        OrvixIIIBackupDialog dialog;
        dialog.setSize (OrvixIIIBackupDialog::dialogWidth, OrvixIIIBackupDialog::dialogHeight);
        dialog.buildFromSkin (&generatedSkin());
        FirmwareVersionRecord version;
        version.major = 2;
        dialog.setFirmwareVersion (version);
        dialog.setDisplayOffset (0);
        dialog.setSlotRange (1, 1024);
        checkWindow ("Orvix III Backup Type", dialog);
    }
}

TEST (EveryWindow, TheFootControllerDumpWindow)
{
    SkinnedLook look;
    RecordingView view;
    Transfers transfers (nullptr, view);
    QMR303BackupComponent window (transfers, nullptr, [] { return juce::String(); });
    window.rebuild();
    checkWindow ("QMR-303 Create Backup", window);

    // The picture of the window as it opens: the keyboard on READY, in its ring.
    ShownWindow shown ("QMR-303 Create Backup", window);
    ASSERT_EQ (ShownWindow::focused(), findWidget (window, "QMR-303 Backup Ready"));
    runMessageLoopFor (100);
    const juce::File artefacts (MORVANE_TEST_ARTEFACTS_DIR);
    artefacts.createDirectory();
    juce::FileOutputStream out (artefacts.getChildFile ("qmr303-backup.png"));
    out.setPosition (0);
    out.truncate();
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (shown.window.createComponentSnapshot (shown.window.getLocalBounds()), out));
}

TEST (EveryWindow, TheTransmitDialogsOfEveryKindAndModel)
{
    SkinnedLook look;
    ScriptedUserDialogs dialogs;
    const int models[] = { 3, 4, 5, 6, 7, 8, 10, 16 };
    int checked = 0;

    for (PayloadKind kind = PayloadKinds::orvixIIBank; kind <= PayloadKinds::orvixIIISystem; ++kind)
    {
        for (const int model : models)
        {
            for (const int major : { 11, 20 })
            {
                SendOptionsDialog::Setup setup;
                setup.kind = kind;
                setup.deviceModel = model;
                setup.version.major = (juce::uint32) major;
                setup.version.model = (juce::uint32) model;
                setup.userCabCount = 100;
                setup.presetCount = 384;
                setup.cabCount = 128;
                setup.fileText = "/home/user/Backups/A file with a long name for its kind.syx";
                setup.outputPortText = kind == PayloadKinds::qmr303Firmware && model == 3 ? "ORVIX II MIDI 1" : "USB MIDI 1";

                if (SendOptionsDialog::contentFor (setup).text.isEmpty() && SendOptionsDialog::contentFor (setup).instructions.isEmpty())
                    continue;

                SendOptionsDialog dialog (&generatedSkin(), dialogs, setup);
                const auto title = dialog.getContent().title + " (kind " + juce::String (kind) + ", model " + juce::String (model)
                                 + ", firmware " + juce::String (major) + ")";
                juce::StringArray faults;
                collectLayoutFaults (dialog, title, faults);
                EXPECT_TRUE (faults.isEmpty()) << faults.joinIntoString ("\n");
                ++checked;

                // The keyboard walk for each kind of destination and each family's cab rows.
                if (major == 20 && (kind == PayloadKinds::cabIR || (model == 3 && (kind == PayloadKinds::orvixIIBank
                                                                                    || kind == PayloadKinds::orvixIISystem))
                                    || kind == PayloadKinds::qmr303Backup))
                    checkKeyboard (title, dialog);
            }
        }
    }

    EXPECT_GT (checked, 100);
}

TEST (EveryWindow, TheUpdateWindowsAndTheirProgress)
{
    SkinnedLook look;
    const auto notes = juce::String ("Version 2.11\n\n- Faster backups.\n- Fixes.");

    NotesPage<TPXAutoUpdate> program (&generatedSkin(), 2, 10, 0, nullptr);
    program.setInfoPage ("Morvane 2.11.0 is available. You have 2.10.0 installed.", notes,
                         "Would you like to download and install the update now?", false);
    checkWindow ("Software Update", program.getInfoView());
    program.setInfoPage ("Morvane 2.10.0 is the final version. No future updates are planned.", notes, {}, true);
    checkWindow ("Software Update (end of life)", program.getInfoView());
    checkWindow ("Morvane Update", program);

    NotesPage<TPXFirmwareUpdate> firmware (&generatedSkin(), 8, 15, 4, "15.04", nullptr);
    juce::StringArray opened;
    firmware.openSupportPage = [&] (const juce::URL& address) { opened.add (address.toString (false)); };
    firmware.setInfoPage ("KT4 firmware 15.05 is available. You have 15.04 installed.", notes,
                          "Read the Release Notes before downloading and installing the update.", false);
    checkWindow ("Firmware Update", firmware.getInfoView());
    checkWindow ("Firmware Update (progress)", firmware);

    // The support link is used from the keyboard as a click uses it.
    ShownWindow shown ("Firmware Update", firmware.getInfoView());
    std::vector<juce::Component*> usable;
    collectUsable (firmware.getInfoView(), usable);
    auto link = std::find_if (usable.begin(), usable.end(), [] (auto* c) { return dynamic_cast<juce::Label*> (c) != nullptr; });
    ASSERT_NE (link, usable.end()) << "the support link is not a control";
    (*link)->grabKeyboardFocus();
    runMessageLoopFor (20);
    EXPECT_TRUE (shown.press (juce::KeyPress (juce::KeyPress::spaceKey)));
    EXPECT_EQ (opened.size(), 1);
}

TEST (EveryWindow, TheMessageBoxesOfEveryKind)
{
    SkinnedLook look;
    const juce::String texts[] = {
        "Backup complete.",
        "The system has lost communication with the device. Please verify that the hardware is connected and powered on.",
        "A time-out has occurred while attempting to query the firmware version. Please verify the following:\n\n"
        "1) The connected device matches the selected device.\n2) The device is connected to the computer and powered on.\n"
        "3) The device driver is properly installed.\n\nIf the device is an Orvix II running firmware version 8.0 or earlier, "
        "you need to use Morvane version 1.2.7.",
        "https://www.example.com/a/very/long/address/without/any/spaces/that/the/box/must/still/show/whole/index.html",
    };

    for (const auto& text : texts)
    {
        for (const int buttons : { 1, 2 })
        {
            std::unique_ptr<juce::AlertWindow> box (look.look->createAlertWindow ("Morvane", text, "OK", buttons == 2 ? "Cancel" : "", {},
                                                                                 juce::MessageBoxIconType::WarningIcon, buttons, nullptr));
            juce::StringArray faults;
            collectLayoutFaults (*box, "box \"" + text.substring (0, 30) + "\"", faults);
            EXPECT_TRUE (faults.isEmpty()) << faults.joinIntoString ("\n");
        }
    }
}

//==============================================================================
// "a" or "an" before every model name, as the name is said, in every text of the Transmit dialogs.
TEST (TransmitDialogWords, EveryModelNameHasTheArticleItIsSaidWith)
{
    const std::map<juce::String, juce::String> saidWith {
        { "Orvix Standard", "an" }, { "Orvix Ultra", "an" }, { "QMR-303 Original/MK II", "a" }, { "Orvix II Original/MK II", "an" },
        { "QMR-303 MK3", "a" }, { "LM6", "an" }, { "LM6 MK II", "an" }, { "Orvix II XL", "an" }, { "Orvix II XL+", "an" },
        { "KT4", "a" }, { "Orvix III", "an" }, { "QMR-303", "a" },
    };

    int names = 0, seen = 0;

    for (juce::uint32 model = 0; model < 256; ++model)
    {
        const auto name = lookupNameById (ModelNames, model);

        if (name.isEmpty())
            continue;

        ++names;
        ASSERT_EQ (saidWith.count (name), 1u) << name << " is a model name the table does not know";

        for (PayloadKind kind = 0; kind <= PayloadKinds::orvixIIISystem; ++kind)
        {
            for (const auto* port : { "USB MIDI 1", "ORVIX II MIDI 1" })
            {
                SendOptionsDialog::Setup setup;
                setup.kind = kind;
                setup.deviceModel = (int) model;
                setup.outputPortText = port;
                const auto content = SendOptionsDialog::contentFor (setup);

                for (const auto& text : { content.text, content.warning, content.instructions })
                {
                    for (const auto& [said, article] : saidWith)
                    {
                        for (const auto* wrong : { "a ", "an " })
                        {
                            if (juce::String (wrong).trim() == article)
                                continue;

                            const auto phrase = juce::String (wrong) + said;
                            EXPECT_FALSE (text.startsWith (phrase) || text.contains (" " + phrase))
                                << "kind " << kind << ", model " << model << ": \"" << text << "\"";
                        }

                        seen += text.contains (" " + article + " " + said) ? 1 : 0;
                    }
                }
            }
        }
    }

    EXPECT_EQ (names, 11);
    EXPECT_GT (seen, 50);
}
} // namespace morvane::test
