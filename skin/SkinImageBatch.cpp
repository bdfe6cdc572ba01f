#include "SkinImageBatch.h"

#include "SkinImageDecoder.h"

class SkinImageBatch::Helper : public juce::Thread
{
public:
    explicit Helper (SkinImageBatch& batchToHelp)
        : juce::Thread ("Skin images"),
          batch (batchToHelp)
    {
    }

    ~Helper() override
    {
        // The work is done when the batch finishes; the thread only has to return.
        stopThread (-1);
    }

    void run() override { batch.decodeUntilDone(); }

private:
    SkinImageBatch& batch;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Helper)
};

SkinImageBatch::SkinImageBatch (std::vector<const juce::MemoryBlock*> imagesToDecode, int numHelperThreads)
    : data (std::move (imagesToDecode)),
      results (data.size())
{
    if (data.empty())
    {
        allDone.signal();
        return;
    }

    const auto numHelpers = juce::jmin (numHelperThreads, maxHelpers, juce::SystemStats::getNumCpus() - 1, (int) data.size() - 1);

    for (int i = 0; i < numHelpers; ++i)
    {
        auto* helper = helpers.add (new Helper (*this));

        // Without a thread the caller decodes that share itself.
        if (! helper->startThread())
            helpers.removeLast();
    }
}

SkinImageBatch::~SkinImageBatch()
{
    finish();
    helpers.clear();
}

void SkinImageBatch::finish()
{
    if (finished)
        return;

    decodeUntilDone();
    allDone.wait (-1);
    finished = true;
}

void SkinImageBatch::decodeUntilDone()
{
    for (;;)
    {
        const auto index = nextIndex.fetch_add (1);

        if (index >= data.size())
            return;

        auto& result = results[index];
        result.image = SkinImageDecoder::decode (data[index]->getData(), data[index]->getSize(), result.problem);

        if (numDone.fetch_add (1) + 1 == data.size())
            allDone.signal();
    }
}
