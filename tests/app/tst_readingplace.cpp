// SPDX-License-Identifier: GPL-3.0-or-later
// The reading place on the guide: what a close leaves in the configuration
// folder, what the next start gives back (window, panes, text size, but the
// usual start article), "Reprendre la lecture", and files that a start
// passes over in silence.

#include "app/ReadingPlace.h"
#include "support/Viewer.h"
#include "ui/base/CSash.h"
#include "ui/base/CommandTable.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/COutlineBar.h"

#include <QAction>

#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

CSash* notesSash(CMainFrame* frame) {
    return qobject_cast<CAnnotationBar*>(frame->annotationBar())->sash();
}

} // namespace

class TestReadingPlace : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!Viewer::guideBuilt())
            QSKIP("the guide is not built");
        m_config = std::make_unique<TempDir>();
    }
    void closeKeepsThePlaceAndTheNextStartGivesItBack();
    void damagedFilesStartAsIfNoneWere();

private:
    std::string folder() const { return m_config->file("tolvane"); }
    std::unique_ptr<TempDir> m_config;
};

void TestReadingPlace::closeKeepsThePlaceAndTheNextStartGivesItBack() {
    ArticleNumber article = 0;
    int top = 0;
    std::string path;
    {
        Viewer v(Viewer::guide());
        v.readingFolder = folder();
        QVERIFY(v.show());
        QVERIFY(!v.frame()->action(cmd::kResume)->isEnabled()); // nothing kept yet
        article = articleTitled(v.frame(), "Guide de lecture complet");
        QVERIFY(article > 1);
        QVERIFY(v.app->ShowArticle(article, 0));
        v.view()->lineScroll(30);
        v.view()->setZoomPercent(150);
        v.frame()->resize(880, 610);
        v.app->onAnnotation();
        v.frame()->outlineBar()->sash()->setValue(0.4f);
        notesSash(v.frame())->setValue(90);
        v.frame()->RecalcLayout();
        // The view laid out at its new width before the line is read.
        QCoreApplication::processEvents();
        top = v.view()->firstVisiblePosition();
        QVERIFY(top > 0);
        path = v.frame()->readingPlace()->path();
        v.frame()->close();
    }
    const std::optional<ReadingState> kept = ReadReadingState(path, AbsoluteBase(Viewer::guide()));
    QVERIFY(kept);
    QCOMPARE(kept->article, article);
    QCOMPARE(kept->topPosition, top);
    QCOMPARE(kept->zoomPercent, 150);
    QCOMPARE(QSize(kept->width, kept->height), QSize(880, 610));
    QCOMPARE(kept->outline.size, 4000);
    QVERIFY(kept->outline.shown);
    QCOMPARE(kept->notes.size, 90);
    QVERIFY(kept->notes.shown);
    struct stat st {};
    QCOMPARE(::stat(folder().c_str(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);

    Viewer v(Viewer::guide());
    v.readingFolder = folder();
    QVERIFY(v.show());
    QCOMPARE(v.view()->currentArticle(), 1); // the start article, as always
    QCOMPARE(v.frame()->size(), QSize(880, 610));
    QCOMPARE(v.view()->zoomPercent(), 150);
    QCOMPARE(v.frame()->outlineBar()->sash()->value(), 0.4f);
    QVERIFY(v.frame()->annotationBar()->isVisible());
    QCOMPARE(notesSash(v.frame())->value(), 90.0f);
    QAction* resume = v.frame()->action(cmd::kResume);
    QCOMPARE(resume->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QCOMPARE(resume->toolTip(), QStringLiteral("Reprendre la lecture"));
    QVERIFY(resume->isEnabled());
    resume->trigger();
    QCOMPARE(v.view()->currentArticle(), article);
    QCOMPARE(v.view()->firstVisiblePosition(), top);
    // Scrolled away on the same article, the command brings the line back.
    v.view()->lineScroll(-20);
    resume->trigger();
    QCOMPARE(v.view()->firstVisiblePosition(), top);
    QVERIFY(v.services.messages.isEmpty());
}

void TestReadingPlace::damagedFilesStartAsIfNoneWere() {
    // The name the viewer reads, from a first run on the guide.
    std::string path;
    {
        Viewer v(Viewer::guide());
        v.readingFolder = folder();
        QVERIFY(v.start());
        path = v.frame()->readingPlace()->path();
    }
    const std::string base = AbsoluteBase(Viewer::guide());
    const std::string head = "tolvane-reading 1\nbase " + base + "\n";
    const struct {
        const char* what;
        std::string bytes; // empty: a folder in place of the file
    } cases[] = {
        {"a folder in place of the file", ""},
        // The reader's own cases are the core's; one damaged file shows a
        // start takes its refusal quietly.
        {"truncated", head + "article 3 120\nzoom 15"},
    };
    ::mkdir(folder().c_str(), 0700);
    for (const auto& c : cases) {
        ::rmdir(path.c_str());
        ::unlink(path.c_str());
        if (c.bytes.empty())
            QCOMPARE(::mkdir(path.c_str(), 0700), 0);
        else
            TempDir::writeFile(path, c.bytes);
        Viewer v(Viewer::guide());
        v.readingFolder = folder();
        QVERIFY2(v.start(), c.what);
        QVERIFY2(v.services.messages.isEmpty(), c.what);
        QVERIFY2(v.view()->currentArticle() == 1, c.what);
        QVERIFY2(v.view()->zoomPercent() == 100, c.what);
        QVERIFY2(!v.frame()->action(cmd::kResume)->isEnabled(), c.what);
        v.frame()->close();
        // The close writes the place whole, except over the folder.
        struct stat st {};
        QVERIFY2(::stat(path.c_str(), &st) == 0, c.what);
        QVERIFY2(S_ISDIR(st.st_mode) == c.bytes.empty(), c.what);
        QVERIFY2(v.services.messages.isEmpty(), c.what);
    }
}

QTEST_MAIN(TestReadingPlace)
#include "tst_readingplace.moc"
