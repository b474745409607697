#pragma once

// A two-axis plotting widget with a zoom stack, a square rubber-band zoom, keyboard and wheel
// panning and a cached off-screen pixmap: paint events only copy the pixmap, every change of
// the picture rebuilds it once.
#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

class QToolButton;

// The visible range of both axes at one zoom level, and how far panning may take it.
struct PlotSettings {
    double minX = 0.0;
    double maxX = 1.0;
    int numXTicks = 5;
    double minY = 0.0;
    double maxY = 1.0;
    double panMinX = 0.0;
    double panMaxX = 1.0;
    double panMinY = 0.0;
    double panMaxY = 1.0;
    int numYTicks = 5;

    PlotSettings() = default;
    PlotSettings(double min_x, double max_x, int x_ticks, double min_y, double max_y, int y_ticks);

    double spanX() const { return maxX - minX; }
    double spanY() const { return maxY - minY; }
    // The pan limits become the current range.
    void copyPanLimits();
    // Moves the range by whole tick steps; each axis only while the moved range stays within
    // its pan limits widened by half a step on either side.
    void scroll(int dx, int dy);
    // Rounds both axes out to 1, 2 or 5 times a power of ten per tick.
    void adjust();
    static void adjustAxis(double& min, double& max, int& numTicks);

    bool operator==(const PlotSettings&) const = default;
};

class Plotter : public QWidget {
    Q_OBJECT

  public:
    explicit Plotter(QWidget* parent = nullptr);
    ~Plotter() override;

    // With `reset` the zoom stack starts again from `settings`; without, `settings` becomes a
    // new zoom level after the current one and is zoomed to. Either way the range is shown as
    // given, with its pan limits set to it.
    void setPlotSettings(const PlotSettings& settings, bool reset = true);
    const PlotSettings& plotSettings() const;
    int zoomLevel() const { return m_curZoom; }
    int zoomLevelCount() const { return static_cast<int>(m_zoomStack.size()); }
    const PlotSettings& zoomLevelSettings(int level) const;

    void setCaption(const QString& caption);
    void setXAxisTitle(const QString& title);
    void setYAxisTitle(const QString& title);
    QString caption() const { return m_caption; }

    void setShowAxisNumbers(bool show);
    void setShowAxisTitles(bool show);
    void setShowGrid(bool show);
    // Lighter lines for a dark background.
    void setAlternateColors(bool alternate);
    void setLogarithmicY(bool logarithmic);
    bool alternateColors() const { return m_alternateColors; }

    void setCurveColor(const QColor& color);
    void setTextColor(const QColor& color);
    QColor curveColor() const { return m_curveColor; }

    // While frozen nothing is redrawn; releasing the freeze redraws at once.
    void setFreeze(bool freeze);
    bool frozen() const { return m_freeze; }

    // Margins in pixels around the plot rectangle.
    int leftMargin() const { return m_marginLeft; }
    int rightMargin() const { return m_marginRight; }
    int topMargin() const { return m_marginTop; }
    int bottomMargin() const { return m_marginBottom; }
    QRect plotRect() const;

    // Data to widget pixels at the current zoom level (y through log10 on a logarithmic axis),
    // and back.
    virtual QPointF mapToPixel(const QPointF& data) const;
    virtual QPointF mapFromPixel(const QPointF& pixel) const;

    // The cached picture, as the last redraw left it.
    const QPixmap& pixmap() const { return m_pixmap; }
    bool rubberBandShown() const { return m_rubberBandIsShown; }
    QRect rubberBandRect() const { return m_rubberBandRect; }
    QToolButton* zoomInButton() const { return m_zoomInButton; }
    QToolButton* zoomOutButton() const { return m_zoomOutButton; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  public slots:
    void zoomIn();
    void zoomOut();

  protected:
    // Rebuilds the cached pixmap (unless frozen) and schedules a repaint.
    void refreshPixmap();
    void recomputeMargins();
    // The drawing steps, in this order, onto the cached pixmap.
    virtual void drawGrid(QPainter& painter);
    virtual void drawCurves(QPainter& painter);
    virtual QColor gridColor() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void update_zoom_buttons();
    void scroll_current(int dx, int dy);
    double to_axis_y(double y) const;
    QString x_label(double value) const;
    QString y_label(double value) const;

    std::vector<PlotSettings> m_zoomStack;
    int m_curZoom = 0;
    QToolButton* m_zoomInButton = nullptr;
    QToolButton* m_zoomOutButton = nullptr;
    QRect m_rubberBandRect;  // normalised, always square
    QPoint m_bandStart;
    bool m_rubberBandIsShown = false;
    QPoint m_wheelDelta;  // wheel angle not yet turned into a whole step
    QPixmap m_pixmap;
    int m_marginLeft = 35;
    int m_marginRight = 10;
    int m_marginTop = 22;
    int m_marginBottom = 30;
    QString m_caption;
    QString m_xAxisTitle;
    QString m_yAxisTitle;
    QColor m_curveColor = Qt::red;
    QColor m_textColor = Qt::black;
    bool m_showAxisNumbers = true;
    bool m_showAxisTitles = true;
    bool m_showGrid = true;
    bool m_alternateColors = false;
    bool m_logarithmicY = false;
    bool m_freeze = false;
};
