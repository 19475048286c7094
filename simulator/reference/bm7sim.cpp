#include "bm7sim.h"

#include <cstdio>
#include <cstring>

namespace sim {

namespace {
constexpr double footLambertFactor = 3.4263; // cd/m² per fL, as the instrument has it

// Writes text into line at a column.
void put(std::string &line, std::size_t column, const std::string &text) {
    line.replace(column, text.size(), text);
}

std::string value(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%10.4E", v);
    return buf;
}
} // namespace

BM7Sim::BM7Sim(Scene &scene, std::string linkPath, ReferenceConfig config)
    : ReferenceSim("bm7", std::move(linkPath), 12000, scene, std::move(config), "") {}

BM7Sim::~BM7Sim() {
    stop();
}

std::string BM7Sim::readingReply(const Tristimulus &t, bool footLamberts) {
    const double scale = footLamberts ? 1.0 / footLambertFactor : 1.0;
    std::string line(80, ' ');
    put(line, 0, "TS,BM-7,ST");
    put(line, 13, footLamberts ? "F" : "C");
    put(line, 16, "FIELD 2");
    put(line, 41, "X=");
    put(line, 43, value(t.X * scale));
    put(line, 55, "Y=");
    put(line, 57, value(t.Y * scale));
    put(line, 68, "Z=");
    put(line, 70, value(t.Z * scale));
    return line + "\r\n";
}

std::string BM7Sim::handle(const std::string &frame) {
    if (frame != "RA TS ST\r")
        return {};
    if (!spend(measuringMs))
        return {};
    return readingReply(readLight(), config_.footLamberts);
}

} // namespace sim
