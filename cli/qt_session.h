// tavctl's Qt application object: a plain core application for every command
// (translations need one), replaced by a GUI application for a command that
// lays out printed pages (fonts need one).
#pragma once

#include <memory>

class QCoreApplication;

namespace tav::cli {

// The core application while it lives; one, made before anything is said.
class QtSession {
  public:
    QtSession();
    ~QtSession();
    QtSession(const QtSession&) = delete;
    QtSession& operator=(const QtSession&) = delete;

  private:
    std::unique_ptr<QCoreApplication> application_;
};

// Replaces the core application by a GUI one (on the platform that needs no
// display where the system has one); the loaded translation stays in force.
void NeedGui();

// On POSIX: the platform that draws without a display, unless the user chose
// one (console_posix.cpp, console_win32.cpp).
void ChooseGuiPlatform();

}  // namespace tav::cli
