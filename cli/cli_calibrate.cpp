// tintwell-cli calibrate: makes a colour profile for the colorimeter against
// a reference instrument, headless, through the same runs as the profile
// window: reference run, colorimeter run on the factory profile, store into
// a slot, verification run; prints one JSON object and writes the QC report.
#include "calibrationjson.h" // jsonString
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "devicetypes.h"
#include "genpattern.h"
#include "interruptguard.h"
#include "measurementjson.h"
#include "outputpath.h"
#include "patternsequence.h"
#include "profilecheck.h"
#include "profilerules.h"
#include "profileruns.h"
#include "profilestore.h"
#include "profileverify.h"
#include "qcreport.h"

#include <QTimer>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>

#include <unistd.h>

namespace {

// Verification ran and did not pass.
constexpr int exitNotPassed = 4;
// Unstable patches are measured again this often before the run gives up.
constexpr int retriesPerRun = 3;

struct Options {
    std::string reference, colorimeter, generator, name, report, password;
    int slot = -1; // the first blank slot
    double stable = 1.0;
    int averages = 8;
    bool havePassword = false;
    bool overwrite = false; // a named profile in --slot may be replaced
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli calibrate --reference PORT --colorimeter PORT --generator H\n"
        "                              --name NAME [--slot N [--overwrite]] [--report QC.csv]\n"
        "                              [--stable SECONDS] [--avg N] [--password P]\n\n"
        "Makes a colour profile for the colorimeter: the network pattern generator at H\n"
        "shows White, Red, Green and Blue; the reference instrument measures them, then the\n"
        "colorimeter on its factory profile; the correction is stored into slot N (1 to 96;\n"
        "default the first blank slot) under NAME, and the colorimeter measures the four\n"
        "again through it. Prints one JSON object: reference, preCal and postCal (four\n"
        "measurements each), maxXyError, maxYErrorPercent and verdict (\"PASS\" when every\n"
        "x and y is within 0.001 and every Y within 2 %% of the reference).\n\n"
        "Storing a profile changes the instrument's memory for good: the profile password\n"
        "is taken from --password or read as one line from standard input. Nothing is\n"
        "stored from readings that cannot make a profile (a patch with a problem, a\n"
        "display that did not change, primaries that are not a display's, instruments\n"
        "that disagree, a degenerate correction): the command says why.\n\n"
        "  --overwrite       replace the profile already in slot N (without it a slot\n"
        "                    holding a named profile is refused before anything is measured)\n"
        "  --report QC.csv   write the QC report (replaced only when complete; checked\n"
        "                    before any instrument is touched)\n"
        "  --stable SECONDS  stabilising time before each measurement (default 1)\n"
        "  --avg N           readings averaged per patch, 0 to 126 (default 8)\n\n"
        "Exit codes: 0 PASS, 1 no generator or instrument answered, 2 bad arguments, wrong\n"
        "password, an unwritable report or a named slot without --overwrite, 3 instrument\n"
        "lost, run aborted or profile not stored (after a failed store the slot is read\n"
        "back and what it holds is said), 4 verification did not pass.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--reference") {
            o.reference = c.takeValue(arg);
        } else if (arg == "--colorimeter") {
            o.colorimeter = c.takeValue(arg);
        } else if (arg == "--generator") {
            o.generator = c.takeValue(arg);
        } else if (arg == "--name") {
            o.name = c.takeValue(arg);
        } else if (arg == "--report") {
            o.report = c.takeValue(arg);
        } else if (arg == "--password") {
            o.password = c.takeValue(arg);
            o.havePassword = true;
        } else if (arg == "--overwrite") {
            o.overwrite = true;
        } else if (arg == "--slot") {
            // Slot 0 is the factory calibration: never overwritten from here.
            o.slot = static_cast<int>(parseInteger(c.takeValue(arg), arg, 1, profiles::lastSlot));
        } else if (takeSequenceOption(c, arg, o.stable, o.averages)) {
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.reference.empty() || o.colorimeter.empty() || o.generator.empty())
        throw CliError("--reference PORT, --colorimeter PORT and --generator H are required");
    if (o.overwrite && o.slot < 0)
        throw CliError("--overwrite needs --slot N");
    const QString name = QString::fromStdString(o.name).simplified();
    if (profiles::isBlankName(name))
        throw CliError("--name must not be blank");
    if (name.size() > 20)
        throw CliError("--name holds at most 20 characters");
    o.name = name.toStdString();
    return o;
}

