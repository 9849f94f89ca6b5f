#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace orvelin::test
{
    // The temporary folder that HOME and XDG_CONFIG_HOME point at for this test program.
    const std::string& temporaryHome();

    // Makes a fresh folder below TMPDIR (or /tmp) and points HOME and the XDG folders at it,
    // so that nothing the program does can touch the real user's settings or presets. Call
    // it before JUCE starts; the tests and the benchmark program share it.
    inline std::string redirectHomeToFreshTemporaryFolder (const char* prefix)
    {
        const char* base = std::getenv ("TMPDIR");
        std::string home = std::string (base != nullptr ? base : "/tmp") + "/" + prefix + "-XXXXXX";

        if (::mkdtemp (home.data()) == nullptr)
        {
            std::perror ("mkdtemp");
            std::exit (2);
        }

        ::setenv ("HOME", home.c_str(), 1);
        ::setenv ("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        ::setenv ("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        return home;
    }
}
