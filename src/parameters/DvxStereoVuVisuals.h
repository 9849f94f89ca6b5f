#pragma once

#include <atomic>

// Largest absolute sample per channel since the last read. The audio thread raises the
// peaks while the editor's timer copies and resets them, so the fields are atomics; a
// peak stored between the copy and the reset is lost, which only shortens one reading.
class DvxStereoVuVisuals
{
public:
    DvxStereoVuVisuals() = default;
    DvxStereoVuVisuals (float leftPeak, float rightPeak) noexcept : left (leftPeak), right (rightPeak) {}

    DvxStereoVuVisuals (const DvxStereoVuVisuals& other) noexcept
        : left (other.getLeft()), right (other.getRight()) {}

    DvxStereoVuVisuals& operator= (const DvxStereoVuVisuals& other) noexcept
    {
        setLeft (other.getLeft());
        setRight (other.getRight());
        return *this;
    }

    float getLeft() const noexcept  { return left.load (std::memory_order_relaxed); }
    float getRight() const noexcept { return right.load (std::memory_order_relaxed); }
    void setLeft (float v) noexcept  { left.store (v, std::memory_order_relaxed); }
    void setRight (float v) noexcept { right.store (v, std::memory_order_relaxed); }

    void reset() noexcept
    {
        setLeft (0.0f);
        setRight (0.0f);
    }

private:
    std::atomic<float> left { 0.0f };
    std::atomic<float> right { 0.0f };
};
