// Included by every header of the shell. The shell sits on top of the core:
// a library below it that reaches up for the shell's state or steps does not
// compile (only what links the shell library sees BURNMARK_SHELL_LAYER).
#pragma once

#ifndef BURNMARK_SHELL_LAYER
#error "A library below the shell includes a shell header: its state and steps belong to its own subsystem."
#endif
