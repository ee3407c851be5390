// gimbal-sim: the simulator core as a program, for demos and for tests of the whole tool.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "cli_options.h"
#include "gimbalsim/Simulator.h"

namespace {

void makeParentDirectory(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return;
    mkdir(path.substr(0, slash).c_str(), 0700);  // an existing directory is fine
}

// One line, so that a test of the whole tool can check what the host wrote.
void printParameters(const gimbalsim::Simulator& simulator) {
    std::cout << "parameters";
    for (int number = 0; number < gimbalsim::kParameterCount; ++number)
        std::cout << ' ' << number << '=' << simulator.parameter(number);
    std::cout << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gimbalsim;
    const cli::ParseResult parsed = cli::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.settings) {
        std::cerr << "gimbal-sim: " << parsed.error << "\nTry 'gimbal-sim --help'.\n";
        return cli::kExitBadOptions;
    }
    const cli::Settings& settings = *parsed.settings;
    if (settings.help) {
        std::cout << cli::usage();
        return 0;
    }

    // Signals are taken synchronously by this thread; the simulator's threads inherit the mask.
    sigset_t signals;
    sigemptyset(&signals);
    for (int sig : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaddset(&signals, sig);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    makeParentDirectory(settings.options.linkPath);
    Simulator simulator(settings.options);
    for (const auto& [number, value] : settings.parameters) simulator.setParameter(number, value);
    for (const auto& f : settings.faults) simulator.setFault(f.command, f.fault);
    for (const auto& f : settings.controlFaults) simulator.setControlFault(f.subCommand, f.unitBit, f.fault);
    if (!simulator.start()) {
        std::cerr << "gimbal-sim: cannot create the port at " << settings.options.linkPath << "\n";
        return 1;
    }
    std::cout << simulator.portPath() << std::endl;

    bool plugged = true;
    for (;;) {
        int sig = 0;
        if (sigwait(&signals, &sig) != 0) continue;
        if (sig == SIGUSR2) {
            printParameters(simulator);
            continue;
        }
        if (sig == SIGUSR1) {
            if (plugged) {
                simulator.unplug();
                plugged = false;
                std::cerr << "gimbal-sim: unplugged\n";
            } else if (simulator.replug()) {
                plugged = true;
                std::cerr << "gimbal-sim: plugged in again at " << simulator.portPath() << "\n";
            } else {
                // Still unplugged; the next SIGUSR1 tries again.
                std::cerr << "gimbal-sim: cannot plug in again at " << simulator.portPath() << "\n";
            }
            continue;
        }
        break;
    }
    simulator.stop();
    return 0;
}
