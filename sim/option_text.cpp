#include "sim/option_text.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace tav::sim {

bool ParseInt(std::string_view text, int* value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const std::string s(text);
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || end == s.c_str() || *end != '\0' || v < 0 || v > 1'000'000'000) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool ParseFault(std::string_view text, Fault* fault) {
    struct Kind {
        std::string_view name;
        FaultKind kind;
        bool needsCount;
    };
    static constexpr Kind kKinds[] = {
        {"bad-checksum", FaultKind::BadChecksumAtRecord, false},
        {"silence-record", FaultKind::SilenceFromRecord, false},
        {"silence-block", FaultKind::SilenceFromBlock, false},
        {"wrong-echo-record", FaultKind::WrongEchoAtRecord, false},
        {"wrong-echo-block", FaultKind::WrongEchoAtBlock, false},
        {"garbage", FaultKind::GarbageBeforeAnswer, true},
        {"short", FaultKind::ShortAnswer, true},
        {"hang-up", FaultKind::HangUpAfterBytes, false},
        {"stores-other", FaultKind::StoresOtherAtRecord, false},
    };
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(
            text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) {
            break;
        }
        start = colon + 1;
    }
    for (const Kind& k : kKinds) {
        if (parts[0] != k.name) {
            continue;
        }
        // stores-other takes its byte optionally.
        const bool optionalCount = k.kind == FaultKind::StoresOtherAtRecord && parts.size() == 3;
        if (parts.size() != (k.needsCount || optionalCount ? 3u : 2u)) {
            return false;
        }
        fault->kind = k.kind;
        fault->count = 0;
        if (!ParseInt(parts[1], &fault->at)) {
            return false;
        }
        return !(k.needsCount || optionalCount) || ParseInt(parts[2], &fault->count);
    }
    return false;
}

}  // namespace tav::sim
