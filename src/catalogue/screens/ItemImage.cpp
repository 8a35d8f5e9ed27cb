#include "catalogue/screens/ItemImage.h"

#include "platform/Workspace.h"

namespace zembra {

namespace {
struct Kept {
    ImageRef image;
    QIcon icon;
};
std::optional<Kept> g_kept;
} // namespace

QIcon itemImage(const ImageRef &image) {
    if (g_kept && g_kept->image == image)
        return g_kept->icon;
    if (image.kind == ImageRef::Kind::ImageFile)
        return platform::iconFromImageFile(image.path);
    return platform::Workspace::shared().iconForFile(image.path);
}

QIcon itemImage(const std::optional<ImageRef> &image) {
    return image ? itemImage(*image) : QIcon();
}

void keepItemImage(const std::optional<ImageRef> &image) {
    g_kept.reset();
    if (image)
        g_kept = Kept{*image, itemImage(*image)};
}

} // namespace zembra
