#ifndef PORTFOLDERS_H
#define PORTFOLDERS_H

#include <QStringList>

// Folders where the system's serial device nodes appear and vanish: the port list is refreshed when
// one of them changes. A system that announces new ports another way returns none.
QStringList systemPortFolders();

#endif // PORTFOLDERS_H
