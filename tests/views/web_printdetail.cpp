// Under a real display (xvfb-run): the selected query's printable detail
// page, rendered by the shipped style sheets, printed to a PDF file.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/XSLTransformer.h"
#include "browser/HtmlPrinting.h"
#include "browser/WebHost.h"
#include "views/XQueryListCtrl.h"

#include <QPrinter>
#include <QTemporaryDir>

class WebPrintDetail : public QObject
{
    Q_OBJECT
private slots:
    void printsQueryPageToPdf()
    {
        TestApp::Options options = ViewsOptions();
        options.extra[GlobalSlot::XslTransformer] = [] { return std::make_unique<XSLTransformer>(); };
        TestApp app(options);
        app.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
        app.frame.pageSection = 2;
        WebHost web;
        QVERIFY(theDatabase().init());
        theDatabase().Execute(
            "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, V_MAKE, V_MODEL, "
            "V_YEAR, P_NAME, C_NAME) VALUES ('Q-7', 1, 0, 0, 'New', '2024-03-03 08:00:00', 'Ford', 'Focus', "
            "'2005', 'Starter', 'Lee Parts')");
        FakeListHost host;
        host.node = 20102;
        XQueryListCtrl list(&host);
        OpenFolder(list, 20102);
        ClickRow(list, 0);
        const QString html = list.GetDetailsHtml(true);
        QVERIFY(html.contains(QLatin1String("Starter")));

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("query.pdf"));
        const bool printed = HtmlPrinting::Print(
            html,
            [&pdf](QPrinter &printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                return true;
            },
            QStringLiteral("Print"), QStringLiteral("The page could not be printed."));
        QVERIFY(printed);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.size() > 1000);
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
    }
};

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    WebPrintDetail test;
    return QTest::qExec(&test, argc, argv);
}

#include "web_printdetail.moc"
