// The demo's receivers on Linux: each serves a pty, which the window opens
// with its real serial backend.
#include <stdexcept>
#include <string>
#include <vector>

#include "app/demo_setup.h"
#include "sim/receiver.h"

namespace tav::demo {

DemoReceivers StartDemoReceivers(bool demoEvents) {
    auto application = std::make_shared<sim::PtyReceiver>(DemoApplicationOptions());
    auto bootLoader = std::make_shared<sim::PtyReceiver>(DemoBootLoaderOptions());
    std::string error;
    if (!application->Start(&error) || !bootLoader->Start(&error)) {
        throw std::runtime_error("Nie można uruchomić symulowanego odbiornika: " + error);
    }
    if (demoEvents) {
        application->SetDemoEvents(true);
    }
    DemoReceivers r;
    r.applicationDevice = application->DevicePath();
    r.bootLoaderDevice = bootLoader->DevicePath();
    r.resolver = std::make_shared<FixedPortResolver>();
    r.resolver->Set(0, r.applicationDevice);
    r.resolver->Set(1, r.bootLoaderDevice);
    r.running = std::make_shared<std::vector<std::shared_ptr<sim::PtyReceiver>>>(
        std::vector{application, bootLoader});
    return r;
}

}  // namespace tav::demo
