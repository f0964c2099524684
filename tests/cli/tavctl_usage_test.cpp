// tavctl's command line: usage errors, help, version, and the user's language.
#include "tests/cli/tavctl_fixture.h"

namespace tav::tavctl_test {
namespace {

class TavctlUsage : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(TavctlUsage, ExitsWithTwo) {
    const Result r = Tavctl(GetParam());
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_THAT(r.err, StartsWith("tavctl: "));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TavctlUsage,
    ::testing::Values(
        std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
        std::vector<std::string>{"read-all"},
        std::vector<std::string>{"read-remote", "0", "--image", "x.tv2"},
        std::vector<std::string>{"read-remote", "--image", "x.tv2"},
        std::vector<std::string>{"--port", "LPT1", "version"},
        std::vector<std::string>{"monitor", "--duration", "soon"},
        std::vector<std::string>{"erase", "--image", "x.tv2"},
        std::vector<std::string>{"version", "--port"},
        std::vector<std::string>{"write-display", "--image", "x.tv2", "--backup-full"},
        std::vector<std::string>{"read-all", "--image", "x.tv2", "--verify"},
        std::vector<std::string>{"write-scenarios", "--image", "x.tv2", "--only-changed", "y.tv2"},
        std::vector<std::string>{"diff", "a.tv2"},
        std::vector<std::string>{"remotes", "list", "a.tv2"},
        std::vector<std::string>{"remotes", "export", "a.tv2"},
        std::vector<std::string>{"ports", "extra"}));

TEST(TavctlHelp, ForTheToolAndItsCommands) {
    for (const char* command : {"", "version", "read-remote", "update-firmware", "monitor", "show",
                                "write-all", "diff", "remotes", "ports"}) {
        std::vector<std::string> args = {"--help"};
        if (*command != '\0') {
            args.insert(args.begin(), command);
        }
        const Result r = Tavctl(args);
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_THAT(r.out, StartsWith("Usage: tavctl ")) << command;
    }
}

TEST(TavctlVersion, PrintsTheVersion) {
    const Result r = Tavctl({"--version"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, StartsWith("tavctl 1."));
    EXPECT_EQ(Tavctl({"show", "--version"}).status, 2);
}

// tavctl's own words follow the user's language; the receiver's stay as they
// are; the English ones are as they always were.
TEST(TavctlLanguage, MessagesInTheUsersLanguage) {
    const struct {
        const char* variable;
        const char* value;
        std::vector<std::string> args;
        int status;
        std::string says;  // on standard error, or standard output for --help
    } rows[] = {
        {"LANG",
         "C.UTF-8",
         {"frobnicate"},
         2,
         "tavctl: unknown command frobnicate\nTry 'tavctl --help'.\n"},
        {"LANG",
         "pl_PL.UTF-8",
         {"frobnicate"},
         2,
         "tavctl: nieznane polecenie frobnicate\nSpróbuj 'tavctl --help'.\n"},
        {"LANGUAGE",
         "pl",
         {"erase", "extra"},
         2,
         "tavctl: erase: nieoczekiwany argument extra\nSpróbuj 'tavctl erase --help'.\n"},
        {"LC_ALL",
         "en_US.UTF-8",
         {"--port", "/nonexistent/tty", "version"},
         1,
         "Błąd: Niewłaściwa nazwa portu lub port jest aktywny.\n"
         "tavctl: cannot open /nonexistent/tty: No such file or directory\n"},
        {"LC_MESSAGES",
         "pl_PL",
         {"--port", "/nonexistent/tty", "version"},
         1,
         "Błąd: Niewłaściwa nazwa portu lub port jest aktywny.\n"
         "tavctl: nie można otworzyć /nonexistent/tty: No such file or directory\n"},
        {"LANG", "pl_PL.UTF-8", {"--help"}, 0, "Użycie: tavctl [--port PORT] POLECENIE"},
        {"LANG", "pl_PL.UTF-8", {"erase", "--help"}, 0, "Na terminalu najpierw pyta"},
        {"LANG", "de_DE.UTF-8", {"--help"}, 0, "Usage: tavctl [--port PORT] COMMAND"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.variable) + "=" + row.value);
        const Result r = Child(row.args, false, Language(row.variable, row.value)).Finish();
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.status == 0) {
            EXPECT_THAT(r.out, HasSubstr(row.says));
        } else {
            EXPECT_EQ(r.err, row.says);
        }
    }
}

// The question is asked in the user's language and answered in it: "t" is
// yes in Polish, and no in English.
TEST_F(TavctlTest, EraseAnsweredTak) {
    const struct {
        const char* lang;
        const char* answer;
        const char* question;
        bool erased;
    } rows[] = {
        {"pl_PL.UTF-8", "t\n", "Skasować całą pamięć odbiornika? Wszystkie piloty", true},
        {"pl_PL.UTF-8", "Tak\n", "[t/N]", true},
        {"pl_PL.UTF-8", "n\n", "[t/N]", false},
        {"C.UTF-8", "t\n", "Erase the receiver's whole memory? Every remote", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lang) + " " + row.answer);
        sim_.SetMemory(PatternImage(1));
        sim_.ClearTraffic();
        Child child(Dev({"erase"}), true, Language("LANG", row.lang));
        child.Type(row.answer);
        const Result r = child.Finish();
        EXPECT_EQ(r.status, row.erased ? 0 : 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr(row.question));
        if (!row.erased) {
            EXPECT_THAT(r.err, HasSubstr(std::string(row.lang)[0] == 'p' ? "nic nie skasowano"
                                                                         : "nothing was erased"));
        }
        ASSERT_TRUE(sim_.WaitUntilSettled(50ms, 5s));
        EXPECT_EQ(sim_.Memory() != PatternImage(1), row.erased);
    }
}

}  // namespace
}  // namespace tav::tavctl_test