std::string measurementList(const QVector<Measurement> &list) {
    std::string out = "[";
    for (int i = 0; i < list.size(); ++i) {
        if (i)
            out += ",";
        out += measurementJson(list.at(i),
                               {{"patch", jsonString(profiles::patchNames().at(i).toStdString())}});
    }
    return out + "]";
}

std::string number(double v) {
    return std::isfinite(v) ? QString::number(v, 'g', 6).toStdString() : "null";
}

// The name of the profile in a slot of the colorimeter's list.
QString slotName(const QStringList &list, int slot) {
    return profiles::entryName(profiles::entryForSlot(list, slot));
}

class Chain {
public:
    Chain(const Options &o, GenPattern *generator, GenMeasure *reference, GenMeasure *colorimeter)
        : m_o(o), m_reference(reference), m_colorimeter(colorimeter), m_runs(&m_sequence) {
        m_sequence.setGenerator(generator);
        m_sequence.setStableTime(o.stable);
        m_sequence.setAverages(o.averages);
        m_sequence.setProblemHandler([this](const patchcheck::Problem &p) {
            std::fprintf(stderr, "tintwell-cli calibrate: %s\n",
                         p.text.trimmed().toUtf8().constData());
            if (p.choices.contains(patchcheck::Retry) && m_retries++ < retriesPerRun)
                return patchcheck::Retry;
            return patchcheck::Abort;
        });
        QObject::connect(&m_runs, &ProfileRuns::runFinished, [this](int run) { next(run); });
        QObject::connect(&m_runs, &ProfileRuns::runAborted, [this](int run) {
            if (!m_interrupted)
                std::fprintf(stderr, "tintwell-cli calibrate: the %s run was aborted\n",
                             runName(run));
            end(3);
        });
    }

    int run() {
        const InterruptGuard guard;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (guard.interrupted() && !m_interrupted) {
                m_interrupted = true;
                if (!m_sequence.abort())
                    end(3);
            }
        });
        poll.start(20);
        if (!startRun(ProfileRuns::ReferenceRun))
            return 1;
        QCoreApplication::exec();
        return m_exit;
    }

