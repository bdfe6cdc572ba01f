#include "UpdateHttpConnection.h"

namespace
{
/** The framework's stream. Its header array drops the first line it is given, taking it for the
    status line, which curl has already left out; and it keeps "Name:value" without a blank as a
    name alone. The lines are put back together from it as far as it allows.
*/
class FrameworkConnection : public UpdateHttpConnection
{
public:
    FrameworkConnection (const juce::URL& address, int timeoutMs) : stream (address, false)
    {
        stream.withConnectionTimeout (timeoutMs);
        stream.withNumRedirectsToFollow (0);
    }

    bool connect() override { return stream.connect (nullptr); }
    int getStatusCode() override { return stream.getStatusCode(); }
    int read (void* destination, int bytes) override { return stream.read (destination, bytes); }
    bool isError() override { return stream.isError(); }
    void cancel() override { stream.cancel(); }

    juce::StringArray getHeaderLines() override
    {
        const auto headers = stream.getResponseHeaders();
        juce::StringArray lines;

        for (int i = 0; i < headers.size(); ++i)
        {
            const auto name = headers.getAllKeys()[i];
            const auto value = headers.getAllValues()[i];
            lines.add (value.isEmpty() && name.containsChar (':') ? name : name + ": " + value);
        }

        return lines;
    }

private:
    juce::WebInputStream stream;
};

juce::CriticalSection& factoryLock()
{
    static juce::CriticalSection lock;
    return lock;
}

UpdateHttpConnection::Factory& factory()
{
    static UpdateHttpConnection::Factory made;
    return made;
}
} // namespace

std::unique_ptr<UpdateHttpConnection> UpdateHttpConnection::create (const juce::URL& address, int timeoutMs)
{
    Factory made;

    {
        const juce::ScopedLock sl (factoryLock());
        made = factory();
    }

    if (made != nullptr)
        return made (address, timeoutMs);

    return std::make_unique<FrameworkConnection> (address, timeoutMs);
}

void UpdateHttpConnection::setFactory (Factory newFactory)
{
    const juce::ScopedLock sl (factoryLock());
    factory() = std::move (newFactory);
}
