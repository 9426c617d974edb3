// The serial-port functions of scripts (com_init, com_set, com_stat) and the library calls
// (dllcall, dllpcall): their handlers, bound into the built-in table at start.
#pragma once

// Binds the handlers of this layer (idempotent).
void dev_install();
