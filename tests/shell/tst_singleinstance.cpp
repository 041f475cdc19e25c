// The single-instance hand-over between real processes: the built viewer
// started by QProcess talks to an instance running in this test, or to
// another viewer process, through the per-user local socket.

#include "common/Cp1252.h"
#include "display/CTolvaneView.h"
#include "shell/CMainFrame.h"
#include "shell/CTolvaneApp.h"
#include "shell/DataSourceLocation.h"
#include "shell/InstanceChannel.h"
#include "support/ViewerFixture.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kViewer = QStringLiteral(TOLVANE_BINARY_DIR "/tolvane");

QString socketPathFor(const std::string& base) {
    return InstanceChannel::SocketPath(MakeInstanceClassName(cp1252::toUpper(base)));
}

// Runs the viewer with args and waits for it to end while this process
// keeps handling its own events; returns its exit code, -1 on a timeout.
int runViewer(const QStringList& args, int timeoutMs = 90000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(kViewer, args);
    if (!process.waitForStarted(10000))
        return -1;
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

struct Running {
    TempDir dir;
    RecordingServices services;
    RecordingHooks hooks;
    std::unique_ptr<CTolvaneApp> app;
    std::string base;
    QString dArg;

    Running() {
        base = dir.file("aide");
        writeFixture(base);
        dArg = QStringLiteral("/D:") + QString::fromStdString(base);
    }
    bool start() {
        app = std::make_unique<CTolvaneApp>(services);
        if (!app->InitInstance({dArg.toStdString()}, "/nonexistent/tolvane"))
            return false;
        app->mainFrame()->setAnnotationHooks(&hooks);
        app->setBookmarkHooks(&hooks);
        return QTest::qWaitFor([this] { return app->mainFrame()->initialLoadDone(); });
    }
    ~Running() {
        if (app) {
            if (app->mainFrame())
                app->mainFrame()->setAnnotationHooks(nullptr);
            app->setBookmarkHooks(nullptr);
            app->ExitInstance();
        }
    }
    ArticleNumber current() const { return app->mainFrame()->view()->currentArticle(); }
};

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void secondStartHandsOverItsArticle();
    void closeSwitchClosesTheRunningInstanceTheNormalWay();
    void twoViewerProcesses();
    void staleSocketDoesNotBlockAStart();
    void silentOrMalformedConnectionsDoNotFreeze();
    void missingDataSourceIsReportedBeforeTheRule();
};

void TestSingleInstance::initTestCase() {
    if (!QFile::exists(kViewer))
        QSKIP("the viewer executable is not built");
    QVERIFY(!InstanceChannel::PrivateDirectory().isEmpty());
}

void TestSingleInstance::secondStartHandsOverItsArticle() {
    Running r;
    QVERIFY(r.start());
    r.app->mainFrame()->showMinimized();
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:2")}), 0);
    QCOMPARE(r.current(), 2);
    QVERIFY(!r.app->mainFrame()->isMinimized());

    // An absent article is reported by the running instance, then article 1.
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:77")}), 0);
    QCOMPARE(r.services.messages, QStringList{QStringLiteral("Cet article n'existe pas ! (ER77)")});
    QCOMPARE(r.current(), 1);

    // Without /P the window only comes to the front.
    QVERIFY(r.app->ShowArticle(3, 0));
    QCOMPARE(runViewer({r.dArg}), 0);
    QCOMPARE(r.current(), 3);
    QVERIFY(r.app->mainFrame()->isVisible());
}

void TestSingleInstance::closeSwitchClosesTheRunningInstanceTheNormalWay() {
    Running r;
    QVERIFY(r.start());
    QVERIFY(r.app->ShowArticle(2, 0));
    r.hooks.calls.clear();
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/F")}), 0);
    QVERIFY(!r.app->mainFrame()->isVisible());
    QCOMPARE(r.hooks.calls,
             (std::vector<std::string>{"commit 2", "save annotations", "save bookmarks"}));
}

void TestSingleInstance::twoViewerProcesses() {
    Running r;
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(kViewer, {r.dArg});
    QVERIFY(first.waitForStarted(10000));
    const QString path = socketPathFor(r.base);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 20000);
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:2")}), 0);
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/F")}), 0);
    // The second start waited until the first had gone.
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QProcess::NotRunning, 10000);
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(!QFile::exists(path));
    // With no instance left, /F shows nothing and ends.
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/F")}), 0);
}

void TestSingleInstance::staleSocketDoesNotBlockAStart() {
    Running r;
    const QString path = socketPathFor(r.base);
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    QVERIFY(r.start());
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:3")}), 0);
    QCOMPARE(r.current(), 3);
}

void TestSingleInstance::silentOrMalformedConnectionsDoNotFreeze() {
    Running r;
    QVERIFY(r.start());
    const QString path = socketPathFor(r.base);
    QLocalSocket silent;
    silent.connectToServer(path);
    QVERIFY(silent.waitForConnected(2000));
    QLocalSocket half;
    half.connectToServer(path);
    QVERIFY(half.waitForConnected(2000));
    half.write("TOLVANE 1 SH");
    half.flush();
    QLocalSocket wrong;
    wrong.connectToServer(path);
    QVERIFY(wrong.waitForConnected(2000));
    wrong.write("TOLVANE 1 SHOW 2\nTOLVANE 1 CLOSE\n");
    wrong.flush();
    QTRY_COMPARE_WITH_TIMEOUT(wrong.state(), QLocalSocket::UnconnectedState, 5000);
    // The window still answers while the other two hang on.
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:2")}), 0);
    QCOMPARE(r.current(), 2);
    QVERIFY(r.app->mainFrame()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(half.state(), QLocalSocket::UnconnectedState,
                              InstanceChannel::kReadTimeoutMs + 3000);
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, 3000);
    QCOMPARE(r.current(), 2);
}

void TestSingleInstance::missingDataSourceIsReportedBeforeTheRule() {
    Running r;
    QVERIFY(r.start());
    RecordingServices services;
    CTolvaneApp second(services);
    QFile::remove(QString::fromStdString(r.base + ".PGL"));
    QVERIFY(!second.InitInstance({r.dArg.toStdString()}, "/nonexistent/tolvane"));
    QCOMPARE(services.messages,
             QStringList{QStringLiteral("Impossible de trouver une source de données !")});
    QCOMPARE(services.captions, QStringList{QStringLiteral("Aide")});
    second.ExitInstance();
    QCOMPARE(r.current(), 1);
    QVERIFY(r.app->mainFrame()->isVisible());
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
