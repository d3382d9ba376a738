/*
 * checked_heap.cpp: the Windows test programs' heap, wrapped at link
 * time around the platform's heap calls (see checked_heap.cmake).
 *
 * The Windows build has no address sanitizer, and Wine's heap does not
 * notice a write to a freed block.  Here a freed block is filled with a
 * pattern and held back; a block leaves the hold only after many later
 * frees, and is checked then.  After every test the whole hold is
 * checked, so a write after free fails the test that made it.
 */
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include "checked_heap.h"

/* --wrap works on linker symbols: the mangled names of the calls. */
#ifdef _WIN64
#define HEAP_ALLOC _Z13PlatHeapAllocy
#define HEAP_REALLOC _Z15PlatHeapReallocPvy
#else
#define HEAP_ALLOC _Z13PlatHeapAllocj
#define HEAP_REALLOC _Z15PlatHeapReallocPvj
#endif
#define HEAP_FREE _Z12PlatHeapFreePv
#define JOIN(a, b) a##b
#define WRAP(name) JOIN(__wrap_, name)
#define REAL(name) JOIN(__real_, name)

extern "C" void *REAL(HEAP_ALLOC)(size_t bytes);
extern "C" void REAL(HEAP_FREE)(void *block);
extern "C" void *WRAP(HEAP_ALLOC)(size_t bytes);
extern "C" void *WRAP(HEAP_REALLOC)(void *block, size_t bytes);
extern "C" void WRAP(HEAP_FREE)(void *block);

namespace {

const unsigned LiveMagic = 0x4B4C4956u;     /* "VILK" */
const unsigned FreedMagic = 0x4B455246u;
const unsigned char Pattern = 0xDD;
const int HoldBlocks = 4096;
const size_t HoldBytes = 16u << 20;

/* In front of every block; keeps the block's own alignment. */
struct alignas(16) Header {
    size_t Bytes;
    unsigned Magic;
};

Header *Hold[HoldBlocks];
int HoldNext, HoldCount;
size_t HeldBytes;
int Corrupted;
char FirstFault[160];
CRITICAL_SECTION Lock;
bool LockReady;

void Enter()
{
    /* first use may come before any static constructor has run */
    if (!LockReady) {
        InitializeCriticalSection(&Lock);
        LockReady = true;
    }
    EnterCriticalSection(&Lock);
}

unsigned char *Body(Header *h)
{
    return (unsigned char *)(h + 1);
}

/* True when the held block still holds its pattern; a fault is noted
 * once and the pattern put back, so that it is reported once. */
bool CheckHeld(Header *h)
{
    unsigned char *p = Body(h);
    for (size_t i = 0; i < h->Bytes; i++)
        if (p[i] != Pattern) {
            if (!Corrupted++)
                snprintf(FirstFault, sizeof FirstFault,
                         "a freed block of %u bytes was written at offset %u (0x%02X)", (unsigned)h->Bytes,
                         (unsigned)i, p[i]);
            memset(p, Pattern, h->Bytes);
            return false;
        }
    if (h->Magic != FreedMagic) {
        if (!Corrupted++)
            snprintf(FirstFault, sizeof FirstFault, "the header of a freed block was overwritten");
        h->Magic = FreedMagic;
        return false;
    }
    return true;
}

void Release(Header *h)
{
    CheckHeld(h);
    HeldBytes -= h->Bytes;
    REAL(HEAP_FREE)(h);
}

void Free(void *block)
{
    Header *h = (Header *)block - 1;
    if (h->Magic != LiveMagic) {
        if (!Corrupted++)
            snprintf(FirstFault, sizeof FirstFault,
                     h->Magic == FreedMagic ? "a block was freed twice" : "a block not from this heap was freed");
        return;
    }
    h->Magic = FreedMagic;
    memset(Body(h), Pattern, h->Bytes);
    while (HoldCount && (HoldCount == HoldBlocks || HeldBytes + h->Bytes > HoldBytes)) {
        Release(Hold[(HoldNext - HoldCount + HoldBlocks) % HoldBlocks]);
        HoldCount--;
    }
    Hold[HoldNext] = h;
    HoldNext = (HoldNext + 1) % HoldBlocks;
    HoldCount++;
    HeldBytes += h->Bytes;
}

/* Fails the test that just ended when a held block was written. */
struct HeapCheck : ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        int faults = CheckedHeapFaults();
        if (faults)
            ADD_FAILURE() << "checked heap: " << faults << " fault(s); first: " << CheckedHeapFirstFault();
    }
};

/* Installed before main: gtest_main owns main. */
struct Installer {
    Installer() { ::testing::UnitTest::GetInstance()->listeners().Append(new HeapCheck); }
} Installed;

}

extern "C" void *WRAP(HEAP_ALLOC)(size_t bytes)
{
    Header *h = (Header *)REAL(HEAP_ALLOC)(sizeof(Header) + bytes);
    if (!h)
        return NULL;
    h->Bytes = bytes;
    h->Magic = LiveMagic;
    return h + 1;
}

/* Always moves the block, so that the old place is held like any other
 * freed block: a pointer kept across a growth is caught too. */
extern "C" void *WRAP(HEAP_REALLOC)(void *block, size_t bytes)
{
    void *fresh = WRAP(HEAP_ALLOC)(bytes);
    if (!fresh)
        return NULL;
    Header *old = (Header *)block - 1;
    memcpy(fresh, block, old->Bytes < bytes ? old->Bytes : bytes);
    WRAP(HEAP_FREE)(block);
    return fresh;
}

extern "C" void WRAP(HEAP_FREE)(void *block)
{
    Enter();
    Free(block);
    LeaveCriticalSection(&Lock);
}

int CheckedHeapFaults(void)
{
    Enter();
    for (int i = 0; i < HoldCount; i++)
        CheckHeld(Hold[(HoldNext - 1 - i + HoldBlocks) % HoldBlocks]);
    int faults = Corrupted;
    Corrupted = 0;
    LeaveCriticalSection(&Lock);
    return faults;
}

const char *CheckedHeapFirstFault(void)
{
    return FirstFault;
}
