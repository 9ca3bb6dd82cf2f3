// The rows each family file contributes to the registry (registry.cpp joins
// them). A new family adds one declaration here and one line in registry.cpp.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "effects/registry.h"

namespace gleamkit::fx {

std::vector<Operation> ResamplingOperations();
std::vector<Operation> NoiseToneOperations();
std::vector<Operation> BlurMosaicOperations();
std::vector<Operation> RadialWarpOperations();
std::vector<Operation> ResizeRotateTileOperations();
std::vector<Operation> WaveSqueezeOperations();
std::vector<Operation> MarbleOperations();
std::vector<Operation> ConvolutionOperations();
std::vector<Operation> ChannelToneOperations();
std::vector<Operation> ReliefTraceOperations();
std::vector<Operation> FlipShadowOperations();
std::vector<Operation> ShakeRippleOperations();
std::vector<Operation> CompositionOperations();
std::vector<Operation> SeamlessTextureOperations();
std::vector<Operation> ButtonMaskOperations();

// Position of a ResamplingFilters row given by its name ("Lanczos3") or its
// position as decimal text; -1 when there is none. Defined by the resampling
// family, which also makes ParseArg read Filter arguments through it.
int32_t ResamplingFilterIndex(std::string_view nameOrIndex);

} // namespace gleamkit::fx
