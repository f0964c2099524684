#include "qt_linking.h"

namespace tav::ui {

QString QtLinkingNote() {
    return QStringLiteral(
        "W Linuksie program używa bibliotek Qt zainstalowanych w systemie: można je zastąpić "
        "własną, zgodną wersją bez zmian w programie.");
}

}  // namespace tav::ui
