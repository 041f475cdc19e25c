// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance hand-over between real processes: the built viewer
// started by QProcess talks to an instance running in this test, or to
// another viewer process, through the per-user local socket.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "app/InstanceChannel.h"
#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"
#include "support/Viewer.h"
#include "ui/view/CTolvaneView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kViewer = QStringLiteral(TOLVANE_BINARY_DIR "/tolvane");

QString socketPathFor(const std::string& base) {
    return InstanceChannel::socketPath(MakeInstanceClassName(cp1252::toUpper(base)));
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

// Runs the viewer where its message boxes go to the standard error;
// returns its exit code (-1 on a crash or a timeout) and what it wrote there.
std::pair<int, QString> runViewerNobodyAnswers(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TOLVANE_MESSAGES"), QStringLiteral("stderr"));
    process.setProcessEnvironment(env);
    process.start(kViewer, args);
    if (!process.waitForStarted(10000) || !process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QString()};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromUtf8(process.readAllStandardError())};
}

// The instance running in this test, on the standard fixture; the
// annotation pane recorded.
struct Running : Viewer {
    QString dArg = QStringLiteral("/D:") + QString::fromStdString(base);
    Running() { recordHooks = true; }
    ArticleNumber current() const { return view()->currentArticle(); }
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
    void floodsAndGarbageNeitherFreezeNorLockOut();
    void socketAndFolderAreThisUsersOnly();
    void missingDataSourceIsReportedBeforeTheRule();
    void failedStartExitsWithOne();
};

void TestSingleInstance::initTestCase() {
    if (!QFile::exists(kViewer))
        QSKIP("the viewer executable is not built");
    QVERIFY(!InstanceChannel::privateDirectory().isEmpty());
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
    r.services.files.log.clear();
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/F")}), 0);
    QVERIFY(!r.app->mainFrame()->isVisible());
    QCOMPARE(r.services.files.log,
             (std::vector<std::string>{"commit 2", "save annotations", "replace .SIG"}));
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

void TestSingleInstance::failedStartExitsWithOne() {
    TempDir dir;
    const std::string base = dir.file("aide");
    writeFixture(base);
    const QString present = QStringLiteral("/D:") + QString::fromStdString(base);
    const QString absent = QStringLiteral("/D:") + QString::fromStdString(dir.file("absente"));
    const QString message = QStringLiteral("Impossible de trouver une source de données !");
    const struct {
        const char* name;
        QStringList args;
        bool removeLinks; // the .PGL of the present data source is gone
        int status;
        bool reported;
    } cases[] = {
        {"no data source", {absent}, false, 1, true},
        {"no data source, close asked", {QStringLiteral("/F"), absent}, false, 1, true},
        {"close asked, nothing runs", {present, QStringLiteral("/F")}, false, 0, false},
        {"one file of four missing", {present, QStringLiteral("/P:2")}, true, 1, true},
    };
    for (const auto& c : cases) {
        if (c.removeLinks)
            QFile::remove(QString::fromStdString(base + ".PGL"));
        const auto [status, errors] = runViewerNobodyAnswers(c.args);
        QVERIFY2(status == c.status, c.name);
        // The message, once, and nothing after it.
        QVERIFY2(errors.count(message) == (c.reported ? 1 : 0), qPrintable(errors));
        if (c.reported)
            QVERIFY2(errors.trimmed().endsWith(message), qPrintable(errors));
    }
}

void TestSingleInstance::floodsAndGarbageNeitherFreezeNorLockOut() {
    Running r;
    QVERIFY(r.start());
    const QString path = socketPathFor(r.base);
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    auto connectClient = [&](const QByteArray& bytes) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(path);
        if (!socket->waitForConnected(2000))
            return false;
        if (!bytes.isEmpty())
            socket->write(bytes);
        clients.push_back(std::move(socket));
        return true;
    };
    // More idle connections than the instance keeps waiting at once.
    for (int i = 0; i < InstanceChannel::kMaxConnections + 4; ++i)
        QVERIFY(connectClient({}));
    QVERIFY(connectClient(QByteArray(4 << 20, 'A')));
    QVERIFY(connectClient(QByteArray("\0\xFF\nTOLVANE 1 SHOW 2\n", 20)));
    QVERIFY(connectClient(QByteArray("TOLVANE 1 SHOW 2") + QByteArray(64, ' ') + "\n"));
    QVERIFY(connectClient("TOLVANE 1 SHOW 99999999999\n"));
    QVERIFY(connectClient("TOLVANE 1 DONE\n"));
    QVERIFY(connectClient("TOLVANE 1 CLOSE"));

    // A real request right after is served at once: the last unfinished
    // request, dropped only when its wait runs out, is still there.
    QLocalSocket valid;
    valid.connectToServer(path);
    QVERIFY(valid.waitForConnected(2000));
    valid.write(
        QByteArray::fromStdString(InstanceMessage{InstanceMessage::Command::Show, 3}.encode()));
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT((answer += valid.readAll()).contains('\n'), 10000);
    QCOMPARE(answer, QByteArray::fromStdString(
                         InstanceMessage{InstanceMessage::Command::Done, 0}.encode()));
    QCOMPARE(clients.back()->state(), QLocalSocket::ConnectedState);
    QCOMPARE(r.current(), 3);

    // Every bad connection is dropped in the end, with no other effect.
    for (const auto& client : clients)
        QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState,
                                  InstanceChannel::kReadTimeoutMs + 5000);
    QCOMPARE(r.current(), 3);
    QVERIFY(r.app->mainFrame()->isVisible());
    QVERIFY(r.services.messages.isEmpty());
    QVERIFY(std::find(r.services.files.log.begin(), r.services.files.log.end(),
                      "save annotations") == r.services.files.log.end());
    QCOMPARE(runViewer({r.dArg, QStringLiteral("/P:2")}), 0);
    QCOMPARE(r.current(), 2);
}

