// Writing a picture as a PNG file, with every failure reported.
#pragma once

#include <QImage>
#include <string>

namespace velqoris {

// The PNG is made in memory and replaces the file only once all of it is on
// disk: a write that fails (a full disk) leaves the old file as it was, and
// libpng prints nothing of its own. `error` receives the system's errno of a
// failed write (0 when the picture itself could not be made).
bool SavePng(const QImage& image, const std::string& path, int* error = nullptr);

}  // namespace velqoris
