#include "link/timing.h"

#include <ctime>
#include <mutex>
#include <thread>

namespace tav {

std::chrono::steady_clock::time_point SystemTiming::Now() {
    return std::chrono::steady_clock::now();
}

void SystemTiming::Sleep(Millis ms) {
    if (ms.count() > 0) {
        std::this_thread::sleep_for(ms);
    }
}

void SystemTiming::SleepFor(std::chrono::nanoseconds d) {
    if (d.count() > 0) {
        std::this_thread::sleep_for(d);
    }
}

LocalDateTime SystemLocalClock::Now() {
    // std::localtime hands out one shared buffer; copy it out under a lock.
    static std::mutex mutex;
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    {
        std::lock_guard lock(mutex);
        if (const std::tm* local = std::localtime(&now)) {
            tm = *local;
        }
    }
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    return t;
}

}  // namespace tav
