#pragma once

#include "UpdateHttpConnection.h"

/** A GET over libcurl itself, where the framework's own stream is built on it (Linux and the
    BSDs); elsewhere create() gives nothing and the framework's stream is used.

    The framework's stream hands its header lines over through a parser that drops the first one,
    taking it for the status line that curl has already left out, and that splits a line only at
    ": ". This one keeps every line of the final reply's head as it arrived. Closing it never
    waits for an unanswered name look-up, and cancel() only wakes the thread that waits in it.
    The calls other than cancel() belong to one thread.
*/
class UpdateCurlConnection : public UpdateHttpConnection
{
public:
    /** Null where libcurl is not the framework's network stack. */
    static std::unique_ptr<UpdateHttpConnection> create (const juce::URL& address, int timeoutMs);

    ~UpdateCurlConnection() override;

    bool connect() override;
    int getStatusCode() override;
    juce::StringArray getHeaderLines() override;
    int read (void* destination, int bytes) override;
    bool isError() override;
    void cancel() override;

private:
    struct Transfer;

    explicit UpdateCurlConnection (std::unique_ptr<Transfer>);

    std::unique_ptr<Transfer> transfer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateCurlConnection)
};