private:
    static const char *runName(int run) {
        static const char *names[] = {"reference", "colorimeter", "verification"};
        return names[run];
    }

    bool startRun(ProfileRuns::Run run) {
        m_retries = 0;
        std::fprintf(stderr, "tintwell-cli calibrate: %s run\n", runName(run));
        return m_runs.start(run, run == ProfileRuns::ReferenceRun ? m_reference : m_colorimeter);
    }

    void end(int code) {
        m_exit = code;
        QCoreApplication::quit();
    }

    void next(int run) {
        if (run == ProfileRuns::ReferenceRun) {
            if (!startRun(ProfileRuns::TorvaRun))
                end(3);
        } else if (run == ProfileRuns::TorvaRun) {
            store();
        } else {
            finish();
        }
    }

    void store() {
        int slot = m_o.slot;
        if (slot < 0)
            slot = profiles::firstBlankSlot(m_colorimeter->calFileList());
        if (slot < 1) {
            std::fprintf(stderr, "tintwell-cli calibrate: the colorimeter has no blank slot; "
                                 "name one with --slot\n");
            end(3);
            return;
        }
        const QString why = profiles::patchSetProblem(m_runs.list(ProfileRuns::ReferenceRun),
                                                      m_runs.list(ProfileRuns::TorvaRun), true);
        if (!why.isEmpty()) {
            std::fprintf(stderr,
                         "tintwell-cli calibrate: no profile was stored, the colorimeter is as "
                         "it was: %s\n",
                         why.toUtf8().constData());
            end(3);
            return;
        }
        const QString before = slotName(m_colorimeter->calFileList(), slot);
        const int result =
            profiles::storeProfile(m_colorimeter, slot, QString::fromStdString(m_o.name),
                                   m_runs.tristimulus(ProfileRuns::ReferenceRun),
                                   m_runs.tristimulus(ProfileRuns::TorvaRun), {}, false);
        if (result != 0) {
            std::fprintf(stderr,
                         "tintwell-cli calibrate: storing into slot %d failed (code 0x%x); "
                         "%s\n",
                         slot, static_cast<unsigned>(result),
                         slotAfterFailure(slot, before).c_str());
            end(3);
            return;
        }
        std::fprintf(stderr, "tintwell-cli calibrate: stored as %d: %s\n", slot, m_o.name.c_str());
        if (!startRun(ProfileRuns::VerifyRun))
            end(3);
    }

    // What the slot holds after a store failed part-way: the write may have
    // reached the instrument even though its confirmation did not come back.
    // Only a fresh connection reads the list as it is now.
    std::string slotAfterFailure(int slot, const QString &before) {
        const QString name = QString::fromStdString(m_o.name);
        const QString port = m_colorimeter->portName();
        m_colorimeter->close();
        const std::unique_ptr<GenMeasure> fresh = identifyInstrument(port);
        const auto quoted = [](const QString &n) {
            return profiles::isBlankName(n) ? QStringLiteral("blank") : "'" + n + "'";
        };
        if (!fresh || fresh->deviceType() != TorvaDevice)
            return QStringLiteral("the colorimeter cannot be read now, so slot %1 may hold the "
                                  "new profile '%2' or still %3: read it with 'tintwell-cli "
                                  "profiles --port %4' before using it")
                .arg(slot)
                .arg(name, quoted(before), port)
                .toStdString();
        const QString after = slotName(fresh->calFileList(), slot);
        QString what;
        if (after == name && before == name)
            // A profile renewed under its own name: the list cannot tell old from new.
            what = QStringLiteral("slot %1 holds a profile named '%2', the new one or the one it "
                                  "was to replace (they share the name): verify it before using "
                                  "it")
                       .arg(slot)
                       .arg(name);
        else if (after == name)
            what = QStringLiteral("slot %1 holds the new profile '%2' all the same (it replaced "
                                  "%3): verify it before using it")
                       .arg(slot)
                       .arg(name, quoted(before));
        else if (after == before)
            what = QStringLiteral("slot %1 still holds %2").arg(slot).arg(quoted(before));
        else
            what = QStringLiteral("slot %1 now holds %2").arg(slot).arg(quoted(after));
        return (what +
                QStringLiteral("; the colorimeter is on profile %1").arg(fresh->calFileIndex()))
            .toStdString();
    }

    void finish() {
        const profiles::Verdict v = m_runs.verdict();
        std::printf("{\"reference\":%s,\"preCal\":%s,\"postCal\":%s,\"slot\":%d,\"name\":%s,"
                    "\"maxXyError\":%s,\"maxYErrorPercent\":%s,\"verdict\":%s}\n",
                    measurementList(m_runs.list(ProfileRuns::ReferenceRun)).c_str(),
                    measurementList(m_runs.list(ProfileRuns::TorvaRun)).c_str(),
                    measurementList(m_runs.list(ProfileRuns::VerifyRun)).c_str(),
                    m_colorimeter->calFileIndex(), jsonString(m_o.name).c_str(),
                    number(v.maxXyError).c_str(), number(v.maxYErrorPercent).c_str(),
                    jsonString(profiles::verdictText(v).toStdString()).c_str());
        std::fflush(stdout);
        int code = v.pass ? 0 : exitNotPassed;
        if (!v.pass)
            std::fprintf(stderr, "tintwell-cli calibrate: %s",
                         profiles::verdictMessage(v).toUtf8().constData());
        if (!m_o.report.empty() && !writeReport())
            code = code ? code : 3;
        end(code);
    }

    bool writeReport() {
        profiles::QcReport r;
        r.when = QDateTime::currentDateTime();
        r.colorMatrix = m_colorimeter->colorMatrix();
        r.referenceModel = m_reference->model();
        r.referenceSerial = m_reference->serialNumber();
        r.referenceProfileId = QString::number(m_reference->calFileIndex());
        r.referenceProfileName = m_reference->calFileName();
        r.model = m_colorimeter->model();
        r.serial = m_colorimeter->serialNumber();
        r.slot = m_colorimeter->calFileIndex();
        r.slotName = m_colorimeter->calFileName();
        r.reference = m_runs.list(ProfileRuns::ReferenceRun);
        r.preCal = m_runs.list(ProfileRuns::TorvaRun);
        r.postCal = m_runs.list(ProfileRuns::VerifyRun);
        if (profiles::saveQcReport(QString::fromStdString(m_o.report), r))
            return true;
        std::fprintf(stderr, "tintwell-cli calibrate: cannot write %s\n", m_o.report.c_str());
        return false;
    }

    const Options &m_o;
    GenMeasure *m_reference;
    GenMeasure *m_colorimeter;
    PatternSequence m_sequence;
    ProfileRuns m_runs;
    int m_retries = 0;
    int m_exit = 0;
    bool m_interrupted = false;
};

