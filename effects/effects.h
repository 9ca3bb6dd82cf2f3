// The effects library's public interface: include this one header to call
// any operation. Each family has its own header, listed here in family order;
// effect_common.h holds the ground rules (clamps, rounding, the program-wide
// random sequence) and registry.h the table of every operation.
//
// Pictures are PixelBitmap objects passed by reference; one-picture effects
// change them in place, two-picture effects take the source first and the
// destination second.
#pragma once

#include "effects/effect_common.h"
#include "effects/resampling.h"
#include "effects/noise_tone.h"
#include "effects/blur_mosaic.h"
#include "effects/radial_warp.h"
#include "effects/resize_rotate_tile.h"
#include "effects/wave_squeeze.h"
#include "effects/marble.h"
#include "effects/convolution.h"
#include "effects/channel_tone.h"
#include "effects/relief_trace.h"
#include "effects/flip_shadow.h"
#include "effects/shake_ripple.h"
#include "effects/composition.h"
#include "effects/seamless_texture.h"
#include "effects/button_mask.h"
#include "effects/registry.h"
