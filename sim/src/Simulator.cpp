// Placeholder so the library target links while the device model is being written.
#include "gimbalsim/Simulator.h"
