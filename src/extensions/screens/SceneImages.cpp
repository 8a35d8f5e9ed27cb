#include "extensions/screens/SceneImages.h"

#include "platform/Text.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace zembra {

bool showImageFile(QLabel *label, const std::optional<std::filesystem::path> &file, QSize side) {
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
    // Scaled down to fit, never up: a small picture blown up only blurs.
    if (best.width() > side.width() || best.height() > side.height())
        best = best.scaled(side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    label->setPixmap(QPixmap::fromImage(best));
    return true;
}

} // namespace zembra
