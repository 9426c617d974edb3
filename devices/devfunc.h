// The serial-port functions of scripts (com_init, com_set, com_stat) and the library calls
// (dllcall, dllpcall): their handlers, bound into the built-in table at start.
#pragma once

class SCR_U;
struct FN_CALL;
struct FN_RET;

// Binds the handlers of this layer (idempotent).
void dev_install();

// com_init, com_set, com_stat on a port fopen opened; fopen told how "COM1" maps to a device.
int fn_com_init(SCR_U &s, const FN_CALL &c, FN_RET &r);
int fn_com_set(SCR_U &s, const FN_CALL &c, FN_RET &r);
int fn_com_stat(SCR_U &s, const FN_CALL &c, FN_RET &r);
void dev_com_install();

// dllcall and dllpcall: one handler (on Linux x86-64 there is one C calling convention).
int fn_dllcallX(SCR_U &s, const FN_CALL &c, FN_RET &r);
