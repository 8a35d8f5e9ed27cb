#include "catalogue/screens/ItemImage.h"

#include "platform/Workspace.h"

namespace zembra {

QIcon itemImage(const ImageRef &image)
{
    if (image.kind == ImageRef::Kind::ImageFile)
        return platform::iconFromImageFile(image.path);
    return platform::Workspace::shared().iconForFile(image.path);
}

} // namespace zembra
