// The tool's own translation (tav1000r_pl.qm: tavctl's words, the report's,
// the shared page layout's), for the window and tavctl alike.
#pragma once

class QTranslator;

namespace tav::print {

// Installs the Polish translation into the running application, from the
// program's folder, Qt's translations folder, or the copy built into the
// program, in that order. The translator, which the application owns, or
// nullptr when none could be loaded.
QTranslator* InstallToolTranslation();

}  // namespace tav::print
