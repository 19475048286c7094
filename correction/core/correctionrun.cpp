#include "correctionrun.h"

#include "iccprofile.h"
#include "lutbuild.h"

namespace correction {

std::vector<std::pair<std::string, Patch>> characterisationRun(PatchSetSize size) {
    std::vector<std::pair<std::string, Patch>> out;
    for (const Patch &p : characterisationPatches(size))
        out.push_back({characterisationSet, p});
    for (const Patch &p : verificationPatches())
        out.push_back({verificationSet, p});
    return out;
}

std::vector<std::pair<std::string, Patch>> verificationRun() {
    std::vector<std::pair<std::string, Patch>> out;
    for (const Patch &p : verificationPatches())
        out.push_back({verificationSet, p});
    return out;
}

bool fitRows(const std::vector<MeasuredPatch> &rows, DisplayModel *model, std::string *error) {
    std::vector<Sample> samples;
    for (const MeasuredPatch &r : rows)
        if (r.set == characterisationSet)
            samples.push_back(
                {{r.patch.code[0] / 255.0, r.patch.code[1] / 255.0, r.patch.code[2] / 255.0},
                 r.xyz});
    return model->fit(samples, error);
}

std::vector<VerifiedPatch> judgeRows(const std::vector<MeasuredPatch> &rows,
                                     const ResolvedTarget &target) {
    std::vector<VerifiedPatch> out;
    for (const MeasuredPatch &r : rows)
        if (r.set == verificationSet)
            out.push_back(judgePatch(r.patch, r.xyz, target));
    return out;
}

bool computeCorrection(const std::vector<MeasuredPatch> &rows, const TargetSpec &spec, int lutSize,
                       const std::string &title, Correction *out, std::string *error) {
    auto model = std::make_shared<DisplayModel>();
    if (!fitRows(rows, model.get(), error))
        return false;
    Correction c;
    c.model = model;
    c.target = ResolvedTarget(spec, *model);
    c.lut = buildCorrectionLut(*model, c.target, lutSize, title);
    c.curves = buildCalibrationCurves(*model, c.target);
    c.icc = displayProfile(*model, c.curves, title, error);
    if (c.icc.empty())
        return false;
    c.before = judgeRows(rows, c.target);
    c.coverage = gamutCoverage(*model);
    *out = std::move(c);
    return true;
}

} // namespace correction
