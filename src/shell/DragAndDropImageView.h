#pragma once
// The drop target of the home screen: accepts a drag whose first file has the extension
// "app" (exactly), and on the drop makes that bundle the shared item, grants it for the
// session as a drag and drop grants it on macOS, and asks for the leftover review,
// whatever folder the bundle lies in. A bundle is a folder: a drop of anything else named
// so is refused, with a sheet that says why. The "sheet" setting is left alone, so the review's
// Back returns to the list screen last shown. Drags the window like `WhiteImageView`.
// GUI thread only.

#include "shell/WhiteImageView.h"

#include <filesystem>
#include <optional>

#include <QString>

class QMimeData;

namespace zembra {

class DragAndDropImageView : public WhiteImageView {
    Q_OBJECT
public:
    explicit DragAndDropImageView(QWidget *parent = nullptr);

    // The bundle a drag carries when it is acceptable: the first file, when its
    // extension is exactly "app".
    static std::optional<std::filesystem::path> draggedApplication(const QMimeData *data);
    // Why a dragged "X.app" is refused on the drop (it is not a real folder); "" when it
    // is a bundle.
    static QString refusal(const std::filesystem::path &bundle);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace zembra