int run(const Options &given) {
    Options o = given;
    if (!o.report.empty())
        checkOutputPath(o.report, "--report", {o.reference, o.colorimeter});
    if (!o.havePassword) {
        if (::isatty(STDIN_FILENO))
            std::fprintf(stderr, "Profile password: ");
        if (!std::getline(std::cin, o.password))
            o.password.clear();
    }
    if (o.password != profiles::profilePassword)
        throw CliError("wrong password: the profile list was not changed");

    const CliDeviceContext context;
    const std::unique_ptr<GenDevice> generator = openPatternGenerator("calibrate", o.generator);
    if (!generator)
        return 1;
    auto *pattern = static_cast<GenPattern *>(generator.get());
    std::unique_ptr<GenMeasure> reference = identifyInstrument(QString::fromStdString(o.reference));
    if (!reference) {
        reportNoAnswer("calibrate", "reference instrument", o.reference);
        return 1;
    }
    std::unique_ptr<GenMeasure> colorimeter =
        identifyInstrument(QString::fromStdString(o.colorimeter));
    if (!colorimeter || colorimeter->deviceType() != TorvaDevice) {
        reportNoAnswer("calibrate", "colorimeter", o.colorimeter);
        return 1;
    }
    if (o.slot > 0) {
        const QString held = slotName(colorimeter->calFileList(), o.slot);
        if (!o.overwrite && !profiles::isBlankName(held))
            throw CliError("slot " + std::to_string(o.slot) + " holds '" + held.toStdString() +
                           "': give --overwrite to replace it");
    }
    std::fprintf(stderr, "tintwell-cli calibrate: reference %s %s, colorimeter %s %s\n",
                 reference->model().toUtf8().constData(),
                 reference->serialNumber().toUtf8().constData(),
                 colorimeter->model().toUtf8().constData(),
                 colorimeter->serialNumber().toUtf8().constData());
    Chain chain(o, pattern, reference.get(), colorimeter.get());
    return chain.run();
}

} // namespace

int cliCalibrate(const CliArgs &args) {
    return runCommand("calibrate", args, printHelp, parseOptions, run);
}
