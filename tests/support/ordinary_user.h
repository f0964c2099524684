// Running part of a test with the rights of an ordinary user.
#pragma once

#include <gtest/gtest.h>

namespace tav::testsupport {

// While it lives, the effective ids are those of "nobody" when the tests run
// as root (the usual run on Linux), so that modes, read-only folders and
// TIOCEXCL apply; as any other user, and on Windows, nothing changes.
class OrdinaryUserScope {
  public:
    OrdinaryUserScope();
    ~OrdinaryUserScope();
    OrdinaryUserScope(const OrdinaryUserScope&) = delete;
    OrdinaryUserScope& operator=(const OrdinaryUserScope&) = delete;

  private:
    bool root_ = false;
};

// Runs `body` as an ordinary user and gives back what it returns.
template <typename Body>
decltype(auto) AsOrdinaryUser(Body body) {
    const OrdinaryUserScope scope;
    return body();
}

}  // namespace tav::testsupport
