// Opens the port given as the argument, talks once and ends without CSerialClosePort, as a program
// stopped half-way does. The wire tests check that it ends at all: Windows has ended the library's
// threads before the DLL is unloaded, so nothing may wait for them then.
#include <cstdio>

#include "Cradle.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    if (CSerialOpenPort(argv[1], CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS, CRADLE_LINE_STOP_BITS) != 1)
        return 3;
    unsigned char version[CRADLE_VERSION_BUFFER_SIZE];
    return UnitVersionInfo(version) == CRADLE_OK ? 0 : 4;
}
