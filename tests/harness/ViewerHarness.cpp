// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer as it ships, with two controls for the tests and benchmarks
// that run it as a process:
//   TOLVANE_TYPE_NOTES="N=text|N=text"  types each text into the annotation
//       pane of article N, as a user would, then writes "notes typed" on the
//       standard output once the pause after the last one has committed it;
//   TOLVANE_EXIT_AFTER_FIRST_ARTICLE=1  quits once the first article is
//       painted (start-up measurements).
#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "app/ViewerMain.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/view/CTolvaneView.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

using tolvane::CAnnotationBar;
using tolvane::CMainFrame;
using tolvane::CTolvaneApp;

void typeNotes(CTolvaneApp& app, const QString& notes) {
    auto* bar = qobject_cast<CAnnotationBar*>(app.mainFrame()->annotationBar());
    if (bar == nullptr)
        return;
    for (const QString& entry : notes.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0 || !app.ShowArticle(entry.left(equals).toInt(), 0))
            continue;
        bar->edit()->selectAll();
        bar->edit()->insertPlainText(entry.mid(equals + 1));
    }
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, poll, [bar, poll] {
        if (bar->idleCommitPending())
            return;
        poll->stop();
        std::fputs("notes typed\n", stdout);
        std::fflush(stdout);
    });
    poll->start(20);
}

} // namespace

int main(int argc, char** argv) {
    return tolvane::runViewer(argc, argv, [](CTolvaneApp& app) {
        CMainFrame* frame = app.mainFrame();
        const QString notes = qEnvironmentVariable("TOLVANE_TYPE_NOTES");
        if (!notes.isEmpty())
            QObject::connect(frame, &CMainFrame::initialLoadFinished, &app,
                             [&app, notes] { typeNotes(app, notes); });
        if (qEnvironmentVariableIntValue("TOLVANE_EXIT_AFTER_FIRST_ARTICLE") == 1)
            QObject::connect(frame, &CMainFrame::initialLoadFinished, &app, [frame] {
                frame->view()->viewport()->repaint();
                QCoreApplication::exit(0);
            });
    });
}
