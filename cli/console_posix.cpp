#include <stdlib.h>
#include <unistd.h>

#include "console.h"
#include "qt_session.h"
#include "translation.h"

namespace tav::cli {

std::tm LocalTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool WriteText(std::FILE* out, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

std::string PortOptionHelp() {
    return Tr(
        Tavctl::tr("PORT: COM1..COM255 (as the window maps them to serial devices: COMn is the\n"
                   "n-th serial device present) or a device path such as /dev/ttyUSB0.\n"
                   "'tavctl ports' lists them. Default: COM1.\n"));
}

void ChooseGuiPlatform() {
    // No display is needed to lay out a PDF; a display that is there goes
    // unused.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

}  // namespace tav::cli
