#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A small skin written into a temporary folder: "MV.qorby" naming "MV.zip", whose images are
    plain coloured rectangles of the sizes the console uses.
*/
class TestSkin
{
public:
    /** withShowFolder: whether "MainSkin" holds the "showFolder" widget. */
    explicit TestSkin (bool withShowFolder = true)
        : folder (juce::File::createTempFile ("skin"))
    {
        folder.createDirectory();
        juce::String mainSkin = withShowFolder
            ? "<Widget name=\"showFolder\" upImage=\"btn-folder.png\" positionX=\"740\" positionY=\"295\"/>"
            : "<Widget name=\"somethingElse\"/>";

        folder.getChildFile ("MV.qorby").replaceWithText (
            "<SKIN skin=\"MV.zip\" skinEngineVersion=\"2.0\"><MainSkin>" + mainSkin + "</MainSkin></SKIN>");

        juce::ZipFile::Builder builder;
        addImage (builder, "bg-body-send.png", 800, 553);
        addImage (builder, "tab-send.png", 169, 33);
        addImage (builder, "dropdown.png", 232, 27);
        addImage (builder, "btn-folder.png", 25, 25);
        addImage (builder, "btn-browse.png", 152, 42);

        juce::FileOutputStream out (folder.getChildFile ("MV.zip"));
        builder.writeToStream (out, nullptr);
    }

    ~TestSkin() { folder.deleteRecursively(); }

    juce::File folder;

private:
    static void addImage (juce::ZipFile::Builder& builder, const juce::String& name, int width, int height)
    {
        juce::Image image (juce::Image::ARGB, width, height, true);
        juce::Graphics (image).fillAll (juce::Colours::steelblue);
        juce::MemoryOutputStream png;
        juce::PNGImageFormat().writeImageToStream (image, png);
        builder.addEntry (new juce::MemoryInputStream (png.getMemoryBlock(), true), 9, name, juce::Time::getCurrentTime());
    }
};
