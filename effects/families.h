// The rows each family file contributes to the registry (registry.cpp joins
// them). A new family adds one declaration here and one line in registry.cpp.
#pragma once

#include <vector>

#include "effects/registry.h"

namespace gleamkit::fx {

std::vector<Operation> NoiseToneOperations();

} // namespace gleamkit::fx
