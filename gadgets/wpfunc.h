// The part functions of formulas (wp, wpPUSH, ...), the gadget methods (call) and the array
// windows (win_*): their handlers, bound into the built-in table at start.
#pragma once

// Binds the handlers of this layer (idempotent).
void wp_install();
