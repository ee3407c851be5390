#include "PortFolders.h"

QStringList systemPortFolders()
{
    return {QStringLiteral("/dev")};
}
