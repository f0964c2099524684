// The tavctl examples in docs/*.md, run as they are written against the
// simulated receiver on a pty, their output compared with what the page
// shows, so the pages cannot drift from the program.
//
// How a page is read:
// - A fenced block whose info string is "console" is a transcript: each line
//   "$ COMMAND" (continued on the next line when it ends in "\") is run by
//   sh, and the lines up to the next "$ " are what it prints, standard output
//   and standard error together. The blocks of one page run in order, in one
//   fresh folder, with tavctl first on PATH, in English (LANG=C.UTF-8), no
//   terminal, against one simulated receiver whose memory starts all zeros.
// - "/dev/ttyUSB0" in a command is the simulated receiver's device, and its
//   device path in the output reads "/dev/ttyUSB0" again.
// - Time stamps in backup names (20261208-064119, and the -2 of a second
//   backup in the same second) compare equal whatever time they show, and
//   CR LF compares as LF (cat of a CSV file).
// - "console hardware" blocks are not run: they need a real adapter or a
//   person at the keyboard. Any other block that runs tavctl is an error, so
//   an example cannot escape the test by its fence.
// - <!-- example receiver: OPTIONS --> before a block gives the receiver, for
//   that block only, tav1000r-sim's --fault KIND:AT[:COUNT] and
//   --history-line TEXT.
// - <!-- example file: NAME --> before a block writes the block's text into
//   NAME in the folder, for the commands after it.
// - With TAV_DOCS_UPDATE=1 in the environment the test writes what the
//   commands printed into the page instead of comparing (for a new example,
//   or a message changed on purpose; read the page's diff before keeping it).
#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim/option_text.h"
#include "sim/receiver.h"
#include "tests/support/temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

constexpr const char* kShownDevice = "/dev/ttyUSB0";

struct Command {
    std::string text;
    std::string shown;  // the output the page shows
    int line = 0;       // in the page
    int lastLine = 0;   // of the command with its continuation lines
};

struct Block {
    std::string info;  // the fence's info string
    std::vector<std::string> lines;
    int line = 0;  // the fence's line in the page
    std::string receiverOptions;
    std::string fileName;
};

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    const auto last = s.find_last_not_of(" \t");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

std::vector<Block> ReadBlocks(const fs::path& page) {
    static const std::regex directive(R"(^<!-- example (receiver|file): (.*) -->$)");
    std::ifstream in(page);
    std::vector<Block> blocks;
    Block pending;
    bool inside = false;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::smatch m;
        if (!inside && std::regex_match(line, m, directive)) {
            (m[1] == "receiver" ? pending.receiverOptions : pending.fileName) = m[2];
        } else if (line.rfind("```", 0) == 0) {
            if (inside) {
                blocks.push_back(pending);
                pending = Block{};
            } else {
                pending.info = Trim(line.substr(3));
                pending.line = number;
            }
            inside = !inside;
        } else if (inside) {
            pending.lines.push_back(line);
        }
    }
    return blocks;
}

std::vector<Command> Transcript(const Block& block) {
    std::vector<Command> commands;
    bool continued = false;
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        const std::string& line = block.lines[i];
        const int number = block.line + 1 + static_cast<int>(i);
        if (continued) {
            commands.back().text += "\n" + line;
            commands.back().lastLine = number;
        } else if (line.rfind("$ ", 0) == 0) {
            commands.push_back({line.substr(2), "", number, number});
        } else if (!commands.empty()) {
            commands.back().shown += line + "\n";
        } else {
            ADD_FAILURE() << "line " << number << ": output before the first command";
        }
        continued = !line.empty() && line.back() == '\\';
    }
    return commands;
}

bool RunsTavctl(const Block& block) {
    return std::any_of(block.lines.begin(), block.lines.end(), [](const std::string& l) {
        const std::string t = Trim(l);
        return t.rfind("tavctl ", 0) == 0 || t.rfind("$ tavctl ", 0) == 0;
    });
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos;
         at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// What is compared: time stamps of backup names (with a same-second -N)
// made equal, CR LF as LF.
std::string Comparable(const std::string& text) {
    static const std::regex stamp(R"(\b20[0-9]{6}-[0-9]{6}(-[0-9]+)?\b)");
    return Replace(std::regex_replace(text, stamp, "YYYYMMDD-HHMMSS"), "\r\n", "\n");
}

// Words as a shell splits them, for the receiver directive ("..." quotes).
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> std::quoted(w);) {
        words.push_back(w);
    }
    return words;
}

// Sets the receiver up as the directive says; false (with a failure) when it
// names something this test does not know.
bool SetUpReceiver(sim::PtyReceiver& receiver, const std::string& options) {
    const std::vector<std::string> words = Words(options);
    std::vector<std::string> history;
    for (std::size_t i = 0; i < words.size(); ++i) {
        sim::Fault fault{sim::FaultKind::BadChecksumAtRecord};
        if (words[i] == "--fault" && i + 1 < words.size() &&
            sim::ParseFault(words[i + 1], &fault)) {
            receiver.InjectFault(fault);
            ++i;
        } else if (words[i] == "--history-line" && i + 1 < words.size()) {
            history.push_back(words[++i]);
        } else {
            ADD_FAILURE() << "unknown receiver option in the page: " << words[i];
            return false;
        }
    }
    receiver.SetHistory(history);
    return true;
}

