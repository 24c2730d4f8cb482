#include "TestEnv.h"

#include "db/Schema.h"
#include "db/SqlDb.h"

#include <QSet>

// The description against what SQLite reports of a file built from it.
class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    void descriptionIsComplete()
    {
        const auto &tables = Schema::Tables();
        QCOMPARE(int(tables.size()), 12);
        const QList<int> counts = {59, 61, 38, 18, 32, 63, 2, 4, 2, 58, 69, 43};
        for (size_t i = 0; i < tables.size(); ++i)
            QCOMPARE(int(tables[i].columns.size()), counts[int(i)]);
        QCOMPARE(Schema::IndexCount(), 85);
        QVERIFY(Schema::Find("queries_cars"));
        QCOMPARE(Schema::Require("Quotes").ColumnIndex("RECIVE_DATE"), 20);
    }

    void fileMatchesDescription()
    {
        const QString path = TestEnv::NewFolder() + "/s.db";
        SqlConnection c(path);
        for (const TableDef &t : Schema::Tables())
            c.ExecScript(t.CreateTableSql());
        for (const TableDef &t : Schema::Tables())
            for (const QByteArray &sql : t.CreateIndexSql())
                c.ExecScript(sql);

        for (const TableDef &t : Schema::Tables()) {
            SqlStatement &st = c.Prepare(QStringLiteral("SELECT name, type, dflt_value, pk FROM pragma_table_info(?)"));
            st.Bind(1, QString::fromLatin1(t.name));
            size_t i = 0;
            while (st.Step()) {
                QVERIFY(i < t.columns.size());
                const ColumnDef &col = t.columns[i++];
                QCOMPARE(st.Text(0), QString::fromLatin1(col.name));
                QCOMPARE(st.Text(1), QString::fromLatin1(col.SqlType()));
                QCOMPARE(st.Text(2).toUtf8(), col.DefaultSql());
                QCOMPARE(st.Int(3) != 0, col.primaryKey);
            }
            QCOMPARE(i, t.columns.size());

            SqlStatement &ix = c.Prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                                        "AND tbl_name = ? AND sql IS NOT NULL ORDER BY rowid"));
            ix.Bind(1, QString::fromLatin1(t.name));
            QStringList names;
            while (ix.Step())
                names << ix.Text(0);
            QStringList expected;
            for (const char *col : t.indexes)
                expected << QString::fromLatin1(TableDef::IndexName(t.name, col));
            QCOMPARE(names, expected);
        }
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL").toInt(), 85);

        // Defaults: the two "full" flags 1, other flags 0, LAST_UPDATED the local time of insertion.
        c.Exec("INSERT INTO Queries (ID) VALUES ('q')");
        QCOMPARE(c.Scalar("SELECT IS_CONTACT_FULL FROM Queries").toInt(), 1);
        QCOMPARE(c.Scalar("SELECT IS_INCOMING + IS_ARCHIVE + AUTOREPL_CHECKED FROM Queries").toInt(), 0);
        c.Exec("INSERT INTO Orders (ID) VALUES ('o')");
        QCOMPARE(c.Scalar("SELECT IS_BILLING_FULL FROM Orders").toInt(), 1);
        QCOMPARE(c.Scalar("SELECT IS_UPDATED + IS_U_NEW FROM Orders").toInt(), 0);
        c.Exec("INSERT INTO Inventory (P_NAME) VALUES ('door')");
        const QDateTime stamp = SqlValue::ParseDateTime(c.Scalar("SELECT LAST_UPDATED FROM Inventory").toString());
        QVERIFY(stamp.isValid());
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 120);

        // Text compares without case, as the original engine did.
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM Queries WHERE ID = 'Q'").toInt(), 1);
    }

    void identityIdsAreNotReused()
    {
        SqlConnection c(TestEnv::NewFolder() + "/s.db");
        c.ExecScript(Schema::Require("ABookGroups").CreateTableSql());
        c.Exec("INSERT INTO ABookGroups (NAME) VALUES ('a')");
        c.Exec("INSERT INTO ABookGroups (NAME) VALUES ('b')");
        QCOMPARE(c.LastInsertId(), 2);
        c.Exec("DELETE FROM ABookGroups WHERE ID = 2");
        c.Exec("INSERT INTO ABookGroups (NAME) VALUES ('c')");
        QCOMPARE(c.LastInsertId(), 3);
    }
};

KORVANT_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
