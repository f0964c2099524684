// The inside of PtyReceiver (receiver.h), shared by its serving thread
// (receiver.cpp) and its state and observations (receiver_state.cpp). Every
// member is guarded by `mu`.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/line_schedule.h"
#include "sim/pty_device.h"
#include "sim/receiver.h"
#include "sim/receiver_clock.h"

namespace tav::sim {

struct PtyReceiver::Impl {
    using SteadyClock = std::chrono::steady_clock;
    using TimePoint = SteadyClock::time_point;

    explicit Impl(ReceiverOptions options) : engine(options), log(options.logLimit) {}

    mutable std::mutex mu;
    mutable std::condition_variable changed;
    ReceiverEngine engine;

    PtyDevice pty;
    std::string linkPath;
    std::thread thread;
    bool running = false;
    bool stopRequested = false;
    bool hungUp = false;

    LineSchedule line;
    TimePoint lastActivity{};
    TimePoint lastByteIn{};  // when the tool's latest byte was read
    bool outputBlocked = false;

    TrafficLog log;
    std::optional<long long> hangUpLeft;  // bytes still to send before the hang-up
    std::optional<TimePoint> hangUpFrom;  // when the last of them was out

    bool demo = false;
    std::chrono::milliseconds demoEvery{3000};
    TimePoint nextDemo{};
    int demoCounter = 0;

    RunningClock clock;

    bool Paced() const { return engine.GetPacing().paced; }
    bool LineQuiet() const { return line.InputEmpty() && line.OutputEmpty(); }
    bool IdleNow() const { return LineQuiet() && pty.PendingFromTool() == 0; }

    void Enqueue(const std::vector<std::uint8_t>& bytes, TimePoint ready) {
        line.Send(bytes, ready, Paced());
    }

    // The serving thread's steps (receiver.cpp).
    void Run();
    void TakeInput(TimePoint now);
    void ReadMaster(TimePoint now, bool* hangUpSeen);
    void WriteDue(TimePoint now);
    void DemoTick(TimePoint now);
    void FrameTimeout(TimePoint now);
    // The hang-up comes once the last byte before it is out and has been
    // taken by the tool: closing the master at once would make the kernel
    // throw away the bytes still queued for the slave. A short grace first
    // (the pty hands bytes over asynchronously), then until the slave's
    // queue is empty, at most half a second.
    bool HangUpDue(TimePoint now);
    void HangUp();

    // Bytes the receiver sent while nobody had the slave open are lost, as on
    // a line with nobody listening.
    void DrainSlave() {
        pty.DrainSlave();
        outputBlocked = false;
    }
    void HandleWatch() {
        if (pty.HandleWatch()) {
            outputBlocked = false;
        }
    }
};

}  // namespace tav::sim
