/*
 * faulty_platform.h: the platform's file calls, and its password
 * protection, with a fault on demand.
 *
 * The test program is linked with the linker's --wrap for the calls
 * below (tests/faults.cmake): every call from the product's modules goes
 * through a wrapper that counts it and, when armed, makes one fail the
 * way a full disk, a lost network share, a locked file or a data
 * protection the system refuses would.  The product's own objects stay
 * as they are.
 */
#ifndef KESTRUM_TESTS_FAULTY_PLATFORM_H
#define KESTRUM_TESTS_FAULTY_PLATFORM_H

enum FaultStep {
    FAULT_CREATE,       /* PlatFileCreate gives no file */
    FAULT_SHORT_WRITE,  /* PlatFileWrite succeeds with half the bytes written */
    FAULT_WRITE,        /* PlatFileWrite fails after writing half */
    FAULT_FLUSH,        /* PlatFileFlush fails */
    FAULT_REPLACE,      /* PlatFileReplace fails, nothing moved */
    FAULT_COPY,         /* PlatFileCopy fails, leaving an empty copy */
    FAULT_PROTECT,      /* PlatProtect fails, as the system's data protection can */
    FAULT_STEP_COUNT
};

/* The nth call (from 1) of step's function fails; 0 for none, -1 for
 * every call.  Both write steps count PlatFileWrite calls. */
void FaultArm(FaultStep step, int nth);
/* Disarms and sets every count to zero. */
void FaultReset();
/* Calls of step's function since the last reset. */
int FaultCalls(FaultStep step);

#endif
