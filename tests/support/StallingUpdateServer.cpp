// A local update server for the end-to-end runs of the real program: it accepts the request for
// the program feed and never answers it. It prints its base address on the first line of its
// output and "requested" once the feed has been asked for, then runs until it is ended.

#include "TestHttpServer.h"
#include "UpdateServer.h"

#include <iostream>

int main()
{
    morvane::test::TestHttpServer server;

    if (! server.start())
        return 1;

    UpdateServer::setBaseAddress (server.getBaseAddress());
    const auto feed = UpdateServer::getProgramFeedAddress ("Morvane", "morvane.xml").toString (false);
    const auto path = feed.fromFirstOccurrenceOf (server.getBaseAddress(), false, false);
    server.serve (path, juce::String(), morvane::test::TestHttpServer::Behaviour::stallHeaders);

    std::cout << server.getBaseAddress() << std::endl;

    if (server.waitForRequest (path, 600000))
        std::cout << "requested" << std::endl;

    for (;;)
        juce::Thread::sleep (1000);
}
