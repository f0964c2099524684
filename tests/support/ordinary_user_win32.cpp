// Windows: a test program runs with the rights it was started with.
#include "tests/support/ordinary_user.h"

namespace tav::testsupport {

OrdinaryUserScope::OrdinaryUserScope() = default;
OrdinaryUserScope::~OrdinaryUserScope() = default;

}  // namespace tav::testsupport
