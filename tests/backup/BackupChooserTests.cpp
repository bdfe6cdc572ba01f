#include "BackupChooser.h"
#include "BackupTestSupport.h"
#include "DeviceQueries.h"
#include "RecordingView.h"
#include "SysExRequest.h"
#include "WindowsOnScreen.h"

#include <vector>

namespace morvane::test
{
namespace
{
/** Plays the user at the chooser's modal dialog: once it shows, optionally chooses a mode by
    typing into one of its spin controls, then clicks OK. A dialog that never shows, or stays open,
    fails the test and has its modal loop ended, so that the test never waits past its bound.
*/
class UserAtTheDialog : private juce::Timer
{
public:
    UserAtTheDialog (BackupChooser& chooserToWatch, juce::String spinToType, juce::String textToType)
        : chooser (chooserToWatch), spinName (std::move (spinToType)), text (std::move (textToType))
    {
        startTimer (20);
    }

    ~UserAtTheDialog() override { stopTimer(); }

    bool clickedOk = false;

private:
    void timerCallback() override
    {
        auto* dialog = chooser.getShownDialog();

        if (++ticks > 1000)   // 20 s
        {
            stopTimer();
            ADD_FAILURE() << "the backup dialog did not show and close: " << describeWindows();

            if (auto* modal = juce::Component::getCurrentlyModalComponent())
                modal->exitModalState (0);

            return;
        }

        if (dialog == nullptr || ! dialog->isShowing() || clickedOk)
            return;

        if (spinName.isNotEmpty())
        {
            auto* spin = findWidget<TPXSpinControl> (*dialog, spinName);
            ASSERT_NE (spin, nullptr) << spinName;

            if (! choseMode)
            {
                spin->sendChangeMessage();   // a click on the disabled control chooses its mode
                choseMode = true;
                return;
            }

            spin->setText (text);
        }

        if (auto* ok = findWidget<juce::Button> (*dialog, "okayButton"); ok != nullptr && ok->isEnabled())
        {
            clickedOk = true;
            ok->triggerClick();
        }
    }

    BackupChooser& chooser;
    juce::String spinName, text;
    bool choseMode = false;
    int ticks = 0;
};

/** Plays the user at the chooser's dialog with the keyboard only: once a control of the shown
    window holds the keyboard (nothing clicked), records what the dialog shows, Tabs to a toggle
    that is off, turns it on with Space, types into a number field and leaves with Escape (or the
    Cancel button). A dialog that never shows or stays open fails and has its modal loop ended.
*/
class KeysAtTheDialog : private juce::Timer
{
public:
    KeysAtTheDialog (BackupChooser& chooserToWatch, bool cancelWithButton)
        : chooser (chooserToWatch), withButton (cancelWithButton)
    {
        startTimer (20);
    }

    ~KeysAtTheDialog() override { stopTimer(); }

    juce::String opened, changed;
    bool focusedAtOnce = false;

private:
    void timerCallback() override
    {
        auto* dialog = chooser.getShownDialog();
        auto* peer = dialog != nullptr && dialog->isShowing() ? dialog->getPeer() : nullptr;
        const auto focused = [] { return juce::Component::getCurrentlyFocusedComponent(); };

        if (acted || peer == nullptr)
        {
            if (++ticks > 1000)   // 20 s
            {
                stopTimer();
                ADD_FAILURE() << "the dialog did not show and close: " << describeWindows();
                juce::Component::getCurrentlyModalComponent()->exitModalState (0);
            }

            return;
        }

        acted = true;
        focusedAtOnce = waitAskingEverySecond ([&] { return peer->isFocused() && dialog->isParentOf (focused()); },
                                               [&] { dialog->getTopLevelComponent()->toFront (true); });
        opened = stateOf (*dialog);

        for (int i = 0; i < 80 && focusedAtOnce; ++i)
        {
            if (auto* toggle = dynamic_cast<juce::ToggleButton*> (focused()); toggle != nullptr && ! toggle->getToggleState())
            {
                peer->handleKeyPress (juce::KeyPress (juce::KeyPress::spaceKey));
                runMessageLoopUntil ([&] { return toggle->getToggleState(); }, 2000);
                break;
            }

            peer->handleKeyPress (juce::KeyPress (juce::KeyPress::tabKey));
        }

        typeIntoANumberField (*dialog, *peer);
        changed = stateOf (*dialog);

        if (auto* cancel = findWidget<juce::Button> (*dialog, "cancelButton"); withButton && cancel != nullptr)
        {
            cancel->triggerClick();
            return;
        }

        // One Escape cancels, from a number field too where the dialog has one that takes typing.
        if (auto* field = typingField (*dialog))
        {
            field->grabKeyboardFocus();
            runMessageLoopFor (50);   // the window hears of the focus, as long before a user's next key
        }

        peer->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
    }

