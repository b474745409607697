// The gamut diagram in both coordinate systems and the tone-curve graph.
#include <QPen>

#include "color/curve_builders.h"
#include "color/spline.h"
#include "screenshot.h"
#include "ui/graphs/curves_graph.h"
#include "ui/graphs/gamut_graph.h"

namespace {

QWidget* gamut_graph(bool uv) {
    auto* graph = new TW_gamut_graph;
    graph->setFreeze(true);
    graph->SetColorspace(uv);
    graph->setCaption(uv ? QStringLiteral("CIE 1976 u'v'") : QStringLiteral("CIE 1931 xy"));
    const CCIEYxy monitor[4] = {
        {1.0, 0.681, 0.311}, {1.0, 0.182, 0.719}, {1.0, 0.157, 0.040}, {1.0, 0.3127, 0.329}};
    const CCIEYxy native[3] = {{1.0, 0.675, 0.315}, {1.0, 0.205, 0.700}, {1.0, 0.150, 0.055}};
    graph->SetMonitorData(true, monitor);
    graph->SetMonitorNativeGamutData(true, native);
    graph->SetFixedWhiteDiagramWhitePoint(monitor[3]);
    graph->SetTargetData(true, CIExy{0.2950, 0.3050});
    graph->SetShowGamutDisplay(true);
    graph->SetShowMonitorNativeGamut(true);
    graph->SetShowFixedWhiteDiagram(true);
    graph->SetShowTargetWhitePoint(true);
    graph->SetShowPlankianLocus(true);
    graph->SetShowGamutAdobeRGB(true);
    graph->SetShowGamutsRGB(true);
    graph->SetShowGamutNTSC(true);
    graph->SetShowGamutSMPTE(true);
    graph->SetShowGamutHDTV(true);
    graph->SetShowGamutDigitalCinema(true);
    graph->SetOnlyAdjustRGB(true);
    graph->resize(560, 560);
    graph->setFreeze(false);
    return graph;
}

QWidget* curves_graph() {
    auto* graph = new TW_curves_graph;
    graph->setFreeze(true);
    graph->setCaption(QStringLiteral("Gamma 2.2 (red), sRGB (green), L* (blue), DICOM (black)"));
    graph->setXAxisTitle(QStringLiteral("Input Level"));
    graph->setYAxisTitle(QStringLiteral("Output Luminance"));
    CSpline gamma;
    make_gamma_curve(gamma, 2.2);
    CSpline srgb;
    make_srgb_curve(srgb);
    CSpline lstar;
    make_lstar_curve(lstar);
    CSpline dicom;
    make_dicom_curve(dicom, 0.5f, 300.0f);
    graph->setCurves({gamma, srgb, lstar, dicom},
                     {QPen(QColor(220, 30, 30), 1.5), QPen(QColor(20, 160, 40), 1.5),
                      QPen(QColor(30, 60, 220), 1.5), QPen(QColor(0, 0, 0), 1.5)});
    graph->resize(480, 480);
    graph->setFreeze(false);
    return graph;
}

}  // namespace

ORVALE_SCREENSHOT("gamut_xy", [] { return gamut_graph(false); });
ORVALE_SCREENSHOT("gamut_uv", [] { return gamut_graph(true); });
ORVALE_SCREENSHOT("curves", curves_graph);
