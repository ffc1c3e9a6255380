#pragma once

#include <QString>

// Where the program's own files (the program-folder skeleton, the demo catalogue) are: the environment
// variable KALMENOR_DATA_DIR, else share/kalmenor beside the program, else the source tree's data folder.
QString programDataFolder();
