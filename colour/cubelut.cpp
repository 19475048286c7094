#include "cubelut.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

std::string lineError(int line, const std::string &what) {
    return "line " + std::to_string(line) + ": " + what;
}

// from_chars, not strtod: a locale with a decimal comma must not change
// what a file means.
bool parseDouble(const std::string &token, double *v) {
    const char *end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, *v);
    return ec == std::errc() && ptr == end;
}

std::vector<std::string> tokens(const std::string &line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t')
            ++j;
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

bool isKeyword(const std::string &t) {
    return !t.empty() && ((t[0] >= 'A' && t[0] <= 'Z') || t[0] == '_');
}

std::string number(double v) {
    char buf[32];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 8);
    if (ec != std::errc())
        return "0";
    std::string s(buf, ptr);
    // Trailing zeros say nothing; keep one digit after the point.
    while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.')
        s.pop_back();
    return s;
}

} // namespace

CubeLut CubeLut::identity(int size, int dimensions) {
    CubeLut lut;
    lut.size = size;
    lut.dimensions = dimensions;
    lut.values.resize(static_cast<std::size_t>(lut.entries()) * 3);
    const double step = 1.0 / (size - 1);
    if (dimensions == 1) {
        for (int i = 0; i < size; ++i)
            lut.set(i, i, i, {i * step, i * step, i * step});
        return lut;
    }
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r)
                lut.set(r, g, b, {r * step, g * step, b * step});
    return lut;
}

int CubeLut::entries() const {
    return dimensions == 1 ? size : size * size * size;
}

Rgb3 CubeLut::at(int r, int g, int b) const {
    if (dimensions == 1)
        return {values[std::size_t(r) * 3], values[std::size_t(g) * 3 + 1],
                values[std::size_t(b) * 3 + 2]};
    const std::size_t i = (std::size_t(b) * size * size + std::size_t(g) * size + r) * 3;
    return {values[i], values[i + 1], values[i + 2]};
}

void CubeLut::set(int r, int g, int b, const Rgb3 &v) {
    const std::size_t i = dimensions == 1
                              ? std::size_t(r) * 3
                              : (std::size_t(b) * size * size + std::size_t(g) * size + r) * 3;
    for (int c = 0; c < 3; ++c)
        values[i + c] = static_cast<float>(v[c]);
}

Rgb3 CubeLut::apply(const Rgb3 &rgb) const {
    if (size < minSize || values.size() < std::size_t(entries()) * 3)
        return rgb;
    double pos[3];
    int base[3];
    double f[3];
    for (int c = 0; c < 3; ++c) {
        const double span = domainMax[c] - domainMin[c];
        double v = span > 0 ? (rgb[c] - domainMin[c]) / span : 0.0;
        v = std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
        pos[c] = v * (size - 1);
        base[c] = std::min(size - 2, static_cast<int>(pos[c]));
        f[c] = pos[c] - base[c];
    }
    if (dimensions == 1) {
        Rgb3 out;
        for (int c = 0; c < 3; ++c) {
            const double a = values[std::size_t(base[c]) * 3 + c];
            const double b = values[std::size_t(base[c] + 1) * 3 + c];
            out[c] = a + (b - a) * f[c];
        }
        return out;
    }
    const int r = base[0], g = base[1], b = base[2];
    const double fr = f[0], fg = f[1], fb = f[2];
    const Rgb3 c000 = at(r, g, b), c111 = at(r + 1, g + 1, b + 1);
    // The cube's six tetrahedra share the grey diagonal c000-c111; the one
    // holding the point is chosen by the order of its fractions.
    auto walk = [&](const Rgb3 &c1, const Rgb3 &c2, double f1, double f2, double f3) {
        Rgb3 out;
        for (int c = 0; c < 3; ++c)
            out[c] =
                c000[c] + f1 * (c1[c] - c000[c]) + f2 * (c2[c] - c1[c]) + f3 * (c111[c] - c2[c]);
        return out;
    };
    if (fr > fg) {
        if (fg > fb)
            return walk(at(r + 1, g, b), at(r + 1, g + 1, b), fr, fg, fb);
        if (fr > fb)
            return walk(at(r + 1, g, b), at(r + 1, g, b + 1), fr, fb, fg);
        return walk(at(r, g, b + 1), at(r + 1, g, b + 1), fb, fr, fg);
    }
    if (fb > fg)
        return walk(at(r, g, b + 1), at(r, g + 1, b + 1), fb, fg, fr);
    if (fb > fr)
        return walk(at(r, g + 1, b), at(r, g + 1, b + 1), fg, fb, fr);
    return walk(at(r, g + 1, b), at(r + 1, g + 1, b), fg, fr, fb);
}

