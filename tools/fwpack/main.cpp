// fwpack: builds firmware package files for the upgrade page and for demos against gimbal-sim.
#include <iostream>

#include "arguments.h"
#include "gimbalsim/DemoMarker.h"
#include "package.h"

int main(int argc, char** argv) {
    const fwpack::ParsedArguments parsed = fwpack::parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.arguments) {
        std::cerr << "fwpack: " << parsed.error << "\nTry 'fwpack --help'.\n";
        return fwpack::kExitBadOptions;
    }
    const fwpack::Arguments& args = *parsed.arguments;
    if (args.help) {
        std::cout << fwpack::usage();
        return 0;
    }
    if (args.entries.size() > fwpack::kMaxEntries) {
        std::cerr << "fwpack: a package holds at most " << fwpack::kMaxEntries << " entries, " << args.entries.size() << " given\n";
        return fwpack::kExitRefused;
    }
    std::vector<fwpack::Entry> entries;
    for (const fwpack::EntryArgument& argument : args.entries) {
        fwpack::Entry entry{argument.unit, argument.major, argument.minor, {}};
        if (args.demo) {
            entry.image = gimbalsim::makeDemoImage(argument.unit, argument.major, argument.minor, argument.demoBytes);
        } else if (std::string error = fwpack::readImage(argument.imagePath, entry.image); !error.empty()) {
            std::cerr << "fwpack: " << error << "\n";
            return fwpack::kExitRefused;
        }
        entries.push_back(std::move(entry));
    }
    if (std::string error = fwpack::writePackage(args.output, args.mask, entries); !error.empty()) {
        std::cerr << "fwpack: " << error << "\n";
        return fwpack::kExitRefused;
    }
    return 0;
}
