#include "application.h"

#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "parent_console.h"
#include "print/translation.h"

// The resources of a static library are registered by hand, outside any
// namespace.
static void RegisterTavUiResources() {
    Q_INIT_RESOURCE(tav_ui);
}

namespace tav::ui {

void InitUiResources() {
    static const bool registered = (RegisterTavUiResources(), true);
    (void)registered;
}

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), reportException(ShowExceptionMessage) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportException(ExceptionText(std::current_exception()));
        return false;
    }
}

QString ExceptionText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QString();
    }
}

int RunGuarded(const std::function<void()>& body,
               const std::function<void(const QString&)>& report) {
    try {
        body();
    } catch (...) {
        report(ExceptionText(std::current_exception()));
    }
    return 0;
}

void ShowExceptionMessage(const QString& text) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), text);
}

QString SettingsFileArgument(const QStringList& arguments, const QStringList& valueOptions) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (valueOptions.contains(a)) {
            ++i;
        } else if (!a.startsWith(QLatin1Char('-'))) {
            return a;
        }
    }
    return {};
}

void SetApplicationIcon() {
    InitUiResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/tav1000r/icon-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
}

bool LoadQtTranslation(QCoreApplication& app) {
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath), here,
                               here + QStringLiteral("/translations")}) {
        auto translator = std::make_unique<QTranslator>(&app);
        if (translator->load(QStringLiteral("qtbase_pl"), dir) &&
            QCoreApplication::installTranslator(translator.get())) {
            translator.release();  // the application owns it
            return true;
        }
    }
    return false;
}

bool AnswerInfoOption(int argc, char** argv, const char* program, const char* usage) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            PrintToCaller(std::string(program) + " " TAV_VERSION "\n");
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintToCaller("Użycie: " + std::string(program) + usage);
            return true;
        }
    }
    return false;
}

int RunProgram(int& argc, char** argv, const std::function<void(Application&)>& createAndRun) {
    std::unique_ptr<Application> owned;
    auto* app = dynamic_cast<Application*>(QCoreApplication::instance());
    return RunGuarded(
        [&] {
            if (app == nullptr) {
                owned = std::make_unique<Application>(argc, argv);
                app = owned.get();
            }
            // The application title (task bar); the window's caption has a "v".
            QCoreApplication::setApplicationName(
                QStringLiteral("TAV-1000R Duzedevezivi " TAV_VERSION));
            SetApplicationIcon();
            LoadQtTranslation(*app);
            // The window speaks Polish: so does the configuration report.
            print::InstallToolTranslation();
            createAndRun(*app);
        },
        [&](const QString& text) {
            if (app != nullptr) {
                app->reportException(text);
            } else {
                ShowExceptionMessage(text);
            }
        });
}

}  // namespace tav::ui
