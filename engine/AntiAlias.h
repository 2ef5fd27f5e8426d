// The optional horizontal softening of the target surface before it is written.
#pragma once

#include "image/PictureRole.h"

namespace batchfit {

// When antiAlias is on, gives every pixel of TI, channel by channel, the mean
// of its left and right neighbours, column by column from the left, so each
// pixel already sees its left neighbour's new value. Outside neighbours read
// as white. Does nothing when antiAlias is off.
void antiAliasPass(bool antiAlias, PictureRole& TI);

}  // namespace batchfit
