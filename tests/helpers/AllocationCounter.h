#pragma once

// Counts the allocations made on a thread while a WatchAllocations lives on it. A program
// that compiles AllocationCounter.cpp replaces the global allocation functions with counting
// ones; code in plug-in modules it loads allocates through them too.

namespace orvelin::test
{
    long allocationsOnWatchedThreads();

    struct WatchAllocations
    {
        WatchAllocations();
        ~WatchAllocations();

        WatchAllocations (const WatchAllocations&) = delete;
        WatchAllocations& operator= (const WatchAllocations&) = delete;
    };
}
