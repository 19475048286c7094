// tintwell-locusgen: builds the Planckian and spectrum locus tables from the
// CIE 1931 2° colour-matching functions and writes them, with the functions
// themselves, as a C++ source.
//
//   tintwell-locusgen cmf.csv out.cpp
//
// The CSV has a header line and columns nm,xbar,ybar,zbar at 1 nm steps.
// Each table row is key, x, y, u, v, step, du, dv (see locus.h).
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Cmf {
    double nm, xbar, ybar, zbar;
};

struct Row {
    double key, x, y, u, v, step, du, dv;
};

bool readCmf(const char *path, std::vector<Cmf> &out) {
    FILE *f = std::fopen(path, "r");
    if (!f) {
        std::fprintf(stderr, "tintwell-locusgen: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    char line[256];
    int lineNo = 0;
    bool ok = true;
    while (std::fgets(line, sizeof line, f)) {
        ++lineNo;
        if (lineNo == 1 || line[0] == '\n' || line[0] == '\r')
            continue; // header, blank lines
        Cmf c;
        if (std::sscanf(line, "%lf,%lf,%lf,%lf", &c.nm, &c.xbar, &c.ybar, &c.zbar) != 4) {
            std::fprintf(stderr, "tintwell-locusgen: %s:%d: expected nm,xbar,ybar,zbar\n", path,
                         lineNo);
            ok = false;
            break;
        }
        if (!out.empty() && c.nm != out.back().nm + 1) {
            std::fprintf(stderr, "tintwell-locusgen: %s:%d: wavelengths must rise by 1 nm\n", path,
                         lineNo);
            ok = false;
            break;
        }
        out.push_back(c);
    }
    std::fclose(f);
    if (ok && (out.empty() || out.front().nm > 400 || out.back().nm < 700)) {
        std::fprintf(stderr, "tintwell-locusgen: %s must cover 400 to 700 nm\n", path);
        ok = false;
    }
    return ok;
}

const Cmf *findNm(const std::vector<Cmf> &cmf, double nm) {
    for (const Cmf &c : cmf)
        if (c.nm == nm)
            return &c;
    return nullptr;
}

// Chromaticity of a Planckian radiator: Planck's law summed at 1 nm over
// the whole CSV range. The first radiation constant cancels in x and y.
void planckXy(const std::vector<Cmf> &cmf, double kelvin, double &x, double &y) {
    const double c2 = 1.438777e-2; // m·K
    double X = 0, Y = 0, Z = 0;
    for (const Cmf &c : cmf) {
        const double lambda = c.nm * 1e-9; // m
        const double m = 1.0 / (std::pow(lambda, 5) * std::expm1(c2 / (lambda * kelvin)));
        X += m * c.xbar;
        Y += m * c.ybar;
        Z += m * c.zbar;
    }
    const double s = X + Y + Z;
    x = X / s;
    y = Y / s;
}

std::vector<double> planckianKeys() {
    std::vector<double> k;
    auto range = [&k](double from, double to, double step) {
        for (double t = from; t <= to; t += step)
            k.push_back(t);
    };
    range(1000, 6500, 100);
    range(6501, 6510, 1);
    range(6600, 10000, 100);
    range(10200, 20000, 200);
    range(20500, 50000, 500);
    range(51000, 100000, 1000);
    range(120000, 200000, 20000);
    range(250000, 500000, 50000);
    range(600000, 1000000, 100000);
    for (double t : {2e6, 4e6, 7e6, 1e7, 2e7, 4e7, 7e7, 1e8, 2e8, 4e8, 7e8, 1e9})
        k.push_back(t);
    return k;
}

// Steps and tangents. The end rows use their single neighbour; inner rows
// use the slope at the row times half the distance between neighbours.
void fillTangents(std::vector<Row> &rows, bool wholeKelvinSteps) {
    const size_t n = rows.size();
    for (size_t i = 0; i < n; ++i) {
        Row &r = rows[i];
        if (i == 0 || i == n - 1) {
            const Row &a = rows[i == 0 ? 0 : n - 2];
            const Row &b = rows[i == 0 ? 1 : n - 1];
            r.step = b.key - a.key;
            r.du = b.u - a.u;
            r.dv = b.v - a.v;
            continue;
        }
        const Row &a = rows[i - 1];
        const Row &b = rows[i + 1];
        const double span = b.key - a.key;
        r.step = span / 2;
        if (wholeKelvinSteps)
            r.step = std::trunc(r.step);
        const double before = r.key - a.key, after = b.key - r.key;
        double slopeU, slopeV;
        if (before == after) {
            // Central secant.
            slopeU = (b.u - a.u) / span;
            slopeV = (b.v - a.v) / span;
        } else {
            // Uneven neighbours: the slope of the parabola through the three
            // rows. The secant is the slope half-way between the neighbours,
            // and beside the 1 K rows at 6500 K that bends the curve sharply
            // enough to move the CCT of off-locus colours by 20 K.
            const double wb = before / (after * span), wa = after / (before * span);
            slopeU = (b.u - r.u) * wb + (r.u - a.u) * wa;
            slopeV = (b.v - r.v) * wb + (r.v - a.v) * wa;
        }
        r.du = slopeU * r.step;
        r.dv = slopeV * r.step;
    }
}

std::vector<Row> planckianRows(const std::vector<Cmf> &cmf) {
    std::vector<Row> rows;
    for (double t : planckianKeys()) {
        Row r{};
        r.key = t;
        planckXy(cmf, t, r.x, r.y);
        const double d = -2 * r.x + 12 * r.y + 3;
        r.u = 4 * r.x / d; // CIE 1960 UCS
        r.v = 6 * r.y / d;
        rows.push_back(r);
    }
    fillTangents(rows, true);
    return rows;
}

std::vector<Row> spectrumRows(const std::vector<Cmf> &cmf) {
    std::vector<double> keys;
    for (int nm = 400; nm <= 698; ++nm)
        keys.push_back(nm);
    keys.push_back(700);
    std::vector<Row> rows;
    for (double nm : keys) {
        const Cmf *c = findNm(cmf, nm);
        Row r{};
        r.key = nm;
        const double s = c->xbar + c->ybar + c->zbar;
        r.x = c->xbar / s;
        r.y = c->ybar / s;
        const double d = -2 * r.x + 12 * r.y + 3;
        r.u = 4 * r.x / d; // CIE 1976 u', v'
        r.v = 9 * r.y / d;
        rows.push_back(r);
    }
    fillTangents(rows, false);
    return rows;
}

void writeTable(FILE *f, const char *name, const std::vector<Row> &rows) {
    std::fprintf(f, "const double %sRows[%zu][8] = {\n", name, rows.size());
    for (const Row &r : rows)
        std::fprintf(f, "    {%.17g, %.17g, %.17g, %.17g, %.17g, %.17g, %.17g, %.17g},\n", r.key,
                     r.x, r.y, r.u, r.v, r.step, r.du, r.dv);
    std::fprintf(f, "};\n\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tintwell-locusgen CMF.csv OUT.cpp\n");
        return 2;
    }
    std::vector<Cmf> cmf;
    if (!readCmf(argv[1], cmf))
        return 1;
    const std::vector<Row> planck = planckianRows(cmf);
    const std::vector<Row> spectrum = spectrumRows(cmf);

    const std::string tmp = std::string(argv[2]) + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "tintwell-locusgen: cannot write %s: %s\n", tmp.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::fprintf(f, "// Generated by tintwell-locusgen from the CIE 1931 2 degree colour-matching\n"
                    "// functions. Do not edit.\n"
                    "#include \"cmf.h\"\n#include \"locus.h\"\n\nnamespace {\n\n");
    writeTable(f, "planckian", planck);
    writeTable(f, "spectrum", spectrum);
    std::fprintf(f, "const double cmfRows[%zu][4] = {\n", cmf.size());
    for (const Cmf &c : cmf)
        std::fprintf(f, "    {%.17g, %.17g, %.17g, %.17g},\n", c.nm, c.xbar, c.ybar, c.zbar);
    std::fprintf(f, "};\n\n");
    std::fprintf(f,
                 "} // namespace\n\n"
                 "const LocusTable planckianTable = {planckianRows, %zu};\n"
                 "const LocusTable spectrumLocusTable = {spectrumRows, %zu};\n"
                 "const CmfTable cie1931Cmf = {cmfRows, %zu};\n",
                 planck.size(), spectrum.size(), cmf.size());
    const bool written = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0 || !written || std::rename(tmp.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "tintwell-locusgen: writing %s failed\n", argv[2]);
        std::remove(tmp.c_str());
        return 1;
    }
    return 0;
}
