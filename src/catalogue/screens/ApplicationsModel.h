#pragma once
// The rows of the applications list: the full list read when the screen loads
// (`shadow_copy`) and the rows shown now (`install_items`), narrowed by the search text
// with the case- and diacritic-insensitive contains test. Icons are decoded when a row
// is first drawn and kept for the model's life, so a long list costs only the rows on
// screen. GUI thread only.

#include "catalogue/Application.h"

#include <QAbstractListModel>
#include <QIcon>

#include <string>
#include <unordered_map>
#include <vector>

namespace zembra {

class ApplicationsModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ApplicationsModel(QObject *parent = nullptr);

    void setApplications(ApplicationList items);
    // Empty text shows every application in the full list's order.
    void filter(const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    std::shared_ptr<ApplicationItem> itemAt(int row) const;
    bool isEmpty() const { return m_all.empty(); }

private:
    ApplicationList m_all;
    std::vector<std::string> m_foldedLabels; // folded once, not once per keystroke
    std::vector<int> m_shown;                // indices into m_all
    mutable std::unordered_map<int, QIcon> m_icons;
};

} // namespace zembra
