#include "platform/os/Pages.h"

#include <cstdint>
#include <new>

#include <sys/mman.h>

namespace tarvik::pages {

void* Map(std::size_t bytes) {
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return p;
}

// Maps twice the size and gives back what lies outside the aligned run inside.
void* MapAligned(std::size_t bytes) {
    char* raw = static_cast<char*>(Map(2 * bytes));
    const auto offset = reinterpret_cast<std::uintptr_t>(raw) % bytes;
    char* aligned = offset == 0 ? raw : raw + (bytes - offset);
    char* end = raw + 2 * bytes;
    if (aligned > raw)
        ::munmap(raw, static_cast<std::size_t>(aligned - raw));
    if (end > aligned + bytes)
        ::munmap(aligned + bytes, static_cast<std::size_t>(end - (aligned + bytes)));
    return aligned;
}

void Unmap(void* pages, std::size_t bytes) {
    ::munmap(pages, bytes);
}

void PreferLarge(void* pages, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    ::madvise(pages, bytes, MADV_HUGEPAGE);
#else
    (void)pages;
    (void)bytes;
#endif
}

} // namespace tarvik::pages
