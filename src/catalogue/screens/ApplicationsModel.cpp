#include "catalogue/screens/ApplicationsModel.h"

#include "catalogue/screens/ItemImage.h"
#include "platform/VisibleText.h"

#include <algorithm>

namespace zembra {

ApplicationsModel::ApplicationsModel(QObject *parent) : QAbstractListModel(parent) {}

bool ApplicationsModel::before(int a, int b) const {
    const int order = m_collator.compare(m_labels[size_t(a)], m_labels[size_t(b)]);
    return order != 0 ? order < 0 : a < b;
}

bool ApplicationsModel::passes(int i) const {
    return m_key.empty() || platform::containsFolded(m_foldedLabels[size_t(i)], m_key);
}

void ApplicationsModel::setApplications(ApplicationList items) {
    beginResetModel();
    m_all.clear();
    m_labels.clear();
    m_foldedLabels.clear();
    m_sorted.clear();
    m_shown.clear();
    m_icons.clear();
    endResetModel();
    appendApplications(std::move(items));
}

void ApplicationsModel::appendApplications(ApplicationList batch) {
    if (batch.empty())
        return;
    std::vector<int> added;
    added.reserve(batch.size());
    for (auto &item : batch) {
        added.push_back(int(m_all.size()));
        m_labels.push_back(item->label().value_or(QString()));
        m_foldedLabels.push_back(platform::foldForMatch(m_labels.back()));
        m_all.push_back(std::move(item));
    }
    const auto less = [this](int a, int b) { return before(a, b); };
    std::sort(added.begin(), added.end(), less); // ties cannot occur: indices differ

    // Every new index comes after every old one, so a merge keeps the arrival order of
    // equal labels.
    std::vector<int> sorted;
    sorted.reserve(m_sorted.size() + added.size());
    std::merge(m_sorted.begin(), m_sorted.end(), added.begin(), added.end(),
               std::back_inserter(sorted), less);
    m_sorted = std::move(sorted);

    // Rows go in as runs of consecutive new rows, top to bottom, each announced as an
    // insertion so that persistent indexes (selection, current row) move with their rows.
    auto from = m_shown.begin();
    for (size_t k = 0; k < added.size();) {
        if (!passes(added[k])) {
            ++k;
            continue;
        }
        from = std::lower_bound(from, m_shown.end(), added[k], less);
        std::vector<int> run;
        for (; k < added.size(); ++k) {
            if (!passes(added[k]))
                continue;
            if (from != m_shown.end() && !before(added[k], *from))
                break;
            run.push_back(added[k]);
        }
        const int row = int(from - m_shown.begin());
        beginInsertRows({}, row, row + int(run.size()) - 1);
        from = m_shown.insert(from, run.begin(), run.end()) + std::ptrdiff_t(run.size());
        endInsertRows();
    }
}

void ApplicationsModel::filter(const QString &text) {
    beginResetModel();
    m_key = text.isEmpty() ? std::string() : platform::foldForMatch(text);
    m_shown.clear();
    for (int i : m_sorted)
        if (passes(i))
            m_shown.push_back(i);
    endResetModel();
}

int ApplicationsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant ApplicationsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(m_shown.size()))
        return {};
    const int i = m_shown[size_t(index.row())];
    const ApplicationItem &item = *m_all[size_t(i)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        // A name may hold a line break or a direction override: shown escaped, whole in
        // the tooltip and the spoken name while the row cuts it to fit.
        return platform::visiblyEscaped(m_labels[size_t(i)]);
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
    return m_all[size_t(m_shown[size_t(row)])];
}

} // namespace zembra
