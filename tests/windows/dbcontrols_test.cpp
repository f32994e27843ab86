// The data source and the data-bound label, over a real table.
#include "cardsets.h"
#include "errors.h"
#include "table.h"
#include "tdatasource.h"
#include "tdbtext.h"
#include "tempdir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

class DataControlsTest : public ::testing::Test
{
protected:
    DataControlsTest()
    {
        testsupport::makeBuiltInLikeSet(dir.file("set.db"),
            { { "bread & wine", "ἄρτος & οἶνος", 1 }, { "word", "λόγος", 330 }, { "God", "θεός", 1317 } });
        table.setTableName(dir.file("set.db"));
        source.setDataSet(&table);
        greek.setDataSource(&source);
        greek.setDataField("Language");
        frequency.setDataSource(&source);
        frequency.setDataField("Frequency");
    }

    testsupport::TempDir dir;
    cardstore::Table table;
    TDataSource source;
    TDBText greek;
    TDBText frequency;
};

TEST_F(DataControlsTest, LabelsFollowEveryMoveAndShowAmpersandsAsTheyAre)
{
    EXPECT_EQ(greek.text(), "");
    table.open();
    EXPECT_EQ(greek.text(), "ἄρτος & οἶνος");
    EXPECT_EQ(greek.textFormat(), Qt::PlainText);
    EXPECT_EQ(frequency.text(), "1");
    table.next();
    EXPECT_EQ(greek.text(), "λόγος");
    EXPECT_EQ(frequency.text(), "330");
    table.last();
    EXPECT_EQ(greek.text(), "θεός");
}

TEST_F(DataControlsTest, AHiddenLabelKeepsFollowing)
{
    greek.hide();
    table.open();
    table.next();
    EXPECT_EQ(greek.text(), "λόγος");
    greek.show();
    EXPECT_EQ(greek.text(), "λόγος");
}

TEST_F(DataControlsTest, LabelsShowFieldWritesAndClearWhenTheTableCloses)
{
    table.open();
    table.edit();
    table.setFieldText("Language", "ψωμί");
    EXPECT_EQ(greek.text(), "ψωμί");
    table.cancel();
    EXPECT_EQ(greek.text(), "ἄρτος & οἶνος");
    table.close();
    EXPECT_EQ(greek.text(), "");
    EXPECT_EQ(frequency.text(), "");
}

TEST_F(DataControlsTest, AnAutoSizedLabelTakesTheSizeOfItsText)
{
    frequency.setAutoSize(true);
    table.open();
    QCoreApplication::sendPostedEvents();
    const QSize small = frequency.size();
    EXPECT_EQ(small, frequency.sizeHint());
    table.next();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(frequency.size(), frequency.sizeHint());
    EXPECT_GT(frequency.width(), small.width());
}

TEST_F(DataControlsTest, ALabelOnAFieldTheTableLacksStaysEmpty)
{
    TDBText missing;
    missing.setDataSource(&source);
    missing.setDataField("Pronunciation");
    EXPECT_NO_THROW(table.open());
    EXPECT_EQ(missing.text(), "");
}

TEST_F(DataControlsTest, TheDataChangeHandlerRunsAfterTheLabelsAndItsErrorsReachTheCaller)
{
    std::vector<std::string> seen;
    source.OnDataChange = [&](int fieldIndex) {
        seen.push_back(greek.text().toStdString() + "/" + std::to_string(fieldIndex));
        if (table.sequenceNumber() == 3)
            throw cardstore::DatabaseError(cardstore::status::kDataset, "Not a Paradox or dBASE table");
    };
    table.open();
    table.next();
    EXPECT_THROW(table.next(), cardstore::DatabaseError);
    EXPECT_EQ(seen, (std::vector<std::string> { "ἄρτος & οἶνος/-1", "λόγος/-1", "θεός/-1" }));
    // The move itself had happened before the handler failed.
    EXPECT_EQ(table.sequenceNumber(), 3);

    seen.clear();
    table.first();
    table.edit();
    table.setFieldText("English", "bread");
    EXPECT_EQ(seen.back(), "ἄρτος & οἶνος/0");
}

TEST_F(DataControlsTest, DisabledControlsSkipTheWalkButTheHandlerSeesEveryMove)
{
    table.open();
    int controlUpdates = 0;
    QObject::connect(&source, &TDataSource::dataChanged, [&] { ++controlUpdates; });
    std::vector<std::string> handlerSaw;
    source.OnDataChange = [&](int) { handlerSaw.push_back(table.fieldText("Language")); };
    {
        ControlsDisabled outer(source);
        {
            ControlsDisabled inner(source);
            table.next();
            table.next();
        }
        // Still disabled: the inner guard alone does not wake the controls.
        EXPECT_EQ(controlUpdates, 0);
        EXPECT_EQ(greek.text(), "ἄρτος & οἶνος");
    }
    EXPECT_EQ(handlerSaw, (std::vector<std::string> { "λόγος", "θεός" }));
    EXPECT_EQ(controlUpdates, 1);
    EXPECT_EQ(greek.text(), "θεός");
    EXPECT_EQ(frequency.text(), "1317");

    // Nothing moved: the controls are not told anything.
    {
        ControlsDisabled quiet(source);
    }
    EXPECT_EQ(controlUpdates, 1);
}

TEST_F(DataControlsTest, ControlsShowWhereAWalkThatFailedStopped)
{
    table.open();
    source.OnDataChange = [&](int) {
        if (table.sequenceNumber() == 2)
            throw cardstore::DatabaseError(cardstore::status::kDataset, "Not a Paradox or dBASE table");
    };
    try {
        ControlsDisabled quiet(source);
        table.next();
        FAIL() << "the handler's error did not reach the walk";
    } catch (const cardstore::DatabaseError&) {
    }
    EXPECT_EQ(greek.text(), "λόγος");
    EXPECT_FALSE(source.controlsDisabled());
}

TEST_F(DataControlsTest, StateChangesReachTheirHandler)
{
    int stateChanges = 0;
    source.OnStateChange = [&] { ++stateChanges; };
    table.open();
    table.edit();
    EXPECT_EQ(stateChanges, 1);
    table.post();
    table.close();
    EXPECT_EQ(stateChanges, 2);
    EXPECT_FALSE(source.active());
}

} // namespace