void TestSingleInstance::socketAndFolderAreThisUsersOnly() {
    TempDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    struct Restore {
        QByteArray value;
        ~Restore() { qputenv("XDG_RUNTIME_DIR", value); }
    } restore{oldRuntime};
    const std::string folder = runtime.file("tolvane");
    auto mode = [](const std::string& p) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0)
            st = {};
        return st;
    };

    // Made for this user alone; the socket in it is this user's alone too.
    QCOMPARE(InstanceChannel::privateDirectory(), QString::fromStdString(folder));
    QCOMPARE(mode(folder).st_mode & 07777, mode_t(0700));
    QCOMPARE(mode(folder).st_uid, ::getuid());
    {
        Running r;
        QVERIFY(r.start());
        QVERIFY(r.app->channel() != nullptr);
        const std::string socket = r.app->channel()->path().toStdString();
        QVERIFY(QString::fromStdString(socket).startsWith(QString::fromStdString(folder + "/")));
        QVERIFY(S_ISSOCK(mode(socket).st_mode));
        QCOMPARE(mode(socket).st_mode & 077, mode_t(0));
        QCOMPARE(mode(socket).st_uid, ::getuid());
    }

    // A folder others may enter, or someone else's, or not a folder at all
    // is not used: the viewer then runs on its own, without the rule.
    struct Case {
        const char* name;
        std::function<bool()> spoil;
    };
    const std::vector<Case> cases = {
        {"open to the group", [&] { return ::chmod(folder.c_str(), 0750) == 0; }},
        {"open to all", [&] { return ::chmod(folder.c_str(), 0777) == 0; }},
        {"someone else's",
         [&] { return ::getuid() == 0 && ::chown(folder.c_str(), 65534, 65534) == 0; }},
        {"a link to a private folder",
         [&] {
             const std::string target = runtime.file("ailleurs");
             return ::mkdir(target.c_str(), 0700) == 0 && ::rmdir(folder.c_str()) == 0 &&
                    ::symlink(target.c_str(), folder.c_str()) == 0;
         }},
        {"a file",
         [&] {
             return ::rmdir(folder.c_str()) == 0 && ::close(::creat(folder.c_str(), 0600)) == 0;
         }},
    };
    for (const Case& c : cases) {
        ::unlink(folder.c_str());
        ::rmdir(folder.c_str());
        QCOMPARE(InstanceChannel::privateDirectory(), QString::fromStdString(folder));
        if (!c.spoil()) {
            qInfo("%s: cannot be set up here, not checked", c.name);
            continue;
        }
        QVERIFY2(InstanceChannel::privateDirectory().isEmpty(), c.name);
        QVERIFY2(InstanceChannel::socketPath("AIDE").isEmpty(), c.name);
        Running r;
        QVERIFY2(r.start(), c.name);
        QVERIFY2(r.app->channel() == nullptr, c.name);
        (void)!::chown(folder.c_str(), ::getuid(), ::getgid());
    }
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
