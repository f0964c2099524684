#include <io.h>
#include <windows.h>

#include <cstdio>

#include "console.h"
#include "qt_session.h"

namespace tav::cli {

std::tm LocalTime(std::time_t t) {
    std::tm local{};
    localtime_s(&local, &t);
    return local;
}

bool StandardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void ChooseGuiPlatform() {
    // The native platform lays out pages without showing a window.
}

}  // namespace tav::cli
