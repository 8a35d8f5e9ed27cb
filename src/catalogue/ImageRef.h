#pragma once
// A lazy image: what to draw, not the pixels. The core has no GUI; the screens turn a
// reference into a picture on first use (the workspace icon of a file, or an image file).

#include <filesystem>

namespace zembra {

struct ImageRef {
    enum class Kind { WorkspaceIcon, ImageFile };
    Kind kind = Kind::WorkspaceIcon;
    std::filesystem::path path;

    static ImageRef workspaceIcon(std::filesystem::path p) {
        return {Kind::WorkspaceIcon, std::move(p)};
    }
    static ImageRef imageFile(std::filesystem::path p) { return {Kind::ImageFile, std::move(p)}; }
    bool operator==(const ImageRef &) const = default;
};

} // namespace zembra
