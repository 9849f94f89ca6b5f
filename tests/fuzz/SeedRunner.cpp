// Runs a fuzz target's own entry points over its seeds, without libFuzzer, so that an
// ordinary test build checks what the fuzz build starts from.
//
//   <program> <folder or state file>...
//
// As ./build.sh fuzz does, the state files are copied into a fresh folder named by
// ORVELIN_FUZZ_SEED_STATES, where LLVMFuzzerInitialize may add seeds made from them; each
// file in that folder is then one input, and so is each file in the folders named. Every
// input's name is printed before it runs, so that a crash or a broken invariant names it.
// The target's teardown (orvelinFuzzTeardown) runs before the program exits, so that the
// leak detectors that run at exit find the plug-ins closed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);
extern "C" void orvelinFuzzTeardown();

namespace
{
    namespace fs = std::filesystem;

    std::vector<fs::path> filesIn (const fs::path& folder)
    {
        std::vector<fs::path> files;

        for (const auto& entry : fs::directory_iterator (folder))
            if (entry.is_regular_file())
                files.push_back (entry.path());

        std::sort (files.begin(), files.end());
        return files;
    }

    void run (const fs::path& file)
    {
        std::printf ("%s\n", file.filename().c_str());
        std::fflush (stdout);

        std::ifstream in (file, std::ios::binary);
        const std::string bytes { std::istreambuf_iterator<char> (in), {} };
        LLVMFuzzerTestOneInput (reinterpret_cast<const uint8_t*> (bytes.data()), bytes.size());
    }
}

int main (int argc, char** argv)
{
    const char* base = std::getenv ("TMPDIR");
    std::string states = std::string (base != nullptr ? base : "/tmp") + "/orvelin-seeds-XXXXXX";

    if (::mkdtemp (states.data()) == nullptr)
    {
        std::perror ("mkdtemp");
        return 2;
    }

    std::vector<fs::path> folders { states };

    for (int i = 1; i < argc; ++i)
    {
        if (fs::is_directory (argv[i]))
            folders.emplace_back (argv[i]);
        else
            fs::copy_file (argv[i], fs::path (states) / fs::path (argv[i]).filename());
    }

    ::setenv ("ORVELIN_FUZZ_SEED_STATES", states.c_str(), 1);
    LLVMFuzzerInitialize (&argc, &argv);

    for (const auto& folder : folders)
        for (const auto& file : filesIn (folder))
            run (file);

    orvelinFuzzTeardown();
    fs::remove_all (states);
    return 0;
}
