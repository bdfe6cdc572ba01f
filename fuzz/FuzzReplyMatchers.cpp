// Both reply matchers, fed a request and then a sequence of messages as the link worker would:
// every message that matches is added to the request, which must stay consistent throughout.

#include "FuzzInput.h"
#include "ReplyMatcher.h"
#include "ReplyMatcher16.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    FuzzInput input (data, size);

    const juce::uint8 models[] = { 2, 3, 4, 5, 6, 7, 8, 10, 16, 0, 1 };
    const auto model = models[input.byte() % std::size (models)];
    const auto functionId = (juce::uint8) (input.byte() & 0x7F);
    const auto expected = (juce::int32) input.byte() - 1;
    const auto payload = input.chunk();

    currentDeviceModel = model;

    juce::MidiMessage requestMessage;
    buildSysExMessage (requestMessage, functionId, static_cast<const juce::uint8*> (payload.getData()),
                       (int) payload.getSize(), model);

    SysExRequest request (requestMessage);
    request.setExpectedReplies (expected);
    request.markSent();

    const ReplyMatcher matcher;
    const ReplyMatcher16 matcher16;

    // The worker retires a request once it is complete: nothing more is matched to it.
    while (! input.isEmpty() && request.getState() != SysExRequest::complete)
    {
        // A flag byte: wrap the chunk in F0 ... F7 (most device messages) or take it as it is.
        const auto flags = input.byte();
        auto bytes = input.chunk();

        if ((flags & 1) != 0)
        {
            juce::MemoryBlock framed;
            const juce::uint8 start = 0xF0, end = 0xF7;
            framed.append (&start, 1);
            framed.append (bytes.getData(), bytes.getSize());
            framed.append (&end, 1);
            bytes = framed;
        }

        if (bytes.isEmpty())
            continue;

        const juce::MidiMessage message (bytes.getData(), (int) bytes.getSize());
        const auto matches = model >= 16 ? matcher16.matchReply (&request, message)
                                         : matcher.matchReply (&request, message);

        if (matches)
            request.addReply (message);

        if (request.getState() == SysExRequest::complete && request.getReplyCount() < request.getExpectedReplies())
            __builtin_trap(); // complete with fewer replies than expected

        request.checkTimeout();
    }

    juce::MemoryBlock all;
    request.appendRepliesTo (all);
    return 0;
}
