#include "extensions/screens/SceneImages.h"

#include "platform/Text.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace zembra {

bool showImageFile(QLabel *label, const std::optional<std::filesystem::path> &file, QSize side)
{
    label->clear();
    if (!file)
        return false;
    // An .icns holds several sizes: take the largest, then scale it down.
    QImageReader reader(platform::decodeUtf8(file->native()));
    QImage best;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (reader.imageCount() > 1 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull() && image.width() > best.width())
            best = image;
    }
    if (best.isNull())
        return false;
    label->setPixmap(QPixmap::fromImage(best.scaled(side, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    return true;
}

} // namespace zembra
