#pragma once

#include <QStringList>

// The simulated kit's own bench folder, as the menu's demonstration opens it: ready
// for a relay to go all the way to MAKE FINAL REPORT, and keeping every file the
// run writes inside it. Its settings name a template folder and a report folder of
// its own, both ending in the separator (the bench glues file names to them), and
// the template folder holds a stand-in for each style's spreadsheet template, which
// the final report copies. What is there already stays: the operator's own settings
// and any real template put in a stand-in's place; only an artc.cfg that still
// holds the bench's own defaults (as earlier versions wrote it there, with the
// report folder in the home folder) gets the demonstration's folders.
namespace demofolder {

// What could not be prepared, one line each; empty when all is ready.
QStringList prepare(const QString &folder);

} // namespace demofolder
