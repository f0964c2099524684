// Running part of a test with the rights of an ordinary user.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

namespace tav::testsupport {

// While it lives, the effective ids are those of "nobody" when the tests run
// as root (the usual run), so that modes, read-only folders and TIOCEXCL
// apply; as any other user nothing changes.
class OrdinaryUserScope {
  public:
    OrdinaryUserScope() : root_(::geteuid() == 0) {
        if (root_) {
            EXPECT_EQ(::setegid(kNobody), 0);
            EXPECT_EQ(::seteuid(kNobody), 0);
        }
    }
    ~OrdinaryUserScope() {
        if (root_) {
            EXPECT_EQ(::seteuid(0), 0);
            EXPECT_EQ(::setegid(0), 0);
        }
    }
    OrdinaryUserScope(const OrdinaryUserScope&) = delete;
    OrdinaryUserScope& operator=(const OrdinaryUserScope&) = delete;

  private:
    static constexpr uid_t kNobody = 65534;
    bool root_;
};

// Runs `body` as an ordinary user and gives back what it returns.
template <typename Body>
decltype(auto) AsOrdinaryUser(Body body) {
    const OrdinaryUserScope scope;
    return body();
}

}  // namespace tav::testsupport
