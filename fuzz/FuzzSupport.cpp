#include "FuzzSupport.h"
#include "TBigBitmap.h"

namespace qv::fuzz {

void limitPictures() { setPictureByteBudget(kFuzzPictureBytes); }

} // namespace qv::fuzz
