#include "qt_linking.h"

namespace tav::ui {

QString QtLinkingNote() {
    return QStringLiteral(
               "W Windows program jest połączony z Qt statycznie: jeden plik .exe, bez bibliotek "
               "DLL obok. Aby każdy mógł połączyć program z własną wersją Qt, obok instalatora "
               "jest udostępniany zestaw do ponownego łączenia, tav1000r-%1-relink-kit.zip: pliki "
               "obiektowe programów i dokładne polecenia łączenia (opis w jego README.txt).")
        .arg(QStringLiteral(TAV_VERSION));
}

}  // namespace tav::ui
