// The motion-card calls, answered by the process-wide simulated machine.
#include "machine/d1000.h"

#include "sim/machine/simulated_machine.h"

using corvane::sim::SimulatedMachine;

namespace {
SimulatedMachine& machine() {
    return SimulatedMachine::instance();
}
}  // namespace

extern "C" {

int d1000_board_init(void) {
    return machine().boardInit();
}

int d1000_set_pls_outmode(int16_t axis, int32_t mode) {
    return machine().setPulseOutputMode(axis, mode);
}

int d1000_set_s_profile(int16_t axis, double sPara) {
    return machine().setSProfile(axis, sPara);
}

int d1000_start_t_move(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                       double accelTime) {
    return machine().startTMove(axis, distance, startSpeed, maxSpeed, accelTime);
}

int d1000_start_s_move(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                       double accelTime) {
    return machine().startSMove(axis, distance, startSpeed, maxSpeed, accelTime);
}

int d1000_start_ta_move(int16_t axis, int32_t target, double startSpeed, double maxSpeed,
                        double accelTime) {
    return machine().startTaMove(axis, target, startSpeed, maxSpeed, accelTime);
}

int d1000_start_sa_move(int16_t axis, int32_t target, int32_t startSpeed, int32_t maxSpeed,
                        double accelTime) {
    return machine().startSaMove(axis, target, startSpeed, maxSpeed, accelTime);
}

int d1000_start_tv_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return machine().startTvMove(axis, startSpeed, maxSpeed, accelTime);
}

int d1000_start_sv_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return machine().startSvMove(axis, startSpeed, maxSpeed, accelTime);
}

int d1000_home_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return machine().homeMove(axis, startSpeed, maxSpeed, accelTime);
}

int d1000_start_t_line(int16_t totalAxes, const int16_t* axes, const int32_t* distances,
                       int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return machine().startTLine(totalAxes, axes, distances, startSpeed, maxSpeed, accelTime);
}

int d1000_start_ta_line(int16_t totalAxes, const int16_t* axes, const int32_t* targets,
                        int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return machine().startTaLine(totalAxes, axes, targets, startSpeed, maxSpeed, accelTime);
}

int d1000_check_done(int16_t axis) {
    return machine().checkDone(axis);
}

int32_t d1000_get_command_pos(int16_t axis) {
    return machine().getCommandPos(axis);
}

int d1000_set_command_pos(int16_t axis, double position) {
    return machine().setCommandPos(axis, position);
}

int d1000_get_axis_status(int16_t axis) {
    return machine().getAxisStatus(axis);
}

int d1000_decel_stop(int16_t axis) {
    return machine().decelStop(axis);
}

int d1000_immediate_stop(int16_t axis) {
    return machine().immediateStop(axis);
}

int d1000_in_bit(int16_t bitNo) {
    return machine().inBit(bitNo);
}

int d1000_get_outbit(int16_t bitNo) {
    return machine().getOutBit(bitNo);
}

int d1000_out_bit(int16_t bitNo, int16_t level) {
    return machine().outBit(bitNo, level);
}

}  // extern "C"