    static juce::TextEditor* typingField (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
        {
            if (auto* field = dynamic_cast<juce::TextEditor*> (child);
                field != nullptr && field->isShowing() && field->isEnabled() && ! field->isReadOnly())
                return field;

            if (auto* found = typingField (*child))
                return found;
        }

        return nullptr;
    }

    /** Chooses a number field's mode as a click on it does, then types over its number. */
    static void typeIntoANumberField (juce::Component& dialog, juce::ComponentPeer& peer)
    {
        auto* spin = findSpin (dialog);
        ASSERT_NE (spin, nullptr) << "the dialog has no number field";

        if (! spin->getEditor().isEnabled())
        {
            // A click on the field's overlay, as on the disabled field.
            auto* overlay = findWidget (*spin, "Spin Control Text Editor Overlay");
            ASSERT_NE (overlay, nullptr);
            const auto centre = overlay->getLocalBounds().getCentre().toFloat();
            const auto now = juce::Time::getCurrentTime();
            spin->mouseDown (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), centre, {}, 1.0f, 0, 0, 0, 0,
                                               overlay, overlay, now, centre, now, 1, false));
            runMessageLoopUntil ([spin] { return spin->getEditor().isEnabled(); }, 2000);
        }

        auto& field = spin->getEditor();
        field.grabKeyboardFocus();
        runMessageLoopUntil ([&field] { return field.hasKeyboardFocus (false); }, 2000);
        const auto before = field.getText();

        for (const auto c : { '7', 'c' })
            if (field.getText() == before)
                peer.handleKeyPress (juce::KeyPress (c, {}, c));

        EXPECT_NE (field.getText(), before) << "typing changed no number";
    }

    static TPXSpinControl* findSpin (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
        {
            if (auto* spin = dynamic_cast<TPXSpinControl*> (child); spin != nullptr && spin->isShowing())
                return spin;

            if (auto* found = findSpin (*child))
                return found;
        }

        return nullptr;
    }

    /** Everything the user sees of the dialog's parts, at every depth: whether each is shown and
        enabled, and its text, tick or choice.
    */
    static juce::String stateOf (juce::Component& parent)
    {
        juce::String state;

        for (auto* child : parent.getChildren())
        {
            state << child->getName() << (child->isVisible() ? " shown" : " hidden") << (child->isEnabled() ? "" : " disabled");

            if (auto* button = dynamic_cast<juce::Button*> (child))
                state << " \"" << button->getButtonText() << "\"" << (button->getToggleState() ? " on" : "");
            else if (auto* editor = dynamic_cast<juce::TextEditor*> (child))
                state << " \"" << editor->getText() << "\"";
            else if (auto* label = dynamic_cast<juce::Label*> (child))
                state << " \"" << label->getText() << "\"";
            else if (auto* list = dynamic_cast<juce::ComboBox*> (child))
                state << " \"" << list->getText() << "\"";
            else if (auto* spin = dynamic_cast<TPXSpinControl*> (child))
                state << (spin->isEnabledState() ? " on " : " off ") << spin->getMinimum() << "-" << spin->getMaximum();

            state << "\n";

            // A part that the dialog lays out shows its own parts; a framework control's are its own.
            if (dynamic_cast<juce::Button*> (child) == nullptr && dynamic_cast<juce::TextEditor*> (child) == nullptr
                && dynamic_cast<juce::Label*> (child) == nullptr && dynamic_cast<juce::ComboBox*> (child) == nullptr)
                state << stateOf (*child);
        }

        return state;
    }

