// The reset thread.
#include "machine/reset_worker.h"

#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "platform/worker.h"
#include "machine/machine_stops.h"
#include "platform/language.h"

namespace corvane {

namespace {

constexpr double kHomeLimit = 25.0;
constexpr double kPitch = 12.5;

}  // namespace

bool ResetWorker::resetOnce() {
    static constexpr int kOrder[] = {kAxisH, kAxisP, kAxisD1, kAxisD2, kAxisX, kAxisY, kAxisL};
    int done = 0;
    for (int index : kOrder) {
        window_.send(MSG_RESET_PROGRESS, static_cast<uintptr_t>(index), done);
        MotionAxis& a = axis(index);
        if (!a.Home(kHomeLimit)) {
            busy_ = false;
            platform::messageBox(a.name() + tr(" reset failure", "复位失败"));
            return false;
        }
        if (index != kAxisL) {
            a.SetPosition(0.0);
        }
        ++done;
    }
    const MachineParameters& p = machineParameters();
    axis(kAxisD1).MoveTo(p.offsetD1D2P[0]);
    axis(kAxisD2).MoveTo(p.offsetD1D2P[1]);
    axis(kAxisP).MoveTo(p.offsetD1D2P[2]);
    axis(kAxisD1).WaitDone(kHomeLimit);
    axis(kAxisD2).WaitDone(kHomeLimit);
    axis(kAxisP).WaitDone(kHomeLimit);
    MoveLine(axis(kAxisX), p.xyStopPosition[0], axis(kAxisY), p.xyStopPosition[1], true, 50, 80);
    axis(kAxisX).WaitDone(kHomeLimit);
    axis(kAxisY).WaitDone(kHomeLimit);
    return true;
}

int ResetWorker::run(platform::Worker& self) {
    while (!machineStops().quitting()) {
        busy_ = true;
        const bool result = resetOnce();
        busy_ = false;
        window_.send(MSG_RESET_DONE, result ? 1 : 0);
        if (machineStops().quitting()) break;
        self.suspendSelf();
    }
    return 0;
}

void roundChainToPitch() {
    MotionAxis& l = axis(kAxisL);
    const int n = static_cast<int>(l.Position() / kPitch + 0.5);
    platform::Clock::sleepMs(2);
    l.SetPosition(n * kPitch);
}

}  // namespace corvane
