#include <unistd.h>

#include "tests/support/ordinary_user.h"

namespace tav::testsupport {

namespace {
constexpr uid_t kNobody = 65534;
}

OrdinaryUserScope::OrdinaryUserScope() : root_(::geteuid() == 0) {
    if (root_) {
        EXPECT_EQ(::setegid(kNobody), 0);
        EXPECT_EQ(::seteuid(kNobody), 0);
    }
}

OrdinaryUserScope::~OrdinaryUserScope() {
    if (root_) {
        EXPECT_EQ(::seteuid(0), 0);
        EXPECT_EQ(::setegid(0), 0);
    }
}

}  // namespace tav::testsupport