    BackupChooser& chooser;
    bool withButton = false, acted = false;
    int ticks = 0;
};

/** A chooser on a device that never answers, recording the choices it hands on. */
struct ChooserFixture
{
    ChooserFixture()
    {
        chooser.onChosen = [this] (const BackupChooser::Choice& choice) { choices.push_back (choice); };
    }

    /** Shows the model's dialog as the console does and plays the user at it. */
    void choose (int model, const juce::String& spinName = {}, const juce::String& text = {})
    {
        UserAtTheDialog user (chooser, spinName, text);
        chooser.choose (model, nullptr);
        EXPECT_TRUE (user.clickedOk);
        EXPECT_EQ (chooser.getShownDialog(), nullptr);
    }

    RecordingView view;
    std::unique_ptr<SysExRequest> pendingSlot;
    DeviceQueries queries { nullptr, view, pendingSlot };
    BackupChooser chooser { &generatedSkin(), queries };
    std::vector<BackupChooser::Choice> choices;
};
} // namespace

// The KT4 and LM6 dialogs are built at their first show and kept with the chooser: what the user
// chose at one show is there at the next.
TEST (BackupChooserTest, TheKT4DialogKeepsTheUsersChoiceFromOneShowToTheNext)
{
    ChooserFixture fixture;
    EXPECT_EQ (fixture.chooser.getShownDialog(), nullptr);

    fixture.choose (8, "backupPresetBankSpinControl", "12");
    fixture.choose (8);

    ASSERT_EQ (fixture.choices.size(), 2u);

    for (const auto& choice : fixture.choices)
    {
        EXPECT_EQ (choice.family, BackupChooser::Choice::Family::kt4);
        EXPECT_EQ (choice.context.model, 8);
        EXPECT_EQ (choice.context.kt4.onePresetBank, 1);
        EXPECT_EQ (choice.context.kt4.presetBank, 11);
        EXPECT_EQ (choice.context.kt4.allPresetBanks + choice.context.kt4.system, 0);
    }
}

TEST (BackupChooserTest, TheLM6DialogKeepsTheUsersChoiceFromOneShowToTheNext)
{
    ChooserFixture fixture;

    // OK waits for a first choice at the first show; at the second it is what the user chose.
    fixture.choose (10, "backupPresetBankSpinControl", "c");
    fixture.choose (10);

    ASSERT_EQ (fixture.choices.size(), 2u);

    for (const auto& choice : fixture.choices)
    {
        EXPECT_EQ (choice.family, BackupChooser::Choice::Family::lm6);
        EXPECT_EQ (choice.context.model, 10);
        EXPECT_EQ (choice.context.lm6.onePresetBank, 1);
        EXPECT_EQ (choice.context.lm6.presetBank, 2);
        EXPECT_EQ (choice.context.lm6.allPresetBanks + choice.context.lm6.system, 0);
    }
}

// Each family's dialog takes the keyboard as it shows, and a change that the user then cancels
// (Escape, or the Cancel button) is gone at the next show.
class BackupDialogKeysTest : public ::testing::TestWithParam<int>
{
};

TEST_P (BackupDialogKeysTest, TakesTheKeyboardAtOnceAndACancelledChangeIsGoneAtTheNextShow)
{
    ChooserFixture fixture;

    for (const bool withButton : { false, true })
    {
        KeysAtTheDialog user (fixture.chooser, withButton);
        fixture.chooser.choose (GetParam(), nullptr);
        ASSERT_TRUE (user.focusedAtOnce);
        ASSERT_NE (user.changed, user.opened) << "Space and typing changed nothing";

        KeysAtTheDialog again (fixture.chooser, withButton);
        fixture.chooser.choose (GetParam(), nullptr);
        EXPECT_EQ (again.opened, user.opened) << (withButton ? "Cancel" : "Escape") << " kept a change";
    }

    EXPECT_TRUE (fixture.choices.empty());
}

INSTANTIATE_TEST_SUITE_P (EveryFamily, BackupDialogKeysTest, ::testing::Values (3, 6, 16, 8, 10));
} // namespace morvane::test
