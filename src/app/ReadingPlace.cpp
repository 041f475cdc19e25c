// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReadingPlace.h"

#include "app/CMainFrame.h"
#include "ui/base/CSash.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/COutlineBar.h"
#include "ui/view/CTolvaneView.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tolvane {

namespace {

// The data source's base from its resolved .PGD, so that the case the
// command line gave it in does not make another key.
std::string baseOf(const ArticleStore& store) {
    const std::string& pgd = store.paths().pgd;
    return pgd.size() > 4 ? pgd.substr(0, pgd.size() - 4) : pgd;
}

// A window rectangle is given back only where enough of it lies on a
// screen to be grabbed: a screen unplugged since must not hide it.
bool onSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = rect.intersected(screen->availableGeometry());
        if (seen.width() >= 100 && seen.height() >= 50)
            return true;
    }
    return false;
}

// A sash's value within [0, high]; a value that is no number counts as 0.
float within(float value, float high) {
    return value >= 0.0f ? std::min(value, high) : 0.0f;
}

} // namespace

ReadingPlace::ReadingPlace(CMainFrame& frame, std::string folder)
    : m_frame(frame), m_folder(std::move(folder)), m_base(AbsoluteBase(baseOf(frame.store()))),
      m_path(m_folder + '/' + ReadingStateFileName(m_base)) {}

void ReadingPlace::restore() {
    const std::optional<ReadingState> state = ReadReadingState(m_path, m_base);
    if (!state)
        return;
    m_article = state->article;
    m_topPosition = state->topPosition;
    if (state->hasWindow) {
        const QRect rect(state->x, state->y, state->width, state->height);
        if (onSomeScreen(rect))
            m_frame.setGeometry(rect);
        else
            m_frame.resize(rect.size());
        if (state->mode == ReadingState::WindowMode::Maximized)
            m_frame.setWindowState(Qt::WindowMaximized);
        else if (state->mode == ReadingState::WindowMode::FullScreen)
            m_frame.setWindowState(Qt::WindowFullScreen);
    }
    COutlineBar* outline = m_frame.outlineBar();
    // Shown first: a pane that appears takes its height from its sash.
    if (state->outline.known && outline != nullptr) {
        outline->setVisible(state->outline.shown);
        if (outline->sash() != nullptr)
            outline->sash()->setValue(float(state->outline.size) /
                                      float(ReadingState::kOutlineScale));
    }
    auto* notes = qobject_cast<CAnnotationBar*>(m_frame.annotationBar());
    if (state->notes.known && notes != nullptr) {
        notes->setVisible(state->notes.shown);
        if (notes->sash() != nullptr)
            notes->sash()->setValue(float(state->notes.size));
    }
    if (state->zoomPercent > 0)
        m_frame.view()->setZoomPercent(state->zoomPercent);
    m_frame.RecalcLayout();
}

bool ReadingPlace::save() const {
    ReadingState state;
    state.base = m_base;
    const CTolvaneView* view = m_frame.view();
    state.article = view->currentArticle() != 0 ? view->currentArticle() : m_article;
    state.topPosition = view->currentArticle() != 0 ? view->firstVisiblePosition() : m_topPosition;
    const bool full = m_frame.isFullScreen();
    const bool maximized = m_frame.isMaximized();
    const QRect rect = full || maximized ? m_frame.normalGeometry() : m_frame.geometry();
    constexpr int kMax = ReadingState::kMaxCoordinate;
    if (rect.isValid() && rect.width() <= kMax && rect.height() <= kMax &&
        std::abs(rect.x()) <= kMax && std::abs(rect.y()) <= kMax) {
        state.hasWindow = true;
        state.x = rect.x(), state.y = rect.y();
        state.width = rect.width(), state.height = rect.height();
        state.mode = full        ? ReadingState::WindowMode::FullScreen
                     : maximized ? ReadingState::WindowMode::Maximized
                                 : ReadingState::WindowMode::Normal;
    }
    if (const COutlineBar* outline = m_frame.outlineBar(); outline && outline->sash()) {
        const float share = within(outline->sash()->value(), 1.0f);
        state.outline = {true, !outline->isHidden(),
                         int32_t(share * float(ReadingState::kOutlineScale) + 0.5f)};
    }
    if (const auto* notes = qobject_cast<const CAnnotationBar*>(m_frame.annotationBar());
        notes && notes->sash()) {
        const float height = within(notes->sash()->value(), float(kMax));
        state.notes = {true, !notes->isHidden(), int32_t(height)};
    }
    state.zoomPercent = view->zoomPercent();
    return WriteReadingState(m_folder, m_path, state);
}

bool ReadingPlace::canResume() const {
    return m_article > 0 && m_frame.store().FindEntry(m_article) != nullptr;
}

void ReadingPlace::resume() {
    if (!canResume())
        return;
    CTolvaneView* view = m_frame.view();
    if (view->currentArticle() == m_article) {
        // Already on screen: only the scroll goes back to the line.
        view->lineScroll(view->lineFromChar(m_topPosition) - view->firstVisibleLine());
        return;
    }
    view->ShowArticle(m_article, m_topPosition);
}

} // namespace tolvane
