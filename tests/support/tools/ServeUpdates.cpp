// A misbehaving update server for the end-to-end runs of the real program:
//
//   morvane_serve_updates silent|drip <marker-file>
//
// Prints its base address (for MORVANE_UPDATE_SERVER) on the first line of its output, serves
// the program feed silently (the connection opens and nothing comes) or at 16 bytes every 100 ms,
// and creates the marker file once the program has asked for the feed. Runs until it is killed.

#include "TestHttpServer.h"

#include <iostream>
#include <thread>

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: morvane_serve_updates silent|drip <marker-file>" << std::endl;
        return 2;
    }

    const juce::String mode (argv[1]);
    const juce::File marker (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));
    const juce::String feedPath = "/rss/reduvorivudidu/Morvane/morvane.xml";

    using Behaviour = morvane::test::TestHttpServer::Behaviour;
    morvane::test::TestHttpServer server;

    if (! server.start())
        return 1;

    const auto feed = "<MORVANE>" + juce::String::repeatedString ("<!-- slow -->", 1000) + "</MORVANE>";
    server.serve (feedPath, feed, mode == "drip" ? Behaviour::drip : Behaviour::stallHeaders);
    std::cout << server.getBaseAddress() << std::endl;

    while (server.getRequestCount (feedPath) == 0)
        std::this_thread::sleep_for (std::chrono::milliseconds (20));

    marker.create();

    for (;;)
        std::this_thread::sleep_for (std::chrono::seconds (1));
}
