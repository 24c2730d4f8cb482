#include "RecordingCommands.h"
#include "WebTestUtil.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/MhtCreator.h"
#include "app/Utils.h"
#include "browser/BrowserDlg.h"
#include "browser/CWebBrowser2.h"
#include "browser/WebHost.h"

#include <QAction>
#include <QApplication>
#include <QVBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <httplib.h>

#include <thread>

namespace {

using WebTest::Eval;
using WebTest::kLoadTimeout;
using WebTest::WaitLoaded;

// A page of a local web server, the marketplace server's stand-in.
class PageServer
{
public:
    explicit PageServer(const std::string &html)
    {
        m_server.Get("/page", [html](const httplib::Request &, httplib::Response &res) {
            res.set_content(html, "text/html");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~PageServer()
    {
        m_server.stop();
        m_thread.join();
    }
    QString Url(const QString &path = QString()) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

} // namespace

class TestWebView : public QObject
{
    Q_OBJECT

    std::unique_ptr<WebHost> m_host;
    RecordingCommands m_frame;

private slots:
    void initTestCase()
    {
        m_host = std::make_unique<WebHost>();
        m_host->SetFrameCommands(&m_frame);
    }
    void cleanupTestCase() { m_host.reset(); }
    void init() { m_frame.log.Clear(); }

    // First of the tests: no browser has made a page yet. A view made later is
    // an empty holder that starts nothing of the engine (not even the profile)
    // until it is realized; then the last content asked for loads, alone.
    void viewMadeLaterLoadsTheLastContent()
    {
        TestApp t;
        QVERIFY(!m_host->HasProfile());
        QWidget parent;
        CWebBrowser2 browser(&parent, QStringLiteral("later"), CWebBrowser2::ViewCreation::Later);
        QCOMPARE(browser.Widget()->parent(), &parent);
        QCOMPARE(browser.Widget()->objectName(), QStringLiteral("later"));
        QStringList titles;
        connect(&browser, &CWebBrowser2::titleReady, this, [&](const QString &title) { titles << title; });
        browser.Navigate("about:blank");
        browser.ShowHtml("<html><head><title>first</title></head></html>");
        browser.ShowHtml("<html><head><title>last</title></head><body><p id='p'>shown</p></body></html>");
        QTest::qWait(100);
        QVERIFY(!browser.ViewMade());
        QVERIFY(parent.findChildren<QWebEngineView *>().isEmpty());
        QVERIFY(!m_host->HasProfile());
        QVERIFY(browser.Html().contains("last"));

        browser.Realize();
        QVERIFY(browser.ViewMade());
        QVERIFY(m_host->HasProfile());
        QCOMPARE(browser.View()->parentWidget(), browser.Widget());
        QCOMPARE(browser.Widget()->focusProxy(), browser.View());
        QTRY_COMPARE_WITH_TIMEOUT(titles, QStringList{"last"}, kLoadTimeout);
        QCOMPARE(Eval(browser, "document.getElementById('p').textContent").toString(), QStringLiteral("shown"));
        QTest::qWait(200);
        QCOMPARE(titles, QStringList{"last"});
    }

    // Whatever needs the page before then makes the view at once, and the
    // content that waited loads.
    void viewMadeLaterOnDemand_data()
    {
        QTest::addColumn<int>("need");
        QTest::newRow("page") << 0;
        QTest::newRow("view") << 1;
        QTest::newRow("script") << 2;
    }
    void viewMadeLaterOnDemand()
    {
        QFETCH(int, need);
        TestApp t;
        QWidget parent;
        CWebBrowser2 browser(&parent, QStringLiteral("demand"), CWebBrowser2::ViewCreation::Later);
        browser.ShowHtml("<html><body><p id='p'>waited</p></body></html>");
        QVERIFY(!browser.ViewMade());
        QSignalSpy titles(&browser, &CWebBrowser2::titleReady);
        if (need == 0)
            QVERIFY(browser.Page());
        else if (need == 1)
            QVERIFY(browser.View());
        else
            browser.RunScript("1");
        QVERIFY(browser.ViewMade());
        QVERIFY(titles.wait(kLoadTimeout));
        QCOMPARE(Eval(browser, "document.getElementById('p').textContent").toString(), QStringLiteral("waited"));
    }

    // Far above what an HTML string could carry through the old 2 MB limit.
    void largePageShows()
    {
        TestApp t;
        CWebBrowser2 browser(nullptr);
        QString html = QStringLiteral("<html><body>");
        const QString row = QStringLiteral("<p>%1</p>").arg(QString(90, u'x'));
        while (html.size() < 3 * 1024 * 1024)
            html += row;
        html += QStringLiteral("<p id=\"end\">end \u00e9</p></body></html>");
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml(html); }));
        QCOMPARE(Eval(browser, "document.getElementById('end').textContent").toString(), QStringLiteral("end \u00e9"));
        QVERIFY(browser.Page()->url().scheme() == QLatin1String("korvant"));
    }

