#pragma once

class CSpline;

// Builders of the standard tone responses, each into 256 Catmull-Rom points on [0, 1]: x is the
// input signal, y the luminance.

void make_gamma_curve(CSpline& curve, double gamma);
void make_srgb_curve(CSpline& curve);
void make_lstar_curve(CSpline& curve);

// The DICOM black luminance in cd/m²: the user's black level, but never below what the monitor
// can show; both are held in tenths of cd/m².
float dicom_black_luminance(int userBlackTenths, int monitorMinBlackTenths);
// The DICOM response from `black` to `white` cd/m² in 255 JND-even steps, 16-bit quantised.
void make_dicom_curve(CSpline& curve, float black, float white);
