// console_text PROGRAM [ARG...]: runs PROGRAM in a console of its own (the
// console a user's cmd would give it) and prints, as UTF-8 on the standard
// output it was given, the text that console then shows: what the user would
// read, Polish letters included. Exit code: PROGRAM's, or 100 + a step that
// failed. Needs a display under Wine (the console is a window).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    const HANDLE result = GetStdHandle(STD_OUTPUT_HANDLE);
    FreeConsole();
    if (!AllocConsole()) {
        return 101;
    }
    std::wstring command;
    for (int i = 1; i < argc; ++i) {
        command += (i > 1 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    }
    // Standard handles left out: the program's are the console's.
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &start, &process)) {
        return 102;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(console, &info)) {
        return 103;
    }
    std::string text;
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(console, line.data(), info.dwSize.X, COORD{0, y}, &read);
        line.resize(read);
        line.erase(line.find_last_not_of(L' ') + 1);
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                             nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(),
                            size, nullptr, nullptr);
        text += utf8 + "\n";
    }
    DWORD written = 0;
    WriteFile(result, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return static_cast<int>(exitCode);
}
