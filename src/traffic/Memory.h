#pragma once
// Memory for the tables. A full-size set is half a million small records; these keep them in few
// large pieces, so that loading one costs little more than its text.

#include <cstddef>

namespace tarvik {

namespace memory {

// Room for a table's slots, taken from the system only where written to.
void* ReserveSlots(std::size_t bytes);
void ReleaseSlots(void* slots, std::size_t bytes);

// Storage for plan texts, carved out of large shared chunks; a chunk goes back to the system when
// its last text is freed. Safe to use from any thread.
void* AllocateText(std::size_t bytes);
void FreeText(void* text, std::size_t bytes);
// Lets go of the chunk this thread carves from, to be called by a thread other than the program's
// first before it ends once it took texts; its texts stay valid.
void LetGoOfThreadTexts();

template <typename T> struct TextAllocator {
    using value_type = T;
    TextAllocator() = default;
    template <typename U> TextAllocator(const TextAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateText(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) { FreeText(p, n * sizeof(T)); }
    bool operator==(const TextAllocator&) const { return true; }
    bool operator!=(const TextAllocator&) const { return false; }
};

} // namespace memory

} // namespace tarvik
