#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace
{
    std::atomic<long> allocationsOnWatchedThread { 0 };
    thread_local bool watchingThisThread = false;

    void* allocate (std::size_t size, std::size_t alignment = 0)
    {
        if (watchingThisThread)
            allocationsOnWatchedThread.fetch_add (1, std::memory_order_relaxed);

        size = size == 0 ? 1 : size;

        if (alignment > alignof (std::max_align_t))
            return std::aligned_alloc (alignment, (size + alignment - 1) / alignment * alignment);

        return std::malloc (size);
    }

    void* allocateOrThrow (std::size_t size, std::size_t alignment = 0)
    {
        if (auto* p = allocate (size, alignment))
            return p;

        throw std::bad_alloc();
    }
}

void* operator new (std::size_t size)                                          { return allocateOrThrow (size); }
void* operator new[] (std::size_t size)                                        { return allocateOrThrow (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept          { return allocate (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept        { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t a)                      { return allocateOrThrow (size, (std::size_t) a); }
void* operator new[] (std::size_t size, std::align_val_t a)                    { return allocateOrThrow (size, (std::size_t) a); }
void* operator new (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept   { return allocate (size, (std::size_t) a); }
void* operator new[] (std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocate (size, (std::size_t) a); }
void operator delete (void* p) noexcept                                        { std::free (p); }
void operator delete[] (void* p) noexcept                                      { std::free (p); }
void operator delete (void* p, std::size_t) noexcept                           { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept                         { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept                      { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept                    { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept         { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept       { std::free (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept                 { std::free (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept               { std::free (p); }

namespace orvelin::test
{
    long allocationsOnWatchedThreads()     { return allocationsOnWatchedThread.load(); }
    WatchAllocations::WatchAllocations()   { watchingThisThread = true; }
    WatchAllocations::~WatchAllocations()  { watchingThisThread = false; }
}
