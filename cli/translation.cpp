#include "translation.h"

#include "print/translation.h"

namespace tav::cli {

namespace {

bool polish = false;

}  // namespace

bool LoadUserLanguage() {
    polish = UserLanguageIsPolish() && print::InstallToolTranslation() != nullptr;
    return polish;
}

bool SpeaksPolish() {
    return polish;
}

}  // namespace tav::cli
