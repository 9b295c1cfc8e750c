#include "HeldArray.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

void* AllocateHeld(size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Worth it from a few large pages on; smaller blocks come from the heap as they are.
  constexpr size_t kLargePage = size_t(2) << 20;
  if (bytes >= 2 * kLargePage) {
    const size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    if (void* p = std::aligned_alloc(kLargePage, rounded)) {
      // Only advice: where the kernel has no large pages the block works as any other.
      madvise(p, rounded, MADV_HUGEPAGE);
      return p;
    }
  }
#endif
  return std::malloc(bytes);
}
