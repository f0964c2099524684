#include "qt_session.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <memory>

#include "print/translation.h"
#include "translation.h"

namespace tav::cli {

namespace {

// The application keeps references to these for its whole life.
int argumentCount = 1;
char programName[] = "tavctl";
char* arguments[] = {programName, nullptr};

// Qt's application takes the user's locale for the C library too; tavctl
// reads and prints numbers as the C locale does, whatever the language.
void KeepCLocale() {
    std::setlocale(LC_ALL, "C");
}

// Qt's own notes (a missing runtime folder, a font substituted) are not
// tavctl's to say: only its critical and fatal messages reach standard error.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// The running session's application.
std::unique_ptr<QCoreApplication>* current = nullptr;

}  // namespace

QtSession::QtSession() {
    qInstallMessageHandler(QuietQtNotes);
    application_ = std::make_unique<QCoreApplication>(argumentCount, arguments);
    current = &application_;
    KeepCLocale();
}

QtSession::~QtSession() {
    application_.reset();
    current = nullptr;
}

void NeedGui() {
    if (current == nullptr || qobject_cast<QGuiApplication*>(current->get()) != nullptr) {
        return;
    }
    current->reset();
    ChooseGuiPlatform();
    *current = std::make_unique<QGuiApplication>(argumentCount, arguments);
    KeepCLocale();
    if (SpeaksPolish()) {
        print::InstallToolTranslation();  // went with the core application
    }
}

}  // namespace tav::cli
