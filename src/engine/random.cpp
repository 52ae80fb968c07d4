#include "engine/random.h"

namespace mv {

uint32_t random_seed = 0;

}  // namespace mv
