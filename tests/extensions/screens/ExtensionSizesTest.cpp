// The sizes of an extension list arrive as soon as the worker has measured them (no poll
// to wait for), and a list reloaded or destroyed mid-measure takes nothing from the old
// load.
#include "extensions/screens/ExtensionListModel.h"
#include "platform/ByteCountFormatter.h"
#include "support/TreeBuilder.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <memory>

using namespace zembra;

namespace {

ExtensionListModel::Records recordsOf(zembra::test::TreeBuilder &tree, int count, size_t bytes) {
    ExtensionListModel::Records records;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Plugin" + std::to_string(i) + ".bundle";
        tree.file("plugins/" + name + "/Contents/MacOS/x", std::string(bytes, 'x'));
        auto record = std::make_shared<ItemRecord>();
        record->setLabel(QString::fromStdString(name));
        record->setUrl(tree / ("plugins/" + name));
        records.push_back(record);
    }
    return records;
}

// Runs only what is already posted: a timer not yet due would not fire here.
void takePosted() {
    QCoreApplication::sendPostedEvents();
}

} // namespace

TEST(ExtensionSizes, AllInOnTheNextTurn_AReloadedOrDestroyedModelTakesNothingOfTheOldLoad) {
    zembra::test::TreeBuilder tree;
    auto model = std::make_unique<ExtensionListModel>();
    QSignalSpy finished(model.get(), &ExtensionListModel::sizesFinished);
    model->setRecords(recordsOf(tree, 40, 10), {});
    model->setRecords(recordsOf(tree, 5, 3000), {}); // the first 5 again, larger now
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    takePosted();
    EXPECT_TRUE(model->allSizesKnown());
    EXPECT_EQ(finished.count(), 1) << "only the second load ends";
    for (int row = 0; row < model->rowCount(); ++row)
        EXPECT_EQ(model->index(row).data(ExtensionListModel::SizeRole).toString(),
                  platform::formatByteCount(3000))
            << row;

    model->setRecords(recordsOf(tree, 40, 10), {});
    model.reset(); // its worker is still measuring
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    takePosted(); // nothing left to deliver to the destroyed model
}
