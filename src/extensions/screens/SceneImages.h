#pragma once
// Puts an image file (an .icns or any format Qt reads) into a label at a given size; an
// absent or unreadable file leaves the label empty. GUI thread only.

#include <QSize>

#include <filesystem>
#include <optional>

class QLabel;

namespace zembra {

// True when an image was shown.
bool showImageFile(QLabel *label, const std::optional<std::filesystem::path> &file, QSize side);

} // namespace zembra
