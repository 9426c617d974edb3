// A fault ends its run by jumping over the run's frames, whose destructors never run: what they
// held is given up on purpose, so the leak check looks away while a test provokes one.
#pragma once
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define KOV_FAULT_LEAKS_OK __lsan::ScopedDisabler kov_fault_leaks_ok
#else
#define KOV_FAULT_LEAKS_OK (void)0
#endif
