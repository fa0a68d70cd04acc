#pragma once
// Memory straight from the system, in whole pages that read as zero and take room only where they
// are written to.

#include <cstddef>

namespace tarvik::pages {

// bytes of fresh pages; throws std::bad_alloc when the system has none.
void* Map(std::size_t bytes);
// bytes of fresh pages that start at a multiple of bytes, a power of two.
void* MapAligned(std::size_t bytes);
// Gives back what Map or MapAligned returned, whole.
void Unmap(void* pages, std::size_t bytes);
// Asks for large pages, where the system gives them only on request.
void PreferLarge(void* pages, std::size_t bytes);

} // namespace tarvik::pages
