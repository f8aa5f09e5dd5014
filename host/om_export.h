// OM_EXPORT marks a function as part of the module's C interface: unmangled
// name, default visibility. Everything else is built hidden, so a glue function
// or entry point without it would silently vanish from the module.
#pragma once

#define OM_EXPORT extern "C" __attribute__((visibility("default")))
