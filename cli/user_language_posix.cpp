#include <cstdlib>
#include <string_view>

#include "translation.h"

namespace tav::cli {

bool UserLanguageIsPolish() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::string_view(value).substr(0, 2) == "pl";
        }
    }
    return false;
}

}  // namespace tav::cli
