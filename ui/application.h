// The program entry shared by tav1000r and tav1000r-demo.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

namespace tav::ui {

// The standard exception message box (or standard error when no application
// exists).
void ShowExceptionMessage(const QString& text);

// An exception that escapes an event handler is shown in the standard
// exception message box and the event loop goes on.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Where escaping exceptions go; ShowExceptionMessage unless replaced.
    std::function<void(const QString&)> reportException;
};

// The message of an exception; empty for one that carries none.
QString ExceptionText(const std::exception_ptr& error);

// Runs `body`; an exception that escapes it goes to `report` with its message.
// Always 0, the program's exit code.
int RunGuarded(const std::function<void()>& body,
               const std::function<void(const QString&)>& report);

// The settings file a program was started with: the first of `arguments`
// (the program's name first, Qt's own options already taken out) that is not
// an option, or an empty string. Each of `valueOptions` takes the argument
// after it as its value.
QString SettingsFileArgument(const QStringList& arguments, const QStringList& valueOptions = {});

// Loads Qt's Polish translation of its own texts (qtbase_pl.qm: file
// dialogs, their prompts, the standard buttons) whatever the system's locale,
// from Qt's translations folder, else from the program's own folder or its
// "translations" subfolder. False when none was found.
bool LoadQtTranslation(QCoreApplication& app);
// The window's own files (the guide, the icon), once.
void InitUiResources();
// The icon of every window of the program, from the window's own files.
void SetApplicationIcon();

// The answer to --version or --help on standard output, before any window:
// true when one of them was asked for and the program is to end (exit 0).
// `usage` follows "Użycie: PROGRAM" on the first line of --help.
bool AnswerInfoOption(int argc, char** argv, const char* program, const char* usage);

// Initialises the application (unless one runs already), sets its title, then
// loads Qt's Polish translation, then lets `createAndRun` make the main
// window and run the event loop. An
// exception that escapes goes to the application's reportException. Exit code 0.
int RunProgram(int& argc, char** argv, const std::function<void(Application&)>& createAndRun);

}  // namespace tav::ui