bool parseCube(const std::string &text, CubeLut *out, std::string *error) {
    CubeLut lut;
    lut.size = 0;
    bool inData = false;
    int line = 0;
    std::size_t start = 0;
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        const std::size_t hash = raw.find('#');
        const std::vector<std::string> t =
            tokens(hash == std::string::npos ? raw : raw.substr(0, hash));
        if (t.empty()) {
            if (last)
                break;
            continue;
        }
        if (isKeyword(t[0])) {
            if (inData)
                return fail(lineError(line, "'" + t[0] + "' after the table's values"));
            if (t[0] == "TITLE") {
                const std::size_t q1 = raw.find('"'), q2 = raw.rfind('"');
                if (q1 == std::string::npos || q2 == q1)
                    return fail(lineError(line, "TITLE needs a quoted text"));
                lut.title = raw.substr(q1 + 1, q2 - q1 - 1);
            } else if (t[0] == "LUT_3D_SIZE" || t[0] == "LUT_1D_SIZE") {
                double n = 0;
                if (lut.size != 0)
                    return fail(lineError(line, "a second table size"));
                if (t.size() != 2 || !parseDouble(t[1], &n) || n != std::floor(n) ||
                    n < CubeLut::minSize || n > CubeLut::maxSize)
                    return fail(lineError(line, t[0] + " must be a whole number from " +
                                                    std::to_string(CubeLut::minSize) + " to " +
                                                    std::to_string(CubeLut::maxSize)));
                lut.size = static_cast<int>(n);
                lut.dimensions = t[0] == "LUT_3D_SIZE" ? 3 : 1;
            } else if (t[0] == "DOMAIN_MIN" || t[0] == "DOMAIN_MAX") {
                Rgb3 &d = t[0] == "DOMAIN_MIN" ? lut.domainMin : lut.domainMax;
                if (t.size() != 4)
                    return fail(lineError(line, t[0] + " needs three numbers"));
                for (int c = 0; c < 3; ++c)
                    if (!parseDouble(t[c + 1], &d[c]) || !std::isfinite(d[c]))
                        return fail(lineError(line, t[0] + " needs three finite numbers"));
            } else {
                return fail(lineError(line, "unknown keyword '" + t[0] + "'"));
            }
            continue;
        }
        if (lut.size == 0)
            return fail(lineError(line, "values before LUT_3D_SIZE or LUT_1D_SIZE"));
        if (!inData) {
            inData = true;
            lut.values.reserve(std::size_t(lut.entries()) * 3);
        }
        if (t.size() != 3)
            return fail(lineError(line, last ? "the file ends in the middle of an entry "
                                               "(truncated?)"
                                             : "an entry must be three numbers"));
        if (lut.values.size() >= std::size_t(lut.entries()) * 3)
            return fail(lineError(line, "more entries than the " + std::to_string(lut.entries()) +
                                            " the size asks for"));
        for (const std::string &s : t) {
            double v = 0;
            if (!parseDouble(s, &v))
                return fail(lineError(line, "'" + s + "' is not a number"));
            if (!std::isfinite(v) || std::fabs(v) > 1e6)
                return fail(lineError(line, "'" + s + "' is not a finite value"));
            lut.values.push_back(static_cast<float>(v));
        }
        if (last)
            break;
    }
    if (lut.size == 0)
        return fail("no LUT_3D_SIZE or LUT_1D_SIZE line");
    const std::size_t got = lut.values.size() / 3;
    if (got != std::size_t(lut.entries()))
        return fail("the file holds " + std::to_string(got) + " entries, and a size of " +
                    std::to_string(lut.size) + " needs " + std::to_string(lut.entries()) +
                    (got < std::size_t(lut.entries()) ? " (truncated?)" : ""));
    for (int c = 0; c < 3; ++c)
        if (!(lut.domainMin[c] < lut.domainMax[c]))
            return fail("DOMAIN_MIN must be below DOMAIN_MAX in every channel");
    if (out)
        *out = std::move(lut);
    return true;
}

std::string writeCube(const CubeLut &lut) {
    std::string s;
    s.reserve(std::size_t(lut.entries()) * 36 + 200);
    std::string title = lut.title;
    // The title is one quoted line.
    for (char &ch : title)
        if (ch == '"' || ch == '\n' || ch == '\r')
            ch = ' ';
    if (!title.empty())
        s += "TITLE \"" + title + "\"\n";
    s += (lut.dimensions == 1 ? "LUT_1D_SIZE " : "LUT_3D_SIZE ") + std::to_string(lut.size) + "\n";
    s += "DOMAIN_MIN " + number(lut.domainMin[0]) + " " + number(lut.domainMin[1]) + " " +
         number(lut.domainMin[2]) + "\n";
    s += "DOMAIN_MAX " + number(lut.domainMax[0]) + " " + number(lut.domainMax[1]) + " " +
         number(lut.domainMax[2]) + "\n";
    for (std::size_t i = 0; i + 2 < lut.values.size(); i += 3)
        s += number(lut.values[i]) + " " + number(lut.values[i + 1]) + " " +
             number(lut.values[i + 2]) + "\n";
    return s;
}
