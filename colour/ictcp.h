#pragma once
// ICtCp of ITU-R BT.2100 (PQ) and the colour difference ΔE ITP of ITU-R
// BT.2124 built on it: a difference of absolute light, so both colours are
// given as X, Y, Z in cd/m², not relative to a white. Plain C++, no Qt.

struct ICtCp {
    double i = 0, ct = 0, cp = 0;
};

// X, Y, Z in cd/m² (D65-relative BT.2020 primaries in between).
ICtCp ictcpFromXyz(double X, double Y, double Z);
// Linear BT.2020 R, G, B of display light in cd/m².
ICtCp ictcpFromRec2020(double r, double g, double b);

// 720 · sqrt(ΔI² + ΔT² + ΔP²) with T = Ct / 2 and P = Cp; 1 is about one
// just-noticeable difference.
double deltaEItp(const ICtCp &a, const ICtCp &b);
double deltaEItpXyz(const double a[3], const double b[3]);
