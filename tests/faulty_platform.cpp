/*
 * faulty_platform.cpp: wrappers of the platform's file calls that fail
 * on demand (see faulty_platform.h).
 *
 * --wrap works on linker symbols, so the wrappers carry the mangled
 * names of the calls they stand for; a changed signature no longer links.
 */
#include "faulty_platform.h"

#include "../core/platform.h"

#define WRAPPED(ret, name, mangled, params)                        \
    extern "C" ret __real_##mangled params;                        \
    extern "C" ret __wrap_##mangled params;                        \
    static ret (*const Real##name) params = __real_##mangled;

WRAPPED(PlatFile, Create, _Z14PlatFileCreatePKw, (const wchar_t *path))
WRAPPED(bool, Write, _Z13PlatFileWriteP11PlatFileRecPKvjPj,
        (PlatFile f, const void *buf, uint32_t bytes, uint32_t *written))
WRAPPED(bool, Flush, _Z13PlatFileFlushP11PlatFileRec, (PlatFile f))
WRAPPED(bool, Replace, _Z15PlatFileReplacePKwS0_, (const wchar_t *from, const wchar_t *to))
WRAPPED(bool, Copy, _Z12PlatFileCopyPKwS0_, (const wchar_t *from, const wchar_t *to))
WRAPPED(bool, Protect, _Z11PlatProtectPKvjPPhPj,
        (const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes))

static int Calls[FAULT_STEP_COUNT];
static FaultStep ArmedStep;
static int ArmedCall;
/* A copy made of the calls below is one step, not several. */
static bool Copying;

void FaultArm(FaultStep step, int nth)
{
    ArmedStep = step;
    ArmedCall = nth;
}

void FaultReset()
{
    for (int i = 0; i < FAULT_STEP_COUNT; i++)
        Calls[i] = 0;
    ArmedCall = 0;
}

int FaultCalls(FaultStep step)
{
    return Calls[step == FAULT_SHORT_WRITE ? FAULT_WRITE : step];
}

/* Counts a call of counted's function; true when this one is to fail
 * as armed (one of the steps that count it). */
static bool Fails(FaultStep counted, FaultStep armed, FaultStep alsoArmed)
{
    if (Copying)
        return false;
    Calls[counted]++;
    return ArmedCall != 0 && (ArmedStep == armed || ArmedStep == alsoArmed) &&
           (ArmedCall < 0 || Calls[counted] == ArmedCall);
}

static bool Fails(FaultStep step)
{
    return Fails(step, step, step);
}

extern "C" PlatFile __wrap__Z14PlatFileCreatePKw(const wchar_t *path)
{
    return Fails(FAULT_CREATE) ? NULL : RealCreate(path);
}

extern "C" bool __wrap__Z13PlatFileWriteP11PlatFileRecPKvjPj(PlatFile f, const void *buf, uint32_t bytes,
                                                              uint32_t *written)
{
    if (!Fails(FAULT_WRITE, FAULT_WRITE, FAULT_SHORT_WRITE))
        return RealWrite(f, buf, bytes, written);
    RealWrite(f, buf, bytes / 2, written);
    return ArmedStep == FAULT_SHORT_WRITE;
}

extern "C" bool __wrap__Z13PlatFileFlushP11PlatFileRec(PlatFile f)
{
    bool fails = Fails(FAULT_FLUSH);
    return RealFlush(f) && !fails;
}

extern "C" bool __wrap__Z15PlatFileReplacePKwS0_(const wchar_t *from, const wchar_t *to)
{
    return !Fails(FAULT_REPLACE) && RealReplace(from, to);
}

extern "C" bool __wrap__Z12PlatFileCopyPKwS0_(const wchar_t *from, const wchar_t *to)
{
    if (!Fails(FAULT_COPY)) {
        Copying = true;
        bool copied = RealCopy(from, to);
        Copying = false;
        return copied;
    }
    /* a copy cut off at once: the target made, nothing in it */
    PlatFile f = RealCreate(to);
    if (f)
        PlatFileClose(f);
    return false;
}

extern "C" bool __wrap__Z11PlatProtectPKvjPPhPj(const void *data, uint32_t bytes, uint8_t **out,
                                                uint32_t *outBytes)
{
    return !Fails(FAULT_PROTECT) && RealProtect(data, bytes, out, outBytes);
}
