// How this build of the programs is linked with Qt, for "O programie".
#pragma once

#include <QString>

namespace tav::ui {

// What the LGPL asks of the programs here, and how this build meets it:
// the system's shared Qt on Linux; a static Qt and the relink kit on Windows.
QString QtLinkingNote();

}  // namespace tav::ui
