#include <windows.h>

#include "translation.h"

namespace tav::cli {

bool UserLanguageIsPolish() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH;
}

}  // namespace tav::cli
