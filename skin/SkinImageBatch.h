#pragma once

#include <juce_graphics/juce_graphics.h>

#include <atomic>
#include <vector>

/** Decodes a list of skin images (see SkinImageDecoder) on a few threads at once.

    The constructor starts the helper threads; finish() has the calling thread decode too and
    returns when every image is done. The data must stay untouched until then. The results are
    the decoder's own, whatever the threads: each image is decoded by one thread only.
*/
class SkinImageBatch
{
public:
    /** At most this many helper threads beside the caller, fewer on a machine with fewer cores. */
    static constexpr int maxHelpers = 2;

    /** Starts up to numHelperThreads helpers (at most maxHelpers, and one fewer than the cores);
        with none, finish() decodes every image on the calling thread.
    */
    SkinImageBatch (std::vector<const juce::MemoryBlock*> imagesToDecode, int numHelperThreads = maxHelpers);

    /** Finishes the batch if that has not happened yet. */
    ~SkinImageBatch();

    /** Decodes on the calling thread alongside the helpers until every image is done. */
    void finish();

    /** The image (a null image when it could not be decoded) and, for a null one, the reason. */
    const juce::Image& getImage (int index) const { return results[(size_t) index].image; }
    const juce::String& getProblem (int index) const { return results[(size_t) index].problem; }

    int getNumHelpers() const noexcept { return helpers.size(); }

private:
    class Helper;

    struct Result
    {
        juce::Image image;
        juce::String problem;
    };

    /** Decodes images until none is left to take; the thread that finishes the last one signals. */
    void decodeUntilDone();

    std::vector<const juce::MemoryBlock*> data;
    std::vector<Result> results;
    std::atomic<size_t> nextIndex { 0 };
    std::atomic<size_t> numDone { 0 };
    juce::WaitableEvent allDone { true };
    juce::OwnedArray<Helper> helpers;
    bool finished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinImageBatch)
};
