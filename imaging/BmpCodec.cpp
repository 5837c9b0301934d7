// Placeholder until the codec lands in the next commit.
#include "BmpCodec.h"
