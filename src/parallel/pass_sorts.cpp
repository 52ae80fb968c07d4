#include "algorithms/registry.h"
#include "parallel/thread_framework.h"

namespace mv {

void register_pass_sorts() {}

}  // namespace mv
