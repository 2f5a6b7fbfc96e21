#include "SurveyTableFixture.h"

#include "survey/TableStateSlots.h"

namespace {

using SurveyTablesTest = SurveyTableFixture;

TEST_F(SurveyTablesTest, NextKeyValue)
{
    struct Case {
        const char* name;
        QStringList refers;
        QString current; // the record the cursor is on
        QString next;
    };
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QString("%1").arg(i, 6, 10, QChar('0'));
    const Case cases[] = {
        { "empty table", {}, {}, "000001" },
        { "one to twelve and a reserved mark", twelve + QStringList { "900000" }, "000005", "000013" },
        { "nines are never counted", { "000003", "999999", "9" }, "000003", "000004" },
        { "gaps do not matter", { "000002", "000040" }, "000002", "000041" },
        // A hand-typed short number is still a number, not a text that sorts
        // after every padded one.
        { "short number typed by hand", { "12", "000013" }, "000013", "000014" },
        { "text values are skipped", { "000007", "ABC" }, "000007", "000008" },
        { "only reserved values", { "900001" }, "900001", "000001" },
        { "more digits than the field", { "999998" }, "999998", "000001" },
        { "current record has no number", { "000001", "PONTE" }, "PONTE", "" },
        { "current record is empty", { "000001", "" }, "", "" },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDbTable table;
        MakeSurveyTable(table, QString("K%1.DB").arg(++n), c.refers);
        for (table.First(); !table.Eof() && table.FieldValue("Refer").toString() != c.current; table.Next()) {
        }
        const qint64 here = table.Bookmark();
        EXPECT_EQ(NextKeyValue(table, "Refer").toString(), c.next);
        EXPECT_EQ(table.Bookmark(), here);
    }
}

TEST_F(SurveyTablesTest, NextKeyValueOfANumericFieldAndAboveTheFieldSize)
{
    TDbTable table;
    MakeSurveyTable(table, "N.DB", {});
    EXPECT_EQ(NextKeyValue(table, "Lon"), QVariant(1));
    for (int lon : { 5, 90000 }) {
        table.Append();
        table.SetFieldValue("Refer", QString::number(lon));
        table.SetFieldValue("Lon", lon);
        table.Post();
    }
    // Numbers are not reserved in a numeric field.
    EXPECT_EQ(NextKeyValue(table, "Lon"), QVariant(90001));

    TDbTable wide;
    MakeSurveyTable(wide, "W.DB", { "899999" });
    table.Last();
    EXPECT_EQ(NextKeyValue(wide, "Refer").toString(), "900000");
}

TEST_F(SurveyTablesTest, NextKeyValueKeepsTheTablesOrderFilterAndEditing)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001", "000002", "000003" });
    table.First();
    for (const char* obs : { "c", "b", "a" }) {
        table.Edit();
        table.SetFieldValue("Obs", obs);
        table.Next();
    }
    table.SetIndexFieldNames("Obs");
    table.SetFilter("Obs <> 'c'");
    table.SetFiltered(true);
    table.First(); // "000003" ("a")
    table.Edit();
    EXPECT_EQ(NextKeyValue(table, "Refer").toString(), "000004"); // the whole table was seen
    EXPECT_EQ(table.IndexFieldNames(), "Obs");
    EXPECT_TRUE(table.Filtered());
    EXPECT_EQ(table.FieldValue("Refer").toString(), "000003");
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    EXPECT_EQ(SurveySlots().FreeCount(), TTableStateSlots::SlotCount);
}

TEST_F(SurveyTablesTest, WithNoFreeSlotNothingIsRestored)
{
    TDbTable table;
    MakeSurveyTable(table, "T.DB", { "000001", "000002" });
    table.SetIndexFieldNames("Obs");
    TTableStateSlots remembered;
    for (int i = 0; i < TTableStateSlots::SlotCount; ++i)
        ASSERT_EQ(remembered.Remember(table), i);
    EXPECT_EQ(remembered.Remember(table), -1);
    table.SetIndexFieldNames("");
    remembered.Restore(table, -1);
    EXPECT_EQ(table.IndexFieldNames(), "");
    remembered.Restore(table, 7);
    EXPECT_EQ(table.IndexFieldNames(), "Obs");
    EXPECT_EQ(remembered.FreeCount(), 1);
    remembered.FreeAll();
    EXPECT_EQ(remembered.FreeCount(), TTableStateSlots::SlotCount);
}

TEST_F(SurveyTablesTest, RestoreReopensTheRememberedFile)
{
    TDbTable table, other;
    MakeSurveyTable(other, "A.DB", { "000001", "000002" });
    other.Last();
    TTableStateSlots remembered;
    const int slot = remembered.Remember(other);
    other.Close();
    other.SetTableName(Path("B.DB"));
    CriaTbDados(other);
    other.Open();
    remembered.Restore(other, slot);
    EXPECT_EQ(other.TableName(), Path("A.DB"));
    EXPECT_EQ(other.FieldValue("Refer").toString(), "000002");
}

TEST_F(SurveyTablesTest, TrackTableSitsBesideTheSurveyTable)
{
    struct Case {
        QString survey, track;
    };
    for (const Case& c : { Case { "/home/ana/Dados/BR101.DB", "/home/ana/Dados/BR101Tr.DB" },
             Case { "/home/ana/Brumex/TbDados.DB", "/home/ana/Brumex/TbDadosTr.DB" },
             Case { "/home/ana/Dados.2024/BR101.DB", "/home/ana/Dados.2024/BR101Tr.DB" },
             Case { "/dados/BR.101.DB", "/dados/BRTr.101.DB" }, Case { "/dados/Rodovia", "/dados/RodoviaTr" },
             Case { "C:\\Dados\\BR101.DB", "C:\\Dados\\BR101Tr.DB" } })
        EXPECT_EQ(TrackTablePath(c.survey), c.track) << c.survey.toStdString();
}

} // namespace