// Runs the commands in one sh, each one's output after a line of its own,
// the exit status carried from one command to the next ($?).
std::vector<std::string> RunTranscript(const std::vector<Command>& commands, const fs::path& folder,
                                       const std::string& device) {
    constexpr char kSeparator[] = "\x1e--next--\x1e";
    std::ostringstream script;
    script << "cd '" << folder.string() << "' || exit 99\n";
    for (const Command& c : commands) {
        script << "__status=$?; printf '%s\\n' '" << kSeparator << "'; (exit $__status)\n"
               << Replace(c.text, kShownDevice, device) << "\n";
    }
    const fs::path file = folder / ".examples.sh";
    std::ofstream(file) << script.str();
    std::string output;
    if (std::FILE* p = popen(("sh '" + file.string() + "' </dev/null 2>&1").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) {
            output.append(buf, n);
        }
        pclose(p);
    }
    fs::remove(file);
    std::vector<std::string> outputs;
    const std::string separator = std::string(kSeparator) + "\n";
    for (std::size_t at = output.find(separator); at != std::string::npos;) {
        const std::size_t start = at + separator.size();
        at = output.find(separator, start);
        outputs.push_back(Replace(output.substr(start, at - start), device, kShownDevice));
    }
    return outputs;
}

class DocsExamples : public ::testing::TestWithParam<std::string> {
  protected:
    static void SetUpTestSuite() {
        // tavctl first on PATH, speaking English whoever runs the test.
        const std::string dir = fs::path(TAVCTL_PATH).parent_path().string();
        setenv("PATH", (dir + ":" + getenv("PATH")).c_str(), 1);
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            unsetenv(name);
        }
        setenv("LANG", "C.UTF-8", 1);
    }
};

// The page's lines with each command's shown output replaced by `outputs`.
void WriteOutputs(const fs::path& page,
                  const std::vector<std::pair<Command, std::string>>& outputs) {
    std::vector<std::string> lines;
    {
        std::ifstream in(page);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
    }
    // From the bottom, so that the line numbers above stay right.
    for (auto it = outputs.rbegin(); it != outputs.rend(); ++it) {
        const Command& c = it->first;
        const auto shownLines = static_cast<int>(std::count(c.shown.begin(), c.shown.end(), '\n'));
        std::vector<std::string> now;
        std::istringstream in(Replace(it->second, "\r\n", "\n"));
        for (std::string line; std::getline(in, line);) {
            now.push_back(line);
        }
        const auto from = lines.begin() + c.lastLine;
        lines.insert(lines.erase(from, from + shownLines), now.begin(), now.end());
    }
    std::ofstream out(page);
    for (const std::string& line : lines) {
        out << line << '\n';
    }
}

TEST_P(DocsExamples, RunAsShown) {
    const fs::path page = fs::path(TAV_DOCS_DIR) / GetParam();
    const bool update = getenv("TAV_DOCS_UPDATE") != nullptr;
    std::vector<std::pair<Command, std::string>> printed;
    testsupport::TempFolder folder{"docs-examples"};
    sim::PtyReceiver receiver;
    std::string error;
    ASSERT_TRUE(receiver.Start(&error)) << error;
    for (const Block& block : ReadBlocks(page)) {
        SCOPED_TRACE(GetParam() + ":" + std::to_string(block.line));
        if (!block.fileName.empty()) {
            std::ofstream out(folder.path() / block.fileName, std::ios::binary);
            for (const std::string& line : block.lines) {
                out << line << '\n';
            }
        }
        if (block.info == "console hardware") {
            continue;
        }
        if (block.info != "console") {
            EXPECT_FALSE(RunsTavctl(block))
                << "a tavctl example in a '" << block.info
                << "' block: make it a console block (or console hardware)";
            continue;
        }
        if (!SetUpReceiver(receiver, block.receiverOptions)) {
            continue;
        }
        const std::vector<Command> commands = Transcript(block);
        const std::vector<std::string> outputs =
            RunTranscript(commands, folder.path(), receiver.DevicePath());
        ASSERT_EQ(outputs.size(), commands.size()) << "the shell ended early";
        for (std::size_t i = 0; i < commands.size() && update; ++i) {
            printed.emplace_back(commands[i], outputs[i]);
        }
        for (std::size_t i = 0; i < commands.size() && !update; ++i) {
            EXPECT_EQ(Comparable(outputs[i]), Comparable(commands[i].shown))
                << "line " << commands[i].line << ": $ " << commands[i].text;
        }
        receiver.ClearFaults();
        receiver.SetHistory({});
    }
    if (update && !printed.empty()) {
        WriteOutputs(page, printed);
    }
}

std::vector<std::string> Pages() {
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(TAV_DOCS_DIR)) {
        if (entry.path().extension() == ".md") {
            pages.push_back(entry.path().filename().string());
        }
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

INSTANTIATE_TEST_SUITE_P(Pages, DocsExamples, ::testing::ValuesIn(Pages()), [](const auto& info) {
    std::string name = info.param.substr(0, info.param.size() - 3);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
}  // namespace tav
