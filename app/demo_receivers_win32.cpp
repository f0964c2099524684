// The demo's receivers on Windows, which has no ptys: each runs in this
// process, and the window's ports reach it through a serial-port object of
// its own.
#include "app/demo_setup.h"
#include "app/in_process_port.h"

namespace tav::demo {

DemoReceivers StartDemoReceivers(bool demoEvents) {
    auto receivers = std::make_shared<InProcessReceivers>();
    auto application = std::make_shared<sim::InProcessReceiver>(DemoApplicationOptions());
    if (demoEvents) {
        application->SetDemoEvents(true);
    }
    DemoReceivers r;
    r.applicationDevice = "TAV-1000R (symulator)";
    r.bootLoaderDevice = "TAV-1000R bootloader (symulator)";
    (*receivers)[r.applicationDevice] = application;
    (*receivers)[r.bootLoaderDevice] =
        std::make_shared<sim::InProcessReceiver>(DemoBootLoaderOptions());
    r.resolver = std::make_shared<FixedPortResolver>();
    r.resolver->Set(0, r.applicationDevice);
    r.resolver->Set(1, r.bootLoaderDevice);
    r.makePort = [receivers] { return MakeInProcessPort(receivers); };
    r.running = receivers;
    return r;
}

}  // namespace tav::demo
