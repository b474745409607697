#pragma once

#include <QList>
#include <QPointF>
#include <cstdint>

class QDataStream;

// A tone curve sampled on [0, 1]: points in ascending x, evaluated between them by a
// four-point cubic rule of the chosen kind. x is the input signal, y the output luminance.
class CSpline {
  public:
    enum Kind : std::int32_t {
        kBezier = 0,
        kBSpline = 1,
        kBetaSpline = 2,
        kHermite = 3,
        kCatmullRom = 4,
        kNone = 5,  // no kind chosen yet; evaluates as Catmull-Rom
    };

    static constexpr std::int32_t kMagic = 64222;
    static constexpr std::int32_t kVersion = 101;

    std::int32_t version = kVersion;
    bool valid = false;
    std::int32_t type = kNone;
    double minValue = 0.0;
    double maxValue = 1.0;
    double tension = 1.0;
    double bias = 0.0;
    QList<QPointF> points;

    CSpline() = default;
    // Copies follow the assignment rule, so a copy always has a kind chosen.
    CSpline(const CSpline& other) { assign(other); }
    CSpline& operator=(const CSpline& other) {
        assign(other);
        return *this;
    }
    virtual ~CSpline() = default;

    // Chooses the kind (unknown kinds become Catmull-Rom; the beta-spline starts as bias 1,
    // tension 0, the uniform B-spline) and, for count > 1, the identity sampled at count points.
    virtual void init(int kind, int count, double min, double max);
    virtual void setBetaParameters(double newBias, double newTension);
    virtual void setRange(double min, double max);
    virtual int size() const { return static_cast<int>(points.size()); }
    virtual void resetLinear();
    // y_i = (i / (n - 1))^gamma, x kept.
    virtual void makeGamma(double gamma);
    // The exponent that best matches the inner points.
    virtual double fitGamma() const;
    // Resamples the current curve at `count` evenly spaced x; needs count >= 2.
    virtual void resampleFromSelf(int count);
    virtual void append(const QPointF& point);
    virtual bool pointAt(int i, QPointF& point) const;
    virtual void insertAt(const QPointF& point, int i);
    virtual double xAt(int i) const;
    virtual double yAt(int i) const;
    virtual double evaluate(double x) const;
    virtual double evaluateInverse(double y) const;
    virtual void setYAt(int i, double y);
    // Replaces the first point whose x equals `x` exactly.
    virtual void setPointWithX(double x, double y);
    virtual void setPointAt(int i, double x, double y);
    virtual void clampPoint(QPointF& point) const;

    void assign(const CSpline& other);
    // 0, or ui_error::kFileWriteError when the stream fails.
    int write(QDataStream& stream) const;
    // 0, ui_error::kFileWrongMagic, kFileUnsupportedVersion or kFileReadError; on any failure the
    // curve is left as it was.
    int read(QDataStream& stream);

  private:
    double interpolate(double at, bool inverse) const;
    double clamp_value(double value) const;
    bool in_range(int i) const { return i >= 0 && i < points.size(); }
};
