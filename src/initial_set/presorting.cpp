#include "engine/element_set.h"
#include "initial_set/initial_set.h"

namespace mv {

bool presorting_implemented(int method) { return method == 0; }

void apply_presorting(int method) {
  switch (method) {
    case 0:  // no / without
    default:
      break;
  }
}

}  // namespace mv
