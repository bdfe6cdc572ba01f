#include "ConsolePage.h"
#include "ConsoleRig.h"
#include "DeviceQueryAnswers.h"

using morvane::test::DeviceQueryAnswers;
using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;

namespace
{
/** The console with an Orvix III on its ports and two scratch folders with a file in each. */
class ReceiveFolderDropTest : public ConsoleRig
{
protected:
    ~ReceiveFolderDropTest() override { scratch.deleteRecursively(); }

    void SetUp() override
    {
        ConsoleRig::SetUp();
        first.createDirectory();
        second.createDirectory();
        first.getChildFile ("preset.syx").replaceWithText ("F0 F7");
    }

    void openWithDevice()
    {
        auto& device = plugDevice (16, "Orvix III MIDI 1");
        answers = std::make_unique<DeviceQueryAnswers> (device, 1, 3);
        open();
        chooseFromMenu (16);
        ASSERT_TRUE (console().isInputOk() && console().isOutputOk());
    }

    void drop (const juce::StringArray& paths, int x, int y) { console().filesDropped (paths, x, y); }

    /** Drops the paths at a point of the console through the window's peer, as the system does
        (the target is found from the component under the point upwards); returns what it told.
    */
    juce::String dropOnWindow (const juce::StringArray& paths, juce::Point<int> point)
    {
        const auto boxesBefore = dialogs.boxes.size();
        juce::ComponentPeer::DragInfo info;
        info.files = paths;
        info.position = window->getLocalPoint (&console(), point);

        if (! window->getPeer()->handleDragDrop (info))
            return "<no target>";

        runMessageLoopUntil ([&] { return dialogs.boxes.size() > boxesBefore; }, 2000);   // delivered as a message
        return dialogs.boxes.size() > boxesBefore ? dialogs.boxes.back().text : juce::String();
    }

    const juce::File scratch { juce::File::createTempFile ("drops") };
    const juce::File first { scratch.getChildFile ("first") };
    const juce::File second { scratch.getChildFile ("second") };
};

TEST_F (ReceiveFolderDropTest, OnlyAnExistingFolderDroppedAnywhereBecomesTheReceiveFolderAndAnythingElseIsTold)
{
    openWithDevice();
    console().showReceivePage();

    const auto folderA = first.getFullPathName();
    const auto folderB = second.getFullPathName();
    const auto file = first.getChildFile ("preset.syx").getFullPathName();
    const auto missing = scratch.getChildFile ("missing").getFullPathName();

    // In order: each row starts from the receive folder that the rows before it left.
    struct Row
    {
        const char* what;
        juce::StringArray paths;
        int x, y;
        juce::String expected;   // empty: the receive folder stays as it was
        juce::String told;       // the box's text, empty for none
    };

    const Row rows[] = {
        { "a folder in the file panel", { folderA }, 260, 273, folderA, {} },
        { "a file", { file }, 400, 300, {}, "\"preset.syx\" is not a folder. Only a folder can be chosen for the backups." },
        { "a folder that does not exist", { missing }, 400, 300, {}, "\"" + missing + "\" could not be found." },
        { "a relative path", { "second" }, 400, 300, {}, "\"second\" could not be found." },
        { "a file before a folder", { file, folderB }, 400, 300, {}, "\"preset.syx\" is not a folder. Only a folder can be chosen for the backups." },
        { "a folder at the window's top left corner", { folderB }, 0, 0, folderB, {} },
        { "a folder before a file, at the bottom right corner", { folderA, file }, 799, 552, folderA, {} },
    };

    for (const auto& row : rows)
    {
        const auto before = console().getReceiveFolder();
        const auto boxesBefore = dialogs.boxes.size();
        drop (row.paths, row.x, row.y);

        EXPECT_EQ (console().getReceiveFolder(), row.expected.isNotEmpty() ? row.expected : before) << row.what;
        ASSERT_EQ (dialogs.boxes.size(), boxesBefore + (row.told.isNotEmpty() ? 1 : 0)) << row.what;

        if (row.told.isNotEmpty())
        {
            EXPECT_EQ (dialogs.boxes.back().text, row.told) << row.what;
        }

        if (row.expected.isNotEmpty())
        {
            EXPECT_TRUE (console().isReceiveFolderChosen()) << row.what;
            EXPECT_EQ (dynamic_cast<ReadOnlyTextField*> (child ("File"))->getText(), row.expected) << row.what;
        }
    }

    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded()) << "nothing dropped on the receive page is loaded to send";
}

TEST_F (ReceiveFolderDropTest, NoFolderIsTakenWithoutTheDevicesPortsWhileWorkRunsOrOnTheSendPage)
{
    open();
    console().showReceivePage();
    auto untouched = console().getReceiveFolder();

    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "no device, no ports";

    window.reset();
    link.reset();
    openWithDevice();
    console().showReceivePage();
    untouched = console().getReceiveFolder();
    ASSERT_NE (untouched, first.getFullPathName());

    console().setControlsEnabled (false);
    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "controls locked while work runs";
    ASSERT_FALSE (dialogs.boxes.empty());
    EXPECT_EQ (dialogs.boxes.back().text, ConsolePage::busyDropText);
    console().setControlsEnabled (true);

    console().showSendPage();
    drop ({ first.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), untouched) << "the send page takes files, not folders";
    EXPECT_EQ (dialogs.boxes.back().text, "\"first\" is a folder, and a folder cannot be sent. Only .syx files can be sent.");
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());

    console().showReceivePage();
    drop ({ second.getFullPathName() }, 400, 300);
    EXPECT_EQ (console().getReceiveFolder(), second.getFullPathName()) << "ready again on the receive page";
}

