#include "platform/os/Pages.h"

#include <cstdint>
#include <new>

#include <windows.h>

namespace tarvik::pages {

void* Map(std::size_t bytes) {
    void* p = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p)
        throw std::bad_alloc();
    return p;
}

// Windows gives back a mapping only whole: find an aligned address inside a larger reservation,
// give that back and map just the aligned run there. Another thread may take the address in
// between, so this tries again.
void* MapAligned(std::size_t bytes) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        void* raw = VirtualAlloc(nullptr, 2 * bytes, MEM_RESERVE, PAGE_NOACCESS);
        if (!raw)
            break;
        const auto address = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (address + bytes - 1) & ~(std::uintptr_t{bytes} - 1);
        VirtualFree(raw, 0, MEM_RELEASE);
        if (void* p = VirtualAlloc(reinterpret_cast<void*>(aligned), bytes,
                                   MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return p;
    }
    throw std::bad_alloc();
}

void Unmap(void* pages, std::size_t) {
    VirtualFree(pages, 0, MEM_RELEASE);
}

void PreferLarge(void*, std::size_t) {
    // Large pages need a privilege that ordinary users lack.
}

} // namespace tarvik::pages
