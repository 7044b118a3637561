#pragma once

#include <QString>
#include <QStringList>

namespace espa {

// Where the window module may stand for a program at `programFile`: beside it (the build tree,
// and a Windows install), then in the library folder of an installed program, given relative
// to the program's folder. No duplicates, in that order.
QStringList WindowModulePlaces(const QString& programFile, const QString& moduleFileName,
                               const QString& installedRelativeDir);

// Loads the window module and runs the program with its window; the exit status. When the
// module cannot be found or loaded, says so on one line of standard error and returns 2.
int RunWindowModule(int& argc, char** argv);

}  // namespace espa
