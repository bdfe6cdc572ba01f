#include "LaunchedProgram.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

LaunchedProgram::LaunchedProgram (const juce::File& executable)
    : home (juce::File::createTempFile ("bench-home"))
{
    home.getChildFile ("config").createDirectory();

    juce::StringArray environment;

    for (char** each = environ; *each != nullptr; ++each)
    {
        const juce::String entry (*each);

        if (! entry.startsWith ("HOME=") && ! entry.startsWith ("XDG_CONFIG_HOME="))
            environment.add (entry);
    }

    environment.add ("HOME=" + home.getFullPathName());
    environment.add ("XDG_CONFIG_HOME=" + home.getChildFile ("config").getFullPathName());

    std::vector<std::string> envStrings, argStrings { executable.getFullPathName().toStdString() };

    for (const auto& entry : environment)
        envStrings.push_back (entry.toStdString());

    std::vector<char*> envp, argv;

    for (auto& e : envStrings)
        envp.push_back (e.data());

    for (auto& a : argStrings)
        argv.push_back (a.data());

    envp.push_back (nullptr);
    argv.push_back (nullptr);

    startMs = juce::Time::getMillisecondCounterHiRes();
    pid_t child = -1;

    // What the program prints (ALSA's complaints on a machine without MIDI) is not the bench's.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen (&actions, 2, "/dev/null", O_WRONLY, 0);

    if (posix_spawn (&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0)
        pid = (int) child;

    posix_spawn_file_actions_destroy (&actions);
}

LaunchedProgram::~LaunchedProgram()
{
    end();
    home.deleteRecursively();
}

bool LaunchedProgram::isRunning() const
{
    if (pid <= 0)
        return false;

    int status = 0;
    return waitpid ((pid_t) pid, &status, WNOHANG) == 0;
}

void LaunchedProgram::end()
{
    if (pid <= 0)
        return;

    kill ((pid_t) pid, SIGTERM);

    for (int i = 0; i < 300; ++i)
    {
        int status = 0;

        if (waitpid ((pid_t) pid, &status, WNOHANG) != 0)
        {
            pid = -1;
            return;
        }

        juce::Thread::sleep (10);
    }

    kill ((pid_t) pid, SIGKILL);
    int status = 0;
    waitpid ((pid_t) pid, &status, 0);
    pid = -1;
}
