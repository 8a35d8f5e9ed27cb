#include "catalogue/screens/ApplicationsModel.h"

#include "catalogue/screens/ItemImage.h"
#include "platform/Text.h"
#include "platform/VisibleText.h"

#include <numeric>

namespace zembra {

ApplicationsModel::ApplicationsModel(QObject *parent) : QAbstractListModel(parent) {}

void ApplicationsModel::setApplications(ApplicationList items) {
    beginResetModel();
    m_all = std::move(items);
    m_foldedLabels.clear();
    m_foldedLabels.reserve(m_all.size());
    for (const auto &item : m_all)
        m_foldedLabels.push_back(platform::foldForMatch(item->label().value_or(QString())));
    m_shown.resize(m_all.size());
    std::iota(m_shown.begin(), m_shown.end(), 0);
    m_icons.clear();
    endResetModel();
}

void ApplicationsModel::filter(const QString &text) {
    beginResetModel();
    m_shown.clear();
    if (text.isEmpty()) {
        m_shown.resize(m_all.size());
        std::iota(m_shown.begin(), m_shown.end(), 0);
    } else {
        const std::string key = platform::foldForMatch(text);
        for (int i = 0; i < int(m_all.size()); ++i)
            if (platform::containsFolded(m_foldedLabels[i], key))
                m_shown.push_back(i);
    }
    endResetModel();
}

int ApplicationsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant ApplicationsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(m_shown.size()))
        return {};
    const int i = m_shown[index.row()];
    const ApplicationItem &item = *m_all[i];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        // A name may hold a line break or a direction override: shown escaped, whole in
        // the tooltip and the spoken name while the row cuts it to fit.
        return platform::visiblyEscaped(item.label().value_or(QString()));
    case Qt::DecorationRole: {
        auto it = m_icons.find(i);
        if (it == m_icons.end()) {
            const auto icon = item.icon();
            it = m_icons.emplace(i, icon ? itemImage(*icon) : QIcon()).first;
        }
        return it->second;
    }
    default:
        return {};
    }
}

std::shared_ptr<ApplicationItem> ApplicationsModel::itemAt(int row) const {
    if (row < 0 || row >= int(m_shown.size()))
        return nullptr;
    return m_all[m_shown[row]];
}

} // namespace zembra
