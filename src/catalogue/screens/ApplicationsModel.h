#pragma once
// The rows of the applications list: the full list read when the screen loads
// (`shadow_copy`) and the rows shown now (`install_items`), narrowed by the search text
// with the case- and diacritic-insensitive contains test. The list arrives in batches
// while the bundles are read: each batch goes into label order (equal labels keep the
// order they arrived in, so the finished list is the serial read's) and its rows are
// inserted, never reset, so a view keeps its selection and current row on the same
// application while rows arrive above it. Icons are decoded when a row is first drawn and
// kept for the model's life, so a long list costs only the rows on screen. GUI thread only.

#include "catalogue/Application.h"
#include "platform/Text.h"

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

    // The whole list at once (any order: it is put in label order).
    void setApplications(ApplicationList items);
    // Adds the next batch read, in the order read, to the list and to the rows shown.
    void appendApplications(ApplicationList batch);
    // Empty text shows every application in the full list's order; later batches are
    // narrowed by the same text.
    void filter(const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    std::shared_ptr<ApplicationItem> itemAt(int row) const;
    bool isEmpty() const { return m_all.empty(); }
    int loadedCount() const { return int(m_all.size()); }

private:
    // Label order; the order of arrival between equal labels.
    bool before(int a, int b) const;
    bool passes(int i) const;

    platform::LabelCollator m_collator;
    ApplicationList m_all;                   // in the order read
    std::vector<QString> m_labels;           // compared on every insertion
    std::vector<std::string> m_foldedLabels; // folded once, not once per keystroke
    std::vector<int> m_sorted;               // every index into m_all, in label order
    std::vector<int> m_shown;                // the indices that pass the filter, in order
    std::string m_key;                       // the folded search text; empty shows all
    mutable std::unordered_map<int, QIcon> m_icons;
};

} // namespace zembra
