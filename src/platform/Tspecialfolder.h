#pragma once

#include <QString>

// The path of the folder of the given kind (0-29); kind 1 is the user's
// configuration folder. Empty when this system has no such folder.
QString GetSpecialFolderPath(int kind);
