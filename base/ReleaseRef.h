#pragma once
// Drops the reference p holds and answers how many holders are left: the count a COM
// object's Release answered. A null p answers 0. Shared by the graphics and sound layers.
#include <cstdint>
#include <memory>

template <class T> uint32_t ReleaseRef(std::shared_ptr<T>& p) {
    if (!p) return 0;
    const long others = p.use_count() - 1;
    p.reset();
    return static_cast<uint32_t>(others);
}
