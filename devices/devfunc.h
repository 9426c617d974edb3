// The serial-port functions of scripts (com_init, com_set, com_stat) and the library calls
// (dllcall, dllpcall): their handlers, bound into the built-in table at start.
#pragma once

class SCR_U;
struct FN_CALL;
struct FN_RET;

// Binds the handlers of this layer (idempotent).
void dev_install();

// dllcall and dllpcall: one handler (on Linux x86-64 there is one C calling convention).
int fn_dllcallX(SCR_U &s, const FN_CALL &c, FN_RET &r);
