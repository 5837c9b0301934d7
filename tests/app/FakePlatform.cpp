#include "FakePlatform.h"
#include "TestEnv.h"

namespace qv::test {

QString FakePlatform::baseDirectory() { return baseDir(); }

} // namespace qv::test
