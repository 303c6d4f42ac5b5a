// The install step: the product's settings keys and the program folder with
// its shipped files. Running it again keeps every stored value and file.
#pragma once
#include <QString>

namespace mdlInstall {
// Creates the keys and lays out the folder; false (with the reason) on failure.
bool Install(QString* error = nullptr);
}  // namespace mdlInstall
