#include <windows.h>

#include <cstdio>
#include <string>

#include "parent_console.h"

namespace tav::ui {

void PrintToCaller(std::string_view text) {
    // A file or a pipe given by the caller is used as it is.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;  // started from Explorer: nobody to tell
    }
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return;
    }
    // cmd does not wait for a window program and has shown its prompt
    // already: the answer starts on a line of its own.
    const std::string line = "\n" + std::string(text);
    std::wstring wide(line.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    CloseHandle(console);
}

}  // namespace tav::ui
