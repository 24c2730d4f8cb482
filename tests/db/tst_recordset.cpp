#include "DbFixture.h"
#include "TestEnv.h"

#include "db/XBaseSet.h"

#include <sqlite3.h>

#include <cstdio>
#include <thread>

// A searchable table as the query sets search: two text columns and a number.
class SearchSet : public XBaseSet
{
public:
    SearchSet() : XBaseSet(nullptr, "Queries") {}
    void AddFieldSearch(SqlExpr &list, const QString &value) const override
    {
        AddOrCondition("V_MAKE", "LIKE", FormatLikePattern(value), list, false);
        AddOrCondition("P_NAME", "LIKE", FormatLikePattern(value), list, false);
        AddOrCondition("P_QUANTITY", "=", value, list, true);
    }
    QString GetIdText() const override { return GetText("ID"); }
};

static QStringList Ids(XBaseSet &set)
{
    QStringList ids;
    for (set.MoveFirst(); !set.IsEOF(); set.MoveNext())
        ids << set.GetText("ID");
    ids.sort();
    return ids;
}

// The record-set engine every table class stands on.
class TestRecordSet : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithDatabase());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void addNewResetsEveryFieldAndDefaultsApply()
    {
        XBaseSet set(nullptr, "Queries");
        QVERIFY(set.Open());
        QVERIFY(set.IsEOF() && set.IsBOF());
        set.AddNew();
        set.SetText("ID", "q1");
        set.SetText("C_NAME", "Ann");
        set.SetDouble("P_MAX_PRICE", 12.345678);
        set.SetDate("POST_DATE", QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        set.SetBool("IS_INCOMING", true);
        QVERIFY(set.Update());
        set.AddNew();
        QVERIFY(set.IsFieldNull(set.FieldIndex("C_NAME")));  // nothing inherited from the previous row
        set.SetText("ID", "q2");
        QVERIFY(set.Update());

        QCOMPARE(set.GetRecordCount(), 2);
        QVERIFY(set.Requery());
        QCOMPARE(set.GetText("ID"), QString("q1"));
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), 12.3457);
        QCOMPARE(set.GetText("POST_DATE"), QString("2024-05-06 07:08:09"));
        QCOMPARE(set.GetDate("POST_DATE"), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        QCOMPARE(set.GetInt("IS_INCOMING"), 1);
        QCOMPARE(set.GetInt("IS_CONTACT_FULL"), 1);  // the column's default
        set.MoveNext();
        // NULL reads as empty text or 0.
        QCOMPARE(set.GetText("C_NAME"), QString());
        QCOMPARE(set.GetInt("P_QUANTITY"), 0);
        QCOMPARE(set.GetDouble("P_MAX_PRICE"), 0.0);
        QVERIFY(!set.GetDate("POST_DATE").isValid());
        QCOMPARE(set.GetFieldValue(0).toString(), QString("q2"));  // by position
        QCOMPARE(set.GetFieldName(58), QString("IS_CONTACT_FULL"));
    }

    void movesBookmarksAndCounts()
    {
        for (int i = 1; i <= 5; ++i)
            theDatabase().Execute("INSERT INTO Queries (ID, STATUS_CODE, POST_DATE) VALUES (?, ?, ?)",
                                  {QString("q%1").arg(i), i % 2, QString("2024-01-0%1 00:00:00").arg(i)});
        XBaseSet set(nullptr, "Queries");
        set.SetSort("POST_DATE DESC");
        QVERIFY(set.Open());
        QCOMPARE(set.GetRecordCount(), 5);
        QCOMPARE(set.GetText("ID"), QString("q5"));
        set.MoveToRecord(3);
        QCOMPARE(set.GetText("ID"), QString("q3"));
        const qint64 mark = set.GetBookmark();
        set.MoveLast();
        QCOMPARE(set.GetText("ID"), QString("q1"));
        set.MoveNext();
        QVERIFY(set.IsEOF());
        QVERIFY(set.SetBookmark(mark));
        QCOMPARE(set.GetText("ID"), QString("q3"));
        set.MovePrev();
        QCOMPARE(set.GetCurrentRow(), 1);

        set.SetFilter(SqlExpr("STATUS_CODE = ?", {1}));
        QCOMPARE(set.CountRecords(), 3);
        QCOMPARE(set.CountRecords(SqlExpr("ID <> ?", {"q1"})), 2);
        QCOMPARE(set.CountRecords(" AND POST_DATE > '2024-01-04'"), 1);
        set.SetFilter(QString());
        QCOMPARE(set.CountRecords(), 5);
    }

    void vanishedRowReadsAsDeleted()
    {
        for (const char *id : {"a", "b", "c"})
            theDatabase().Execute("INSERT INTO Queries (ID, C_NAME) VALUES (?, 'x')", {id});
        XBaseSet set(nullptr, "Queries");
        set.SetSort("ID");
        QVERIFY(set.Open());
        theDatabase().Execute("DELETE FROM Queries WHERE ID = 'b'");
        set.MoveNext();
        QVERIFY(set.IsDeleted());
        QCOMPARE(set.GetText("C_NAME"), QString());
        QVERIFY_THROWS_EXCEPTION(DbException, set.Edit());
        set.MoveNext();
        QVERIFY(!set.IsDeleted());
        QCOMPARE(set.GetText("ID"), QString("c"));
        // Deleted while being edited: the update reports it, nothing is written.
        set.Edit();
        set.SetText("C_NAME", "y");
        theDatabase().Execute("DELETE FROM Queries WHERE ID = 'c'");
        QVERIFY(!set.Update());
        QVERIFY(set.IsDeleted());
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM Queries"), 1);
        set.MoveFirst();
        set.Delete();
        QVERIFY(set.IsDeleted());
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM Queries"), 0);
    }

    void twoConnectionsEditDifferentColumns()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, C_NAME, P_NAME, STATUS) VALUES ('q', 'old', 'old', 'New')");
        XBaseSet mine(nullptr, "Queries");
        QVERIFY(mine.Open());
        mine.Edit();
        mine.SetText("C_NAME", "Ann");
        mine.SetText("STATUS", "New");  // set, but unchanged
        std::thread other([] {
            XBaseSet theirs(nullptr, "Queries");
            theirs.Open();
            theirs.Edit();
            theirs.SetText("P_NAME", "door");
            theirs.SetText("STATUS", "Read");
            theirs.Update();
            theDatabase().ReleaseThreadConnection();
        });
        other.join();
        QVERIFY(mine.Update());
        QCOMPARE(mine.GetText("C_NAME"), QString("Ann"));
        QCOMPARE(mine.GetText("P_NAME"), QString("door"));
        QCOMPARE(mine.GetText("STATUS"), QString("Read"));
    }

    // Texts reach the file as toUtf8 writes them, row after row, whatever
    // the rows before them held: longer, shorter, wider or none.
    void textsStoredAsWritten_data()
    {
        QTest::addColumn<QStringList>("names");
        const QString lone = QString("x") + QChar(0xD800) + "y";
        QTest::newRow("plain, then shorter") << QStringList{"Ann Longname", "Bo", ""};
        QTest::newRow("wide and narrow") << QStringList{QString::fromUtf8("Zo\xC3\xAB \xF0\x9F\x9A\x97"), "ab",
                                                         QString::fromUtf8("\xE6\x9D\xB1\xE4\xBA\xAC")};
        QTest::newRow("lone surrogate between") << QStringList{"before", lone, "after"};
        QTest::newRow("long among short") << QStringList{"a", QString(70000, QChar(0x00E9)), "b"};
    }
    void textsStoredAsWritten()
    {
        QFETCH(QStringList, names);
        XBaseSet set(nullptr, "Queries");
        for (int i = 0; i < names.size(); ++i) {
            set.AddNew();
            set.SetText("ID", QString("q%1").arg(i));
            set.SetText("C_NAME", names[i]);
            set.SetText("P_NAME", names[names.size() - 1 - i]);
            set.SetInt("P_QUANTITY", i);
            QVERIFY(set.Update());
        }
        // An edit binds the same way.
        XBaseSet edit(nullptr, "Queries");
        QVERIFY(edit.Select(SqlExpr("ID = ?", {"q0"})));
        edit.Edit();
        edit.SetText("P_NAME", names.last() + names.first());
        QVERIFY(edit.Update());
        for (int i = 0; i < names.size(); ++i) {
            const QString id = QString("q%1").arg(i);
            const QString pName = i == 0 ? names.last() + names.first() : names[names.size() - 1 - i];
            SqlStatement &st = theDatabase().Connection().Prepare(
                QByteArray("SELECT CAST(C_NAME AS BLOB), CAST(P_NAME AS BLOB), P_QUANTITY FROM Queries WHERE ID = ?"));
            st.Bind(1, id);
            QVERIFY(st.Step());
            const QByteArray cName(static_cast<const char *>(sqlite3_column_blob(st.Handle(), 0)),
                                   sqlite3_column_bytes(st.Handle(), 0));
            const QByteArray pNameBytes(static_cast<const char *>(sqlite3_column_blob(st.Handle(), 1)),
                                        sqlite3_column_bytes(st.Handle(), 1));
            QCOMPARE(cName, names[i].toUtf8());
            QCOMPARE(pNameBytes, pName.toUtf8());
            QCOMPARE(st.Int(2), i);
            st.Reset();
        }
    }

    // A name is found by its text, wherever it is held: a buffer that held
    // one name and now holds another finds the other.
    void fieldsFoundByTextNotPlace()
    {
        XBaseSet set(nullptr, "Queries");
        char name[32];
        for (const char *column : {"P_NAME", "ID", "p_name", "V_MAKE", "NO_SUCH", "C_NAME"}) {
            std::snprintf(name, sizeof name, "%s", column);
            const int found = set.FindField(name);
            if (QByteArray(column) == "NO_SUCH") {
                QCOMPARE(found, -1);
                continue;
            }
            QVERIFY(found >= 0);
            QCOMPARE(set.GetFieldName(found).toUpper(), QString(column).toUpper());
        }
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("blank") << "   " << QStringList{"i1", "i2", "i3", "i4", "i5"};
        QTest::newRow("one word") << "ford" << QStringList{"i1", "i2"};
        QTest::newRow("two words, whole text") << "Ford Focus" << QStringList{"i1"};
        QTest::newRow("two words, each") << "door  mazda" << QStringList{"i3"};
        QTest::newRow("quote in a word") << "o'brien" << QStringList{"i4"};
        QTest::newRow("number") << "12" << QStringList{"i2", "i5"};  // i5 by its part name
        QTest::newRow("beyond 32 bits") << "4294967308" << QStringList{};
        QTest::newRow("beyond 64 bits") << "123456789012345678901234567" << QStringList{"i5"};
        QTest::newRow("unicode case") << QString::fromUtf8("ЁЛКА") << QStringList{"i5"};
        QTest::newRow("sql in a word") << "x') OR 1=1 --" << QStringList{};
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        // Incoming rows i1..i5; each outgoing row o* would match the same words.
        const QList<QVariantList> rows = {
            {"i1", 1, "Ford Focus", "mirror", 1}, {"o1", 0, "Ford Focus", "mirror", 1},
            {"i2", 1, "Ford", "hood", 12},        {"o2", 0, "Ford", "hood", 12},
            {"i3", 1, "Mazda", "door", 2},        {"o3", 0, "Mazda", "door", 2},
            {"i4", 1, "O'Brien", "seat", 3},      {"o4", 0, "O'Brien", "seat", 3},
            {"i5", 1, QString::fromUtf8("ёлка"), "123456789012345678901234567", 4},
            {"o5", 0, QString::fromUtf8("ёлка"), "123456789012345678901234567", 4},
        };
        for (const QVariantList &r : rows)
            theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, V_MAKE, P_NAME, P_QUANTITY) VALUES (?, ?, ?, ?, ?)", r);
        SearchSet set;
        set.SetBaseFilter(SqlExpr("IS_INCOMING = ?", {1}));
        set.ResetFilter();
        QString searchText = text;
        set.SetSearchText(searchText);
        QCOMPARE(searchText, text.trimmed());
        QVERIFY(set.Open());
        QCOMPARE(Ids(set), expected);
        QCOMPARE(set.CountRecords(), int(expected.size()));
        set.ResetFilter();
        QCOMPARE(set.GetFilter(), set.GetBaseFilter());
    }

    void searchFilterShape()
    {
        SearchSet set;
        QString text = "a b";
        set.SetSearchText(text);  // no folder filter: no leading AND
        QCOMPARE(set.GetFilter().text.count("UCASE(TRIM(V_MAKE)) LIKE UCASE(TRIM(?))"), 3);
        QVERIFY(set.GetFilter().text.startsWith("(UCASE"));
        QVERIFY(!set.GetFilter().text.contains("'"));
        QCOMPARE(set.GetFilter().args.first().toString(), QString("%a b%"));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestRecordSet)
#include "tst_recordset.moc"
