// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDockWidget>
#include <QSize>

class QMainWindow;

namespace tolvane {

class CSash;

// A docked pane whose size is a field the program sets: the base of the
// outline pane (left) and the annotation pane (bottom).
//
// How a pane derives from it:
//   1. Construct the pane, then call Create(mainWindow, templateSize, area,
//      barId, true). Create docks the pane in the given area, gives it an
//      object name ("bar<barId>") and sets the docked and floating sizes to
//      templateSize. Put the pane's content in with setWidget().
//   2. Create a CSash as a child of the pane (CSash::Create(this, 104,
//      orientation, initialValue)) and keep the pointer.
//   3. Override updateSize(), the pane's width or height update: turn the
//      sash's value into a size with the pane's own floor and ceiling and
//      call setDockedSize(). The main frame calls updateSize() whenever it is
//      resized or lays itself out; the sash calls it after a drag.
//   4. Override resizeEvent(): call the base first, then place the content
//      and call the sash's placeInPane() so that it sits along the pane's
//      edge (6 pixels from the right edge, or 1 pixel from the top).
//
// While docked, the pane is held at its docked size along the frame's axis
// (its width when docked left or right, its height at the top or bottom):
// the size comes from the program, not from the frame's own splitters. A
// docked size larger than the frame can lay out is held at what fits (the
// frame's extent less its separator, bars and the view's minimum): the
// pane never makes the frame grow.
class CDlgBar : public QDockWidget {
    Q_OBJECT

public:
    explicit CDlgBar(QWidget* parent = nullptr);

    // Docks the pane in area of parent; false when parent is missing.
    bool Create(QMainWindow* parent, QSize templateSize, Qt::DockWidgetArea area, int barId,
                bool changeDockedSize);

    // The two panes of the main window: their bar ids, which also name them
    // (objectNameOf), and the annotation pane's least height in pixels.
    static constexpr int kOutlineBarId = 102;
    static constexpr int kAnnotationBarId = 155;
    static constexpr int kAnnotationMinHeight = 46;

    // The object name Create gives the pane of barId: "bar<barId>".
    static QString objectNameOf(int barId);

    // The pane's width or height update; the base does nothing.
    virtual void updateSize() {}

    QSize dockedSize() const { return m_dockedSize; }
    QSize floatingSize() const { return m_floatingSize; }
    bool changeDockedSize() const { return m_changeDockedSize; }
    // Sets the docked size and, while docked, applies it.
    void setDockedSize(QSize size);

    Qt::DockWidgetArea area() const { return m_area; }
    QMainWindow* mainFrame() const { return m_mainFrame; }

    // What the frame lays out: the docked size (as far as the frame has
    // room for it) while docked, the floating size while floating.
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyDockedSize();
    // Holds the pane at extent along the frame's axis.
    void holdExtent(int extent);
    // The largest extent along the axis that the frame lays out without
    // growing; no limit while the pane or the frame is not laid out.
    int roomInFrame();
    void onTopLevelChanged(bool floating);
    bool horizontalBar() const {
        return m_area == Qt::TopDockWidgetArea || m_area == Qt::BottomDockWidgetArea;
    }

    QSize m_dockedSize;
    QSize m_floatingSize;
    int m_heldExtent = 0;
    bool m_changeDockedSize = false;
    Qt::DockWidgetArea m_area = Qt::LeftDockWidgetArea;
    QMainWindow* m_mainFrame = nullptr;
};

} // namespace tolvane
