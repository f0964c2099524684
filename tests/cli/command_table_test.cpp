// The command table against what documents it: the manual page and --help.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cli/arguments.h"
#include "cli/command_table.h"

namespace tav::cli {
namespace {

using ::testing::HasSubstr;

// The text as roff writes it: every '-' as "\-".
std::string Roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '-') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string ManualPage() {
    std::ifstream in(TAV_MAN_DIR "/tavctl.1", std::ios::binary);
    EXPECT_TRUE(in) << TAV_MAN_DIR "/tavctl.1";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The manual page's entry for a command: from the ".TP" whose tag starts
// with the command's name in bold up to the next paragraph macro.
std::string ManualEntry(const std::string& page, std::string_view name) {
    const std::string tag = ".TP\n\\fB" + Roff(name);
    for (std::size_t at = page.find(tag); at != std::string::npos; at = page.find(tag, at + 1)) {
        const char next = page[at + tag.size()];
        if (next == ' ' || next == '\\') {
            const std::size_t end = page.find("\n.TP", at + 1);
            const std::size_t para = page.find("\n.PP", at + 1);
            return page.substr(at, std::min(end, para) - at);
        }
    }
    return {};
}

TEST(CommandTable, TheManualPageHasAnEntryForEveryCommandNamingItsOptions) {
    const std::string page = ManualPage();
    for (const Command& c : Commands()) {
        const std::string entry = ManualEntry(page, c.name);
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

// A command's --help names every option the command takes, with its value.
TEST(CommandTable, EachSynopsisNamesTheCommandsOptions) {
    for (const Command& c : Commands()) {
        EXPECT_EQ(c.synopsis.substr(0, c.name.size()), c.name);
        for (std::string_view option : c.options) {
            std::string expected(option);
            for (const OptionSpec& o : Options()) {
                if (o.name == option && !o.value.empty()) {
                    expected += ' ';
                    expected += o.value;
                }
            }
            EXPECT_THAT(std::string(c.synopsis), HasSubstr(expected)) << c.name;
        }
    }
}

}  // namespace
}  // namespace tav::cli
