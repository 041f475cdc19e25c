// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QRubberBand;

namespace tolvane {

class CDlgBar;

// The thin bar inside a pane that the user drags to resize it.
//
// Orientation 0 is a vertical bar along the pane's right edge; its value is
// the pane's width as a fraction of the main window's client width.
// Orientation 1 is a horizontal bar along the pane's top edge; its value is
// the pane's height in pixels. The sash only computes the value from where
// the user let go; the pane's updateSize() turns it into a size with the
// pane's own limits (10 pixels to the client width for the outline, at
// least 46 pixels for the annotation pane), then the main window lays
// itself out again (its invokable RecalcLayout(), when it has one).
class CSash : public QWidget {
    Q_OBJECT

public:
    static constexpr int kThickness = 4;

    explicit CSash(QWidget* parent = nullptr);

    // Makes the sash a visible child of pane with the given value.
    virtual bool Create(CDlgBar* pane, int id, int orientation, float value);

    int orientation() const { return m_orientation; }
    float value() const { return m_value; }
    void setValue(float value) { m_value = value; }
    bool tracking() const { return m_tracking; }

    // Places the sash along the pane's edge, given the pane's client size.
    void placeInPane(int paneWidth, int paneHeight);

    // The value a drag ends with; the limits are screen coordinates. False
    // (value unchanged) when the tracking range is empty or negative.
    static bool widthFraction(int pointerX, int minX, int maxX, float& value);
    static bool heightPixels(int pointerY, int minY, int maxY, float& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showMark(QPoint globalPoint);

    CDlgBar* m_pane = nullptr;
    int m_orientation = 0;
    float m_value = 0.0f;
    bool m_tracking = false;
    QRect m_paneRect; // the pane in screen coordinates at button-down
    int m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
    QPoint m_last;
    QRubberBand* m_mark = nullptr;
};

} // namespace tolvane