    // The breadcrumb takes the page's own title; a page without one adds
    // nothing (the engine would give its address).
    void titleHandlerGetsThePagesOwnTitle()
    {
        TestApp t;
        CWebBrowser2 browser(nullptr);
        QStringList titles;
        browser.SetTitleHandler([&](const QString &title) { titles << title; });
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml(QStringLiteral("<html><head><title>Fees &amp; terms</title></head><body>x</body></html>")); }));
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml(QStringLiteral("<html><body>no title</body></html>")); }));
        QCOMPARE(titles, (QStringList{QStringLiteral("Fees & terms"), QString()}));
    }

    void alertAndConfirmUseOurBox()
    {
        TestApp t;
        t.dialogs.QueueAnswer(MsgBox::IdOk);      // alert
        t.dialogs.QueueAnswer(MsgBox::IdCancel);  // first confirm
        t.dialogs.QueueAnswer(MsgBox::IdOk);      // second confirm
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml("<html><body>page</body></html>"); }));
        Eval(browser, "alert('Saved <b>'); document.title = confirm('Sure?') + ',' + confirm('Really?');");
        QTRY_COMPARE_WITH_TIMEOUT(browser.Page()->title(), QStringLiteral("false,true"), kLoadTimeout);
        QCOMPARE(t.dialogs.log.Calls(), (QStringList{"MessageBox|Saved <b>|Korvant|64", "MessageBox|Sure?|Korvant|33",
                                                     "MessageBox|Really?|Korvant|33"}));
    }

    // A link and a posted form of our own page run their commands, nothing else loads.
    void linkAndPostRunCommands()
    {
        TestApp t;
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] {
            browser.ShowHtml("<html><body><a id='l' href='app:show-picture?url=a%20b.jpg&quote_id=Q1&pic_id=2'>x</a>"
                             "<form id='f' method='post' action='app:tradewick-quote-change?price=7'>"
                             "<input name='price' value='99'><input name='notes' value='a+b %2B &amp; c'>"
                             "<input name='shipping' value='x=y'></form></body></html>");
        }));
        const QUrl page = browser.Page()->url();
        Eval(browser, "document.getElementById('l').click()");
        QTRY_COMPARE_WITH_TIMEOUT(m_frame.log.Calls(), QStringList{"ShowQuotePicture|a b.jpg|Q1|2"}, kLoadTimeout);
        Eval(browser, "document.getElementById('f').requestSubmit()");
        QTRY_COMPARE_WITH_TIMEOUT(m_frame.pending.notes, QStringLiteral("a+b %2B & c"), kLoadTimeout);
        QCOMPARE(m_frame.pending.price, QStringLiteral("7"));
        QCOMPARE(m_frame.pending.shipping, QStringLiteral("x=y"));
        QCOMPARE(browser.Page()->url(), page);
    }

    // A command that opens a window with its own page: that page loads while
    // the window is up (neither a link's navigation nor a post holds the engine).
    void commandOpensWindowThatLoads_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("link") << "document.getElementById('l').click()";
        QTest::newRow("post") << "document.getElementById('f').requestSubmit()";
    }
    void commandOpensWindowThatLoads()
    {
        QFETCH(QString, script);
        struct Opening : RecordingCommands
        {
            bool loaded = false;
            void ShowQuotePartPicture(const QString &, const QString &, const QString &) override
            {
                QDialog window;
                CWebBrowser2 inner(&window);
                window.show();
                loaded = WaitLoaded(inner, [&] { inner.ShowHtml("<html><body>inner</body></html>"); });
                log.Add("opened");
            }
        } opening;
        TestApp t;
        m_host->SetFrameCommands(&opening);
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] {
            browser.ShowHtml("<html><body><a id='l' href='app:show-partpicture?quote_id=Q1&pic_id=1'>x</a>"
                             "<form id='f' method='post' action='app:show-partpicture?quote_id=Q1'>"
                             "<input name='pic_id' value='1'></form></body></html>");
        }));
        Eval(browser, script);
        QTRY_COMPARE_WITH_TIMEOUT(opening.log.Calls(), QStringList{"opened"}, 2 * kLoadTimeout);
        m_host->SetFrameCommands(&m_frame);
        QVERIFY(opening.loaded);
    }

    // Links in a sub-frame or on a page of another origin run nothing.
    void untrustedLinksRunNothing()
    {
        TestApp t;
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] {
            browser.ShowHtml("<html><body><iframe id='i' srcdoc=\"<a id='x' href='app:print'>x</a>\"></iframe>"
                             "</body></html>");
        }));
        QTRY_VERIFY_WITH_TIMEOUT(Eval(browser, "!!document.getElementById('i').contentDocument.getElementById('x')").toBool(),
                                 kLoadTimeout);
        Eval(browser, "document.getElementById('i').contentDocument.getElementById('x').click()");

        const QString file = TestEnv::NewFolder() + "/foreign.html";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body><a id='x' href='app:print'>x</a>"
                "<form id='f' method='post' action='app:print'><input name='a' value='1'></form></body></html>");
        f.close();
        QVERIFY(WaitLoaded(browser, [&] { browser.Navigate(QUrl::fromLocalFile(file).toString()); }));
        Eval(browser, "document.getElementById('x').click(); document.getElementById('f').requestSubmit();");
        QTest::qWait(500);
        QVERIFY2(m_frame.log.Calls().isEmpty(), qPrintable(m_frame.log.Calls().join(';')));
    }

    // The server's own pages run commands; alert shows our box there too.
    void serverPageRunsCommands()
    {
        PageServer server("<html><body><a id='x' href='app:messages'>m</a></body></html>");
        TestApp t(TestApp::Options{QStringLiteral("-url ") + server.Url(), {}, true, true});
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.Navigate(server.Url("/page")); }));
        Eval(browser, "document.getElementById('x').click(); alert('hello');");
        QTRY_COMPARE_WITH_TIMEOUT(m_frame.log.Calls(), QStringList{"Select|118"}, kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(t.dialogs.log.Calls(), QStringList{"MessageBox|hello|Korvant|64"}, kLoadTimeout);
    }

    // The scheme serves the style sheets and pictures of the data folder, nothing else.
    void schemeServesOnlyItsFolders()
    {
        TestApp t;
        const QString data = QFileInfo(t.DataFolder()).canonicalFilePath();
        QDir().mkpath(data + "/part_images");
        QFile(data + "/part_images/a.jpg").open(QIODevice::WriteOnly);
        QFile(data + "/kvc.mdb").open(QIODevice::WriteOnly);
        QDir().mkpath(t.App().GetXslFolder());
        QFile(t.App().GetXslFolder() + "/common.xsl").open(QIODevice::WriteOnly);
        QCOMPARE(WebHost::LocalFileFor(QUrl("korvant://data/part_images/a.jpg")), data + "/part_images/a.jpg");
        QCOMPARE(WebHost::LocalFileFor(QUrl("korvant://data" + data + "/part_images/a.jpg")), data + "/part_images/a.jpg");
        QVERIFY(!WebHost::LocalFileFor(QUrl("korvant://xsl/common.xsl")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://data/kvc.mdb")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://data/part_images/../kvc.mdb")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://data/part_images/%2E%2E/%2E%2E/etc/x.jpg")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://xsl/../data/part_images/a.jpg")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://other/a.jpg")).isEmpty());
        QVERIFY(WebHost::LocalFileFor(QUrl("korvant://data/etc/passwd.jpg")).isEmpty());
    }

    // A detail page of hostile data shows without running anything of it.
    void hostilePageRaisesNoAlert()
    {
        TestApp t;
        t.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
        const QByteArray evil = "&lt;img src=x onerror=alert(1)&gt;&lt;script&gt;alert(2)&lt;/script&gt;&quot;'&amp;%";
        const QByteArray xml = "<details id=\"" + evil + "\" sendmessage=\"1\"><status>" + evil + "</status>"
                               "<section name=\"p\" caption=\"" + evil + "\"><part-fields><name>" + evil + "</name>"
                               "<website>javascript:alert(3)</website></part-fields></section></details>";
        const QString html = Utils::TransformXml(xml, "query-detail.xsl");
        QVERIFY(!html.isEmpty());
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml(html); }));
        Eval(browser, "document.querySelectorAll('a').forEach(function (a) { if (!/^app:/.test(a.getAttribute('href'))) a.click(); })");
        QTest::qWait(300);
        QVERIFY2(t.dialogs.log.Calls().isEmpty(), qPrintable(t.dialogs.log.Calls().join('\n')));
        QVERIFY(Eval(browser, "document.body.textContent.indexOf('alert(2)') >= 0").toBool());
    }

    // The browser dialog: the address wins over the text; Close cancels; a page's
    // "deal-pay-done" confirms the dialog that owns it.
    void browserDialog()
    {
        PageServer server("<html><head><title>Served</title></head><body>server</body></html>");
        TestApp t;
        {
            BrowserDlg both;
            both.SetTitle("Both");
            both.SetURL(server.Url("/page"));
            both.SetHTML("<html><body>text</body></html>");
            QVERIFY(WaitLoaded(both.Browser(), [&] { both.open(); }));
            QCOMPARE(both.windowTitle(), QStringLiteral("Both"));
            QCOMPARE(both.Browser().Page()->title(), QStringLiteral("Served"));
            QTest::mouseClick(both.findChild<QPushButton *>("close"), Qt::LeftButton);
            QVERIFY(both.Cancelled());
            QCOMPARE(both.result(), int(QDialog::Rejected));
        }
        {
            BrowserDlg neither;
            neither.SetTitle("Empty");
            neither.open();
            QTest::qWait(200);
            QCOMPARE(neither.windowTitle(), QStringLiteral("Empty"));
            QVERIFY(neither.Browser().Page()->url().isEmpty() || neither.Browser().Page()->url().toString() == "about:blank");
            neither.reject();
        }
        BrowserDlg pay;
        pay.SetHTML("<html><body><a id='done' href='app:deal-pay-done'>done</a></body></html>");
        QVERIFY(WaitLoaded(pay.Browser(), [&] { pay.open(); }));
        QVERIFY(pay.isVisible());
        Eval(pay.Browser(), "document.getElementById('done').click()");
        QTRY_VERIFY_WITH_TIMEOUT(!pay.isVisible(), kLoadTimeout);
        QVERIFY(!pay.Cancelled());
        QCOMPARE(pay.result(), int(QDialog::Accepted));
    }

    // Browsers are real; every other pane comes from the factory behind.
    void paneFactory()
    {
        TestApp t;
        PlaceholderPaneFactory placeholders;
        BrowserPaneFactory factory(placeholders);
        QWidget parent;
        auto details = factory.CreateBrowser(IPaneFactory::BrowserKind::Details, &parent);
        auto *browser = dynamic_cast<CWebBrowser2 *>(details.get());
        QVERIFY(browser);
        QCOMPARE(details->Widget()->parent(), &parent);
        QCOMPARE(details->Widget()->objectName(), QStringLiteral("DetBrowser"));
        // The main window's panes make their views when it realizes them.
        QVERIFY(!browser->ViewMade());
        details->Realize();
        QCOMPARE(parent.findChildren<QWebEngineView *>().size(), 1);
        QCOMPARE(browser->View()->objectName(), QStringLiteral("DetBrowser"));
        auto list = factory.CreateRecordList(IPaneFactory::ListKind::Orders, &parent);
        QVERIFY(!dynamic_cast<CWebBrowser2 *>(list.get()));
        QVERIFY(factory.CreateDashboard(&parent) && factory.CreateSpeciality(&parent));
        details.reset();
        QVERIFY(parent.findChildren<QWebEngineView *>().isEmpty());
        QVERIFY(parent.findChildren<QWidget *>(QStringLiteral("DetBrowser")).isEmpty());
    }

    // The page's own refresh never acts, but the window's shortcuts do: F5
    // in a details page still polls.
    // Which keys the window keeps and which the page gets.
    void windowKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("window");
        QTest::newRow("F5") << int(Qt::Key_F5) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F5") << int(Qt::Key_F5) << int(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+N on the keypad") << int(Qt::Key_N) << int(Qt::ControlModifier | Qt::KeypadModifier) << true;
        QTest::newRow("Ctrl+Shift+N") << int(Qt::Key_N) << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Alt+P") << int(Qt::Key_P) << int(Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("N") << int(Qt::Key_N) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier) << false;
        QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier) << false;
    }
    void windowKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QTEST(BrowserView::IsWindowKey(&event), "window");
    }

    void windowShortcutsPassThePage()
    {
        TestApp t;
        QWidget window;
        CWebBrowser2 browser(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(browser.View());
        QAction poll(&window);
        poll.setShortcut(QKeySequence(Qt::Key_F5));
        window.addAction(&poll);
        QSignalSpy polled(&poll, &QAction::triggered);
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowHtml("<html><body><input id=\"f\"></body></html>"); }));
        Eval(browser, "window.marker = 7; document.getElementById('f').focus();");
        QWidget *target = browser.View()->focusProxy() ? browser.View()->focusProxy() : browser.View();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F5);
        QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(polled.count(), 1);
        QTest::qWait(300);
        QCOMPARE(Eval(browser, "window.marker").toInt(), 7);
    }

    // Texts with quotes, backslashes and a script end reach the page's
    // fields as they are, and run nothing of their own.
    void quoteInputsAndFocusTakeAnyText()
    {
        TestApp t;
        QWidget window;
        CWebBrowser2 browser(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(browser.View());
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString id = QStringLiteral("x'y\"z\\</script>");
        QVERIFY(WaitLoaded(browser, [&] {
            browser.ShowHtml("<html><body><input id=\"price\"><input id=\"shipping\"><textarea id=\"notes\"></textarea>"
                             "<select id=\"cond\"><option>New</option><option>Used</option><option>Rebuilt</option>"
                             "</select><input id=\"other\"></body></html>");
        }));
        Eval(browser, "document.getElementById('other').id = " + QStringLiteral("'x\\'y\"z\\\\</script>'"));
        const QStringList texts{QStringLiteral("1'2"), QStringLiteral("\"3\"\\"),
                                QStringLiteral("a\\b</script><script>window.pwned=1</script>'\"\n2")};
        browser.FillQuoteInputs(texts[0], texts[1], texts[2], 2);
        const QStringList read = Eval(browser, "['price','shipping','notes'].map(function (i) { "
                                               "return document.getElementById(i).value; })")
                                     .toStringList();
        QCOMPARE(read, texts);
        QCOMPARE(Eval(browser, "document.getElementById('cond').selectedIndex").toInt(), 2);
        browser.FocusElement(id);
        QTRY_COMPARE_WITH_TIMEOUT(Eval(browser, "document.activeElement ? document.activeElement.id : ''").toString(), id,
                                  kLoadTimeout);
        QCOMPARE(Eval(browser, "typeof window.pwned").toString(), QString("undefined"));
    }

    void mhtPreviewShowsPicture()
    {
        TestApp t;
        const QString folder = TestEnv::NewFolder();
        const QString picture = folder + "/deal 1.png";
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture));
        const QString mht = folder + "/hotdealtmp.mht";
        QVERIFY(MhtCreator().SaveToFile(
            QStringLiteral("<html><body><img id='p' src='%1'></body></html>").arg(MhtCreator::PageUrl(picture)), {picture},
            mht));
        QFile::remove(picture);  // only the message holds it now
        CWebBrowser2 browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.Navigate(QUrl::fromLocalFile(mht).toString()); }));
        QTRY_COMPARE_WITH_TIMEOUT(Eval(browser, "document.getElementById('p').naturalWidth").toInt(), 8, kLoadTimeout);
    }
};

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    TestWebView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webview.moc"
