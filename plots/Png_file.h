// Writing a picture as a PNG file, with every failure reported.
#pragma once

#include <QImage>
#include <string>

namespace velqoris::cli {

// The PNG is made in memory and written by the tool itself: a write that
// fails (a full disk) is seen even when it fails at closing, and libpng
// prints nothing of its own.
bool SavePng(const QImage& image, const std::string& path);

}  // namespace velqoris::cli
