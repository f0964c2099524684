// The command table against what documents it: the manual page and --help.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cli/arguments.h"
#include "cli/command_table.h"
#include "tests/cli/manual_page.h"

namespace tav::cli {
namespace {

using ::testing::HasSubstr;

using test::Roff;

std::string ManualPage() {
    const std::string page = test::ManualPage("tavctl.1");
    EXPECT_FALSE(page.empty());
    return page;
}

// The manual page's entries for a command: from each ".TP" whose tag starts
// with the command's name in bold up to the next paragraph macro.
std::string ManualEntries(const std::string& page, std::string_view name) {
    const std::string tag = ".TP\n\\fB" + Roff(name);
    std::string entries;
    for (std::size_t at = page.find(tag); at != std::string::npos; at = page.find(tag, at + 1)) {
        const char next = page[at + tag.size()];
        if (next == ' ' || next == '\\') {
            const std::size_t end = page.find("\n.TP", at + 1);
            const std::size_t para = page.find("\n.PP", at + 1);
            entries += page.substr(at, std::min(end, para) - at);
        }
    }
    return entries;
}

TEST(CommandTable, TheManualPageHasAnEntryForEveryCommandNamingItsOptions) {
    const std::string page = ManualPage();
    for (const Command& c : Commands()) {
        const std::string entry = ManualEntries(page, c.name);
        ASSERT_FALSE(entry.empty()) << c.name << " has no entry in the manual page";
        for (std::string_view option : c.options) {
            EXPECT_THAT(entry, HasSubstr(Roff(option))) << c.name;
        }
    }
}

TEST(CommandTable, TheManualPageNamesEveryOption) {
    const std::string page = ManualPage();
    for (const OptionSpec& o : Options()) {
        EXPECT_THAT(page, HasSubstr(Roff(o.name)));
    }
}

// A command's --help names every option the command takes, with its value,
// and each is one tavctl parses.
TEST(CommandTable, EachSynopsisNamesTheCommandsOptions) {
    for (const Command& c : Commands()) {
        EXPECT_EQ(c.synopsis.substr(0, c.name.size()), c.name);
        for (std::string_view option : c.options) {
            std::string expected(option);
            bool known = false;
            for (const OptionSpec& o : Options()) {
                if (o.name == option) {
                    known = true;
                    if (!o.value.empty()) {
                        expected += ' ';
                        expected += o.value;
                    }
                }
            }
            EXPECT_TRUE(known) << c.name << " takes " << option << ", which tavctl does not know";
            EXPECT_THAT(std::string(c.synopsis), HasSubstr(expected)) << c.name;
        }
    }
}

}  // namespace
}  // namespace tav::cli
