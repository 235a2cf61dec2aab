#pragma once
// Device objects are held by shared_ptr. Releasing one answers how many holders are
// left, the count a COM Release answers, so that a release which leaves references
// outstanding can still be reported as a failure.
#include <cstdint>
#include <memory>

// Drops the reference p holds and answers how many holders are left; a null p answers 0.
template <class T> uint32_t ReleaseRef(std::shared_ptr<T>& p) {
    if (!p) return 0;
    const long others = p.use_count() - 1;
    p.reset();
    return static_cast<uint32_t>(others);
}
