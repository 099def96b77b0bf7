/* The motion-card library seam: exactly the d1000_* calls the machine program
 * makes, with their argument orders. Two backends implement it: the simulated
 * machine (machine-sim, the default) and, where present, the vendor library.
 *
 * Axis numbers count over all cards (four per card); I/O bit numbers are
 * card * 32 + bit, bits counted from 1. Every call returns an integer. */
#ifndef CORVANE_MACHINE_D1000_H
#define CORVANE_MACHINE_D1000_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Card start-up: returns the number of cards found. */
int d1000_board_init(void);
int d1000_set_pls_outmode(int16_t axis, int32_t mode);
/* S-profile parameter used by the next S-curve move of the axis. */
int d1000_set_s_profile(int16_t axis, double sPara);

/* Relative moves: distance in pulses, speeds in pulses/s, acceleration time in s. */
int d1000_start_t_move(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                       double accelTime);
int d1000_start_s_move(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                       double accelTime);
/* Absolute moves: the trapezoidal call takes its speeds as floating point, the
 * S-curve call as integers. */
int d1000_start_ta_move(int16_t axis, int32_t target, double startSpeed, double maxSpeed,
                        double accelTime);
int d1000_start_sa_move(int16_t axis, int32_t target, int32_t startSpeed, int32_t maxSpeed,
                        double accelTime);
/* Constant-speed moves in the sign's direction until stopped. */
int d1000_start_tv_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);
int d1000_start_sv_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);
/* Move in the sign's direction that the card ends on the origin switch. */
int d1000_home_move(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);

/* Two-axis linear interpolation: totalAxes is 2; relative and absolute. */
int d1000_start_t_line(int16_t totalAxes, const int16_t* axes, const int32_t* distances,
                       int32_t startSpeed, int32_t maxSpeed, double accelTime);
int d1000_start_ta_line(int16_t totalAxes, const int16_t* axes, const int32_t* targets,
                        int32_t startSpeed, int32_t maxSpeed, double accelTime);

/* 0 while moving, 1 after a normal end, 3 when stopped at a limit (other
 * values after other stops). */
int d1000_check_done(int16_t axis);
int32_t d1000_get_command_pos(int16_t axis);
int d1000_set_command_pos(int16_t axis, double position);
/* Bit 0 negative limit (EL-), bit 1 positive limit (EL+), bit 2 origin (ORG). */
int d1000_get_axis_status(int16_t axis);
int d1000_decel_stop(int16_t axis);
int d1000_immediate_stop(int16_t axis);

/* Digital I/O: level of an input bit, written level of an output bit, write. */
int d1000_in_bit(int16_t bitNo);
int d1000_get_outbit(int16_t bitNo);
int d1000_out_bit(int16_t bitNo, int16_t level);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_MACHINE_D1000_H */
