#include <windows.h>

#include <cstdio>
#include <string>

#include "parent_console.h"

namespace tav::ui {

namespace {

// UTF-8 text into a console as wide text, which the console shows whatever
// its code page.
void WriteToConsole(HANDLE console, std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

void PrintToCaller(std::string_view text) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        if (GetConsoleMode(out, &mode)) {
            // A console handed down as standard output.
            WriteToConsole(out, text);
            return;
        }
        // A file or a pipe given by the caller is used as it is: UTF-8.
        if (GetFileType(out) != FILE_TYPE_UNKNOWN) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
            return;
        }
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
    WriteToConsole(console, "\n" + std::string(text));
    CloseHandle(console);
}

}  // namespace tav::ui
