#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "console.h"
#include "qt_session.h"
#include "translation.h"

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

bool WriteText(std::FILE* out, std::string_view text) {
    const HANDLE console = out == stdout   ? GetStdHandle(STD_OUTPUT_HANDLE)
                           : out == stderr ? GetStdHandle(STD_ERROR_HANDLE)
                                           : INVALID_HANDLE_VALUE;
    DWORD mode = 0;
    if (console == nullptr || console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) {
        return std::fwrite(text.data(), 1, text.size(), out) == text.size();
    }
    // What went through the C runtime first comes first.
    std::fflush(out);
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size)));
    DWORD written = 0;
    return wide.empty() || (WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()),
                                          &written, nullptr) != 0 &&
                            written == wide.size());
}

std::string PortOptionHelp() {
    return Tr(
        Tavctl::tr("PORT: COMn, n from 1 to 255 (COM3, com17, \\\\.\\COM17), or a device path.\n"
                   "'tavctl ports' lists the ports there are. Default: COM1.\n"));
}

void ChooseGuiPlatform() {
    // The native platform lays out pages without showing a window.
}

}  // namespace tav::cli
