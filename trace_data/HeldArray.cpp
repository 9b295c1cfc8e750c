#include "HeldArray.h"

void* AllocateHeld(size_t bytes) { return std::malloc(bytes); }
