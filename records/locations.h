// Where the program finds its data files and where it may write its own: the folder of the running
// program, the installed data folder (/usr/share/zavo-driver for a package) and the user's folders.
// A data file such as the Moseley's-law workbook "MLaw.xlsx" lies beside the program in a build
// folder and in the data folder once installed; both places are searched in that order.
#pragma once

#include <QString>
#include <QStringList>

namespace records {

// The folder of the running program; empty without an application object.
QString programDir();

// The data folder of an installed program, fixed when it is built.
QString installedDataDir();

// The folders a data file is looked for in, in order: beside the program, then the installed data
// folder (each only once, empty ones left out).
QStringList dataDirs();

// The full path of the first file called `name` in `dirs` (in order); empty when none holds it.
QString findDataFile(const QString& name, const QStringList& dirs);

// findDataFile over dataDirs().
QString findDataFile(const QString& name);

// True for folders an installed program must never write to: anything under /usr, and the folder
// the program is installed into.
bool isSystemLocation(const QString& dir);

// The user's data folder of the program (~/.local/share/zavo-driver), created when missing.
QString userDataDir();

// Where the program keeps a file of its own such as the safety copy: `programFolder` when it is no
// system location and a file can really be created there, else `userFolder`.
QString writableProgramDir(const QString& programFolder, const QString& userFolder);

} // namespace records
