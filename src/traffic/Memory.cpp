#include "traffic/Memory.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>

// Slot tables live in pages straight from the system. Texts come from shared chunks of such pages
// too, except under the address sanitizer, which checks each text as an allocation of its own.
#if defined(__SANITIZE_ADDRESS__)
#define TARVIK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVIK_ADDRESS_SANITIZER 1
#endif
#endif
#if !defined(TARVIK_ADDRESS_SANITIZER)
#define TARVIK_TEXT_CHUNKS 1
#endif

#include "platform/os/Pages.h"

#if defined(TARVIK_ADDRESS_SANITIZER) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define TARVIK_LEAK_ROOTS 1
#endif

namespace tarvik {

namespace memory {

namespace {

constexpr std::size_t LargePage = std::size_t{2} << 20;

#ifdef TARVIK_TEXT_CHUNKS
constexpr std::size_t ChunkBytes = LargePage; // a chunk also starts at a multiple of its size
constexpr std::size_t LargestChunkedText = std::size_t{64} << 10;

// A chunk starts with the number of texts in it, plus one while a thread still carves from it.
struct ChunkHead {
    std::atomic<uint32_t> Refs{1};
};
constexpr std::size_t HeadBytes = 16;
static_assert(sizeof(ChunkHead) <= HeadBytes, "the head fits before the first text");

ChunkHead& HeadOf(char* chunk) {
    return *std::launder(reinterpret_cast<ChunkHead*>(chunk));
}

char* ChunkOf(void* text) {
    return reinterpret_cast<char*>(reinterpret_cast<std::uintptr_t>(text) & ~(ChunkBytes - 1));
}

// A few chunks whose texts are all gone, kept for the next chunk carved: their pages are in place
// already, where a new chunk's are cleared by the system when first written. A set read a block at
// a time frees and takes chunks all along.
class SpareChunks {
public:
    char* Take() {
        const std::lock_guard<std::mutex> hold(Lock);
        return Count > 0 ? Chunks[--Count] : nullptr;
    }
    bool Keep(char* chunk) {
        const std::lock_guard<std::mutex> hold(Lock);
        if (Count == Most)
            return false;
        Chunks[Count++] = chunk;
        return true;
    }

private:
    static constexpr int Most = 4;
    std::mutex Lock;
    char* Chunks[Most] = {};
    int Count = 0;
};

// Never destroyed: a text may be freed while the program ends.
SpareChunks& Spares() {
    static auto* spares = new SpareChunks;
    return *spares;
}

// A chunk starts at a multiple of its size, so that a text finds its chunk from its own address.
char* NewChunk() {
    char* chunk = Spares().Take();
    if (!chunk) {
        chunk = static_cast<char*>(pages::MapAligned(ChunkBytes));
        pages::PreferLarge(chunk, ChunkBytes);
    }
    new (chunk) ChunkHead();
    return chunk;
}

void Drop(char* chunk) {
    ChunkHead& head = HeadOf(chunk);
    if (head.Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        head.~ChunkHead();
        if (!Spares().Keep(chunk))
            pages::Unmap(chunk, ChunkBytes);
    }
}

// The chunk that this thread carves texts from. Plain data, so that a thread's end runs nothing for
// it: where a thread's own variables are freed before their destructors run (MinGW), a destructor
// would read freed memory. A thread that carves lets go of its chunk itself.
struct Carver {
    char* Chunk;
    std::size_t Used;
};
thread_local Carver ThisThread{nullptr, 0};
#endif

} // namespace

void* ReserveSlots(std::size_t bytes) {
    void* slots = pages::Map(bytes);
    // The first large page stays small pages, so that a small table takes little memory.
    if (bytes > 2 * LargePage)
        pages::PreferLarge(static_cast<char*>(slots) + LargePage, bytes - LargePage);
#ifdef TARVIK_LEAK_ROOTS
    __lsan_register_root_region(slots, bytes); // the leak checker looks for pointers here too
#endif
    return slots;
}

void ReleaseSlots(void* slots, std::size_t bytes) {
#ifdef TARVIK_LEAK_ROOTS
    __lsan_unregister_root_region(slots, bytes);
#endif
    pages::Unmap(slots, bytes);
}

#ifdef TARVIK_TEXT_CHUNKS
void* AllocateText(std::size_t bytes) {
    if (bytes > LargestChunkedText)
        return ::operator new(bytes);
    Carver& c = ThisThread;
    if (!c.Chunk || c.Used + bytes > ChunkBytes) {
        // When only this thread's own count is left, every text in the chunk is gone.
        if (c.Chunk && HeadOf(c.Chunk).Refs.load(std::memory_order_acquire) == 1) {
            c.Used = HeadBytes;
        } else {
            if (c.Chunk)
                Drop(c.Chunk);
            c.Chunk = nullptr;
            c.Chunk = NewChunk();
            c.Used = HeadBytes;
        }
    }
    HeadOf(c.Chunk).Refs.fetch_add(1, std::memory_order_relaxed);
    void* text = c.Chunk + c.Used;
    c.Used += bytes;
    return text;
}

void FreeText(void* text, std::size_t bytes) {
    if (bytes > LargestChunkedText) {
        ::operator delete(text);
        return;
    }
    Drop(ChunkOf(text));
}

void LetGoOfThreadTexts() {
    Carver& c = ThisThread;
    if (c.Chunk)
        Drop(c.Chunk);
    c = Carver{nullptr, 0};
}
#else
void* AllocateText(std::size_t bytes) {
    return ::operator new(bytes);
}
void FreeText(void* text, std::size_t) {
    ::operator delete(text);
}
void LetGoOfThreadTexts() {}
#endif

} // namespace memory

} // namespace tarvik
