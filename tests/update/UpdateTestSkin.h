#pragma once

#include "SkinManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace morvane::test
{
/** A skin in a temporary folder holding the "AutoUpdateSkin" and "FirmwareUpdateSkin" sections of
    Morvane's own skin source, with plain images for their buttons; loaded into a SkinManager.
*/
class UpdateTestSkin
{
public:
    UpdateTestSkin()
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile ("morvane-update-skin-" + juce::Uuid().toString()))
    {
        folder.createDirectory();
        juce::String sections;

        if (auto source = juce::XmlDocument::parse (juce::File (MORVANE_SOURCE_DIR).getChildFile ("skin/generator/MV.qorby")))
            for (auto name : { "AutoUpdateSkin", "FirmwareUpdateSkin" })
                if (auto* section = source->getChildByName (name))
                    sections << section->toString (juce::XmlElement::TextFormat().withoutHeader());

        folder.getChildFile ("MV.qorby").replaceWithText ("<SKIN skin=\"MV.zip\" skinEngineVersion=\"2.0\">" + sections + "</SKIN>");

        juce::ZipFile::Builder builder;

        for (auto name : { "btn-ok", "btn-cancel" })
            for (auto state : { "", "-over", "-down", "-disabled" })
                addImage (builder, juce::String (name) + state + ".png");

        {
            juce::FileOutputStream out (folder.getChildFile ("MV.zip"));
            builder.writeToStream (out, nullptr);
        }

        manager = std::make_unique<SkinManager> (folder);
        manager->load (folder.getChildFile ("MV.qorby").getFullPathName(), SkinManager::engineVersion, false);
    }

    ~UpdateTestSkin()
    {
        manager.reset();
        folder.deleteRecursively();
    }

    SkinManager* get() const noexcept { return manager.get(); }

    /** The temporary folder the skin lies in, which the destructor removes. */
    const juce::File& getFolder() const noexcept { return folder; }

private:
    static void addImage (juce::ZipFile::Builder& builder, const juce::String& name)
    {
        juce::Image image (juce::Image::ARGB, 78, 30, true);
        juce::Graphics (image).fillAll (juce::Colours::steelblue);
        juce::MemoryOutputStream png;
        juce::PNGImageFormat().writeImageToStream (image, png);
        builder.addEntry (new juce::MemoryInputStream (png.getMemoryBlock(), true), 9, name, juce::Time::getCurrentTime());
    }

    juce::File folder;
    std::unique_ptr<SkinManager> manager;
};
} // namespace morvane::test
