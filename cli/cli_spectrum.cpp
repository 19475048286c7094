// tintwell-cli spectrum and channels: the CS-2000's spectrum, and its
// user-calibration channels.
#include "calibrationjson.h"
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "devicetypes.h"
#include "measurementjson.h"
#include "referencewatch.h"

#include <cstdio>

namespace {

constexpr int firstNm = 380, lastNm = 780;

struct SpectrumOptions {
    std::string port;
    bool csv = false;
};

void printSpectrumHelp() {
    std::printf(
        "usage: tintwell-cli spectrum --port PATH [--csv]\n\n"
        "Measures once with the CS-2000 at PATH and prints its spectral radiance from\n"
        "380 to 780 nm (401 values, W/(sr m² nm)) as JSON {\"nm\": [...], \"value\": [...]},\n"
        "or with --csv as \"nm,value\" lines after that header.\n\n"
        "Ctrl-C cancels the measurement. Exit codes: 0 done, 1 no CS-2000 answered,\n"
        "2 bad arguments, 3 the instrument was lost, refused the measurement, or\n"
        "delivered fewer values than wavelengths (nothing is printed).\n");
}

SpectrumOptions parseSpectrumOptions(const CliArgs &args) {
    SpectrumOptions o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port")
            o.port = c.takeValue(arg);
        else if (arg == "--csv")
            o.csv = true;
        else
            throw CliError("unknown option '" + arg + "'");
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    return o;
}

int runSpectrum(const SpectrumOptions &o) {
    CliDeviceContext qt;
    std::unique_ptr<GenMeasure> device = openInstrument("spectrum", DeviceNames::cs2000, o.port);
    if (!device) {
        explainCs2000LineSettings("spectrum");
        return 1;
    }
    const InterruptGuard guard;
    ReferenceWatch watch("spectrum", *device, guard);
    const QList<double> values = device->spectrum();
    if (guard.interrupted())
        return 0; // cancelled: nothing to print
    if (const int code = watch.check(device->spectrumErrorCode()))
        return code;
    if (o.csv) {
        std::printf("nm,value\n");
        for (int nm = firstNm; nm <= lastNm; ++nm)
            std::printf("%d,%s\n", nm, jsonNumber(values.value(nm)).c_str());
    } else {
        std::string nms, vals;
        for (int nm = firstNm; nm <= lastNm; ++nm) {
            const char *sep = nm == firstNm ? "" : ",";
            nms += sep + std::to_string(nm);
            vals += sep + jsonNumber(values.value(nm));
        }
        std::printf("{\"nm\":[%s],\"value\":[%s]}\n", nms.c_str(), vals.c_str());
    }
    device->close();
    return 0;
}

struct ChannelOptions {
    std::string port;
    int select = -1;
};

void printChannelsHelp() {
    std::printf("usage: tintwell-cli channels --port PATH [--select N]\n\n"
                "Lists the user-calibration channels of the CS-2000 at PATH as one JSON object:\n"
                "model, serialNumber, selected (0 is the factory calibration), selectedName and\n"
                "the 11 labels \"i: name\" (\"Blank\" for an empty channel).\n\n"
                "  --select N   select channel N (0 to 10) first; a blank channel is refused\n\n"
                "Exit codes: 0 done, 1 no CS-2000 answered, 2 bad arguments or a channel the\n"
                "instrument refused, 3 the instrument was lost.\n");
}

ChannelOptions parseChannelOptions(const CliArgs &args) {
    ChannelOptions o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port")
            o.port = c.takeValue(arg);
        else if (arg == "--select")
            o.select = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 10));
        else
            throw CliError("unknown option '" + arg + "'");
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    return o;
}

std::string jsonText(const QString &s) {
    return jsonString(s.toLatin1().toStdString());
}

int runChannels(const ChannelOptions &o) {
    CliDeviceContext qt;
    std::unique_ptr<GenMeasure> device = openInstrument("channels", DeviceNames::cs2000, o.port);
    if (!device)
        return 1;
    if (o.select >= 0) {
        device->setCalFile(o.select);
        if (!device->isConnected())
            return checkReading("channels", *device, 0x1);
        if (device->calFileIndex() != o.select) {
            std::fprintf(stderr, "tintwell-cli channels: the instrument refused channel %d (%s)\n",
                         o.select, device->calFileList().value(o.select).toUtf8().constData());
            return 2;
        }
    }
    std::string labels;
    for (const QString &label : device->calFileList())
        labels += (labels.empty() ? "" : ",") + jsonText(label);
    std::printf("{\"model\":%s,\"serialNumber\":%s,\"selected\":%d,\"selectedName\":%s,"
                "\"channels\":[%s]}\n",
                jsonText(device->model()).c_str(), jsonText(device->serialNumber()).c_str(),
                device->calFileIndex(), jsonText(device->calFileName()).c_str(), labels.c_str());
    device->close();
    return 0;
}

} // namespace

int cliSpectrum(const CliArgs &args) {
    return runCommand("spectrum", args, printSpectrumHelp, parseSpectrumOptions, runSpectrum);
}

int cliChannels(const CliArgs &args) {
    return runCommand("channels", args, printChannelsHelp, parseChannelOptions, runChannels);
}
