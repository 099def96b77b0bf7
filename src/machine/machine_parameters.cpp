// The machine parameter file "machine.wps": fixed little-endian layout.
#include "machine/machine_parameters.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/atomic_file.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"

namespace corvane {

static_assert(std::endian::native == std::endian::little,
              "the parameter file is little-endian; add byte swapping for this target");

namespace {

// Writes the fields in file order.
class Writer {
public:
    void i32(int32_t v) { put(&v, sizeof v); }
    void f64(double v) { put(&v, sizeof v); }
    std::string bytes;

private:
    void put(const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); }
};

// Reads the fields in file order; a field the data does not fully hold is
// left as it was, and so is every field after it.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    void i32(int32_t& v) { get(&v, sizeof v); }
    void f64(double& v) { get(&v, sizeof v); }
    void skip(size_t n) { pos_ = std::min(data_.size(), pos_ + n); }

private:
    void get(void* p, size_t n) {
        if (pos_ + n > data_.size()) {
            pos_ = data_.size();
            return;
        }
        std::memcpy(p, data_.data() + pos_, n);
        pos_ += n;
    }
    std::string_view data_;
    size_t pos_ = 0;
};

// Every field after the header, in file order, for reading and for writing.
template <typename Io>
void fields(Io& io, MachineParameters& p) {
    for (auto& axis : p.axes) {
        io.f64(axis.stepDistance);
        io.f64(axis.startSpeed);
        io.f64(axis.maxSpeed);
    }
    io.i32(p.markMinRadius);
    io.i32(p.markMaxRadius);
    io.i32(p.binarisationThreshold);
    io.f64(p.xRatio);
    io.f64(p.xOffset);
    io.f64(p.yOffset);
    io.f64(p.yRatio);
    io.f64(p.cameraToShaft[0]);
    io.f64(p.cameraToShaft[1]);
    io.f64(p.xyStopPosition[0]);
    io.f64(p.xyStopPosition[1]);
    io.f64(p.xyTurnPosition[0]);
    io.f64(p.xyTurnPosition[1]);
    io.f64(p.heightH1);
    io.f64(p.heightH2);
    io.f64(p.heightP);
    for (auto& v : p.offsetD1D2P) io.f64(v);
    io.i32(p.distributionIntervalMs);
    for (auto& v : p.reservedA) io.i32(v);
    for (auto& entry : p.angleCompensation) {
        io.f64(entry[0]);
        io.f64(entry[1]);
    }
    for (auto& v : p.reservedB) io.i32(v);
    io.f64(p.platformSpeed);
    io.i32(p.workdeskPcbDelayMs);
    io.i32(p.leftLiftPcbDelayMs);
    io.i32(p.reservedC);
    io.i32(p.hDownDelayMs);
    io.i32(p.headFrame);
    io.i32(p.firstStationToCta);
    io.i32(p.firstStationToCutPaper);
    io.i32(p.matchArea);
    io.i32(p.materialVerification);
    io.i32(p.autoFeedOnFailure);
}

int32_t wordAt(std::string_view bytes, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

void showOpenFailure(const std::filesystem::path& file) {
    platform::messageBox(std::filesystem::absolute(file).string() + " open Failure!");
}

}  // namespace

const std::array<double, 2>& MachineParameters::compensation(int angle) const {
    return angleCompensation[static_cast<size_t>(std::clamp(angle, -90, 90) + 90)];
}

std::string encodeMachineParameters(const MachineParameters& parameters) {
    Writer writer;
    writer.i32(kParameterStartMark);
    writer.i32(kParameterPayloadLength);
    // The step distance is stored as its absolute value.
    MachineParameters copy = parameters;
    for (auto& axis : copy.axes) {
        axis.stepDistance = std::fabs(axis.stepDistance);
    }
    fields(writer, copy);
    writer.i32(kParameterEndMark);
    return writer.bytes;
}

bool decodeMachineParameters(std::string_view bytes, MachineParameters& parameters) {
    if (bytes.size() < 8 || wordAt(bytes, 0) != kParameterStartMark) {
        return false;
    }
    // The end mark sits at 8 + stored length; the length itself is not
    // compared, so an older, shorter layout is still accepted.
    const int64_t length = wordAt(bytes, 4);
    const int64_t endMark = 8 + length;
    if (length < 0 || endMark + 4 > static_cast<int64_t>(bytes.size()) ||
        wordAt(bytes, static_cast<size_t>(endMark)) != kParameterEndMark) {
        return false;
    }
    Reader reader(bytes);
    reader.skip(8);
    fields(reader, parameters);
    for (auto& axis : parameters.axes) {
        axis.stepDistance = std::fabs(axis.stepDistance);
    }
    parameters.autoFeedOnFailure = 0;
    if (parameters.materialVerification == kParameterEndMark) {
        parameters.materialVerification = 0;
    }
    parameters.headFrame = std::clamp(parameters.headFrame, 0, 2);
    parameters.platformSpeed = std::clamp(parameters.platformSpeed, 0.0, 20.0);
    return true;
}

MachineParameters& machineParameters() {
    static MachineParameters parameters;
    return parameters;
}

std::filesystem::path machineParameterFile() { return platform::programFile("machine.wps"); }

bool loadMachineParameters(const std::filesystem::path& file, MachineParameters& parameters) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        showOpenFailure(file);
        return false;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!decodeMachineParameters(bytes, parameters)) {
        showOpenFailure(file);
        return false;
    }
    return true;
}

bool saveMachineParameters(const std::filesystem::path& file, const MachineParameters& parameters) {
    if (!platform::writeFileAtomically(file, encodeMachineParameters(parameters))) {
        showOpenFailure(file);
        return false;
    }
    return true;
}

}  // namespace corvane
