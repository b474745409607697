#pragma once

// The CIE 1931 xy chromaticity diagram (or CIE 1976 u'v'): spectral locus, reference
// triangles, the monitor's native gamut, the monitor's gamut with draggable primaries and white
// point, an optional colour-filled triangle, a target white point and the Planckian locus.
#include <QLineF>
#include <QList>
#include <QPixmap>
#include <QPointF>

#include "color/chromaticity.h"
#include "color/cie_yxy.h"
#include "ui/graphs/plotter.h"

using CIExy = CChromaticity;

class TW_gamut_graph : public Plotter {
    Q_OBJECT

  public:
    // Indices of the draggable points, as `dragging_point` reports them.
    enum Point { kNoPoint = 0, kRed = 1, kGreen = 2, kBlue = 3, kWhite = 4 };

    explicit TW_gamut_graph(QWidget* parent = nullptr);

    // The plot settings of the two diagrams: xy 0 to 0.9 with 9 ticks, u'v' 0 to 0.7 with 7.
    static PlotSettings xySettings();
    static PlotSettings uvSettings();

    // A chromaticity in the coordinates of the current diagram.
    QPointF toDiagram(double x, double y) const;
    QPointF toDiagram(const CIExy& xy) const { return toDiagram(xy.x, xy.y); }

    bool monitorDataValid() const { return m_monitorValid; }
    bool monitorWhiteGiven() const { return m_monitorWhiteGiven; }
    // Red, green, blue, white.
    const CCIEYxy* monitorData() const { return m_monitor; }
    // Widget pixels of red, green, blue and white as the last redraw placed them (empty when
    // the monitor data is not shown).
    const QList<QPointF>& draggablePoints() const { return m_points; }
    // 0 when no point is being dragged, else the point's index.
    int draggedPoint() const { return m_dragIndex; }
    // The index of the point under `pixel`, 0 when none: the last listed point closer than 9
    // pixels in both x and y.
    int pointAt(const QPointF& pixel) const;

    // A marked temperature of the Planckian locus as it is drawn, in widget pixels: the tick
    // across the locus and the box of its label.
    struct PlanckianMark {
        int kelvin = 0;
        QLineF tick;
        QRectF label;
        QPointF anchor;  // the end of the tick the label belongs to
    };
    QList<PlanckianMark> planckianMarks() const;

  public slots:
    // Four points: red, green, blue, white. A white with x <= 0 is replaced by the centroid of
    // the primaries and counts as not given.
    void SetMonitorData(bool valid, const CCIEYxy monitor_color_data[]);
    // Three points: red, green, blue.
    void SetMonitorNativeGamutData(bool valid, const CCIEYxy monitor_color_data[]);
    void SetTargetData(bool valid, CIExy in_target_color_data);
    void SetFixedWhiteDiagramWhitePoint(CCIEYxy in_fixed_white_point_color_data);
    // true: CIE 1976 u'v'; false: CIE 1931 xy.
    void SetColorspace(bool in_colorspace);
    // Markers (and so dragging) on the three primaries instead of the white point.
    void SetOnlyAdjustRGB(bool in_only_adjust_rgb);

    void SetShowGamutDisplay(bool bShow);
    void SetShowTargetWhitePoint(bool bShow);
    void SetShowMonitorNativeGamut(bool bShow);
    void SetShowFixedWhiteDiagram(bool bShow);
    void SetShowPlankianLocus(bool bShow);
    void SetShowGamutAdobeRGB(bool bShow);
    void SetShowGamutsRGB(bool bShow);
    void SetShowGamutNTSC(bool bShow);
    void SetShowGamutSMPTE(bool bShow);
    void SetShowGamutHDTV(bool bShow);
    void SetShowGamutDigitalCinema(bool bShow);

  signals:
    // `type` 1 red, 2 green, 3 blue, 4 white; `xy` the new position as a CIE 1931 xy
    // chromaticity.
    void dragging_point(int type, QPointF xy);

  protected:
    void drawGrid(QPainter& painter) override;
    void drawCurves(QPainter& painter) override;
    QColor gridColor() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    struct Reference {
        const char* name;
        double r[2], g[2], b[2], w[2];
        QColor pen;
        bool shown = false;
    };
    void set_switch(bool& flag, bool value);
    QPointF pixel(double x, double y) const;
    void draw_marker(QPainter& painter, const QPointF& at) const;
    void draw_triangle(QPainter& painter, const QPointF& r, const QPointF& g, const QPointF& b,
                       const QColor& color) const;
    void draw_filled_triangle(QPainter& painter) const;
    void draw_planckian_locus(QPainter& painter) const;

    CCIEYxy m_monitor[4];
    bool m_monitorValid = false;
    bool m_monitorWhiteGiven = false;
    CCIEYxy m_native[3];
    bool m_nativeValid = false;
    CIExy m_target;
    bool m_targetValid = false;
    CCIEYxy m_fixedWhite{1.0, 0.3127, 0.329};
    QPixmap m_marker;
    QList<QPointF> m_points;
    int m_dragIndex = kNoPoint;

    bool m_colorspace = false;
    bool m_onlyAdjustRGB = false;
    bool m_showGamutDisplay = false;
    bool m_showTargetWhitePoint = false;
    bool m_showNativeGamut = false;
    bool m_showFixedWhiteDiagram = false;
    bool m_showPlanckianLocus = false;
    Reference m_references[6];
};
