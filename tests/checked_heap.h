/*
 * checked_heap.h: the Windows test programs' heap (checked_heap.cpp),
 * which holds freed blocks back filled with a pattern and fails the
 * test after which one of them no longer holds it.
 */
#ifndef KESTRUM_TESTS_CHECKED_HEAP_H
#define KESTRUM_TESTS_CHECKED_HEAP_H

/* Checks every held block now; the faults found since the last call
 * (a written freed block, a double free). */
int CheckedHeapFaults(void);
/* A description of the first of them. */
const char *CheckedHeapFirstFault(void);

#endif
