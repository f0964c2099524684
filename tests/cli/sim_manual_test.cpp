// The simulator's manual page names every option its --help lists.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tests/cli/manual_page.h"

namespace {

using tav::cli::test::Roff;

TEST(SimManualPage, NamesEveryOptionOfHelp) {
    std::string help;
    std::FILE* pipe = popen(TAV_SIM_PATH " --help", "r");
    ASSERT_NE(pipe, nullptr);
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) {
        help.append(buf, n);
    }
    ASSERT_EQ(pclose(pipe), 0);
    const std::string page = tav::cli::test::ManualPage("tav1000r-sim.1");

    const std::regex option(R"(\n  (--[a-z-]+))");
    int count = 0;
    for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) {
        ++count;
        EXPECT_THAT(page, ::testing::HasSubstr(Roff((*it)[1].str())));
    }
    EXPECT_GT(count, 10) << help;
}

}  // namespace
