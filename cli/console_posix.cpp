#include <stdlib.h>
#include <unistd.h>

#include "console.h"
#include "qt_session.h"

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

void ChooseGuiPlatform() {
    // No display is needed to lay out a PDF; a display that is there goes
    // unused.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

}  // namespace tav::cli