TEST_F (ReceiveFolderDropTest, EachPageTakesOnlyItsOwnKindOfDragAndSaysWhyADropCannotBeUsedYet)
{
    open();
    const auto syx = first.getChildFile ("preset.syx");
    const auto text = first.getChildFile ("notes.txt");
    ASSERT_TRUE (text.replaceWithText ("notes"));

    // A drag of what the page cannot use is refused where the platform can show a refusal, and
    // taken where it cannot (its drop is then told why).
    const auto refused = ! ConsolePage::takesEveryDrag();
    EXPECT_TRUE (console().isInterestedInFileDrag ({ syx.getFullPathName() })) << "the send page takes .syx files";

    for (const auto& path : { text.getFullPathName(), first.getFullPathName(), scratch.getChildFile ("gone.syx").getFullPathName() })
    {
        EXPECT_FALSE (ConsoleSendPage::canTakeDrag ({ path })) << path;
        EXPECT_NE (console().isInterestedInFileDrag ({ path }), refused) << path;
    }

    EXPECT_FALSE (console().isInterestedInFileDrag ({}));

    drop ({ syx.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 1u) << "a .syx file without a device";
    EXPECT_EQ (dialogs.boxes.back().text, "Choose the device and its MIDI ports before dropping a file to send.");
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());

    drop ({ text.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 2u) << "a file that is not .syx";
    EXPECT_EQ (dialogs.boxes.back().text, "\"notes.txt\" is not a .syx file. Only .syx files can be sent.");

    drop ({ syx.getFullPathName() }, 100, 100);
    EXPECT_EQ (dialogs.boxes.size(), 3u) << "outside the file panel the same is said";

    console().showReceivePage();
    EXPECT_TRUE (console().isInterestedInFileDrag ({ first.getFullPathName() })) << "the receive page takes folders";
    EXPECT_FALSE (ConsolePage::canTakeDrag ({ syx.getFullPathName() })) << "but no file";
    EXPECT_NE (console().isInterestedInFileDrag ({ syx.getFullPathName() }), refused);

    const auto before = console().getReceiveFolder();
    drop ({ first.getFullPathName() }, 400, 300);
    ASSERT_EQ (dialogs.boxes.size(), 4u) << "a folder without a device";
    EXPECT_EQ (dialogs.boxes.back().text, "Choose the device and its MIDI ports before dropping a folder for the backups.");
    EXPECT_EQ (console().getReceiveFolder(), before);
}

TEST_F (ReceiveFolderDropTest, ASyxFileDroppedWithTheDevicesPortsSetIsLoadedWithoutABox)
{
    openWithDevice();
    const auto syx = first.getChildFile ("preset.syx");
    drop ({ syx.getFullPathName() }, 400, 300);

    // The file's content decides whether it is loaded; the drop itself asks nothing.
    for (const auto& box : dialogs.boxes)
        EXPECT_FALSE (box.text.startsWith ("Choose the device")) << box.text;
}
TEST_F (ReceiveFolderDropTest, TheFolderButtonOnTheReceivePageOpensTheReceiveFolder)
{
    openWithDevice();
    console().showReceivePage();
    console().setReceiveFolder (first.getFullPathName());

    auto* button = dynamic_cast<juce::Button*> (child ("showFolder"));
    ASSERT_NE (button, nullptr);
    ASSERT_TRUE (button->isEnabled());

    button->triggerClick();
    runMessageLoopFor (50);
    EXPECT_EQ (services.revealed, juce::StringArray (first.getFullPathName())) << "the receive folder, not the send file";
    EXPECT_TRUE (dialogs.boxes.empty());

    // A folder deleted since it was chosen is told, not opened.
    first.deleteRecursively();
    button->triggerClick();
    runMessageLoopFor (50);
    EXPECT_EQ (services.revealed.size(), 1);
    ASSERT_EQ (dialogs.boxes.size(), 1u);
    EXPECT_EQ (dialogs.boxes[0].text, "The selected path is not valid.");
}
TEST_F (ReceiveFolderDropTest, ADropAnywhereOnTheWindowIsToldOnBothPagesAndDuringATransfer)
{
    openWithDevice();
    ASSERT_NE (window->getPeer(), nullptr);
    const auto text = first.getChildFile ("notes.txt");
    ASSERT_TRUE (text.replaceWithText ("notes"));

    // The corners and every control: none of them keeps a drop from the console.
    std::vector<juce::Point<int>> points { { 2, 2 }, { 797, 2 }, { 2, 550 }, { 797, 550 } };

    for (auto* c : console().getChildren())
        if (c->isVisible() && console().getLocalBounds().contains (c->getBounds().getCentre()))
            points.push_back (c->getBounds().getCentre());

    for (const auto& point : points)
    {
        console().showReceivePage();
        EXPECT_EQ (dropOnWindow ({ text.getFullPathName() }, point), "\"notes.txt\" is not a folder. Only a folder can be chosen for the backups.")
            << point.toString();
        console().showSendPage();
        EXPECT_EQ (dropOnWindow ({ first.getFullPathName() }, point), "\"first\" is a folder, and a folder cannot be sent. Only .syx files can be sent.")
            << point.toString();
    }

    // While work runs the page is locked: what it could use is told to wait.
    console().setControlsEnabled (false);
    EXPECT_EQ (dropOnWindow ({ first.getChildFile ("preset.syx").getFullPathName() }, { 100, 500 }), ConsolePage::busyDropText);
    EXPECT_FALSE (console().getTransfers().getSendFile().isLoaded());
    console().setControlsEnabled (true);
}
} // namespace
