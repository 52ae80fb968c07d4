#include "algorithms/registry.h"
#include "parallel/thread_framework.h"

namespace mv {

void register_bitonic_range_splitting_sorts() {}

}  // namespace mv
