// One motion axis of the machine and the program's only road to the cards'
// motion calls: unit conversion, profile choice, waits, stops, homing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// Logical axis numbers; each equals its card axis number.
enum AxisIndex : int { kAxisX = 0, kAxisY = 1, kAxisD1 = 2, kAxisD2 = 3, kAxisH = 4, kAxisP = 5, kAxisL = 6 };

class MotionAxis {
public:
    MotionAxis() = default;

    // Stores every field in this order and sets the card's pulse output mode.
    void Configure(const std::string& name, uint16_t cardAxis, int32_t pulseOutputMode,
                   int32_t homeTowardPositive, int32_t pulsesPerUnit, double startSpeed,
                   double maxSpeed, double accelTime, double homeFastSpeed, double homeSlowSpeed,
                   double sCurveFactor, double stepDistance);

    // Absolute move in units, at the axis's speeds or at the given ones.
    int MoveTo(double position);
    int MoveTo(double position, double startSpeed, double maxSpeed);
    // Relative move in units.
    int MoveBy(double distance);
    int MoveBy(double distance, double startSpeed, double maxSpeed);
    // The pulse-level moves every unit move ends in; they choose the profile.
    int MoveToPulses(int32_t target, int32_t startSpeed, int32_t maxSpeed);
    int MoveByPulses(int32_t distance, int32_t startSpeed, int32_t maxSpeed);
    // Continuous move at `speed` units/s.
    int Jog(double speed, bool forward);

    // The card's done code: 0 moving, 1 normal end, 3 stopped at a limit.
    int MotionState() const;
    // Waits for the end of the move; true only for a normal end. A negative
    // timeout waits without limit; 0 reads the state once. A timeout leaves
    // the axis moving.
    bool WaitDone(double timeoutSeconds) const;

    // Command position in units (raw pulses when pulsesPerUnit is 0).
    double Position() const;
    int SetPosition(double position);

    bool AtNegativeLimit() const;
    bool AtPositiveLimit() const;
    bool AtOrigin() const;

    bool DecelStop();
    bool StopNow();

    // Origin search; true when the axis ends on its origin switch.
    bool Home(double timeoutSeconds);

    const std::string& name() const { return name_; }
    uint16_t cardAxis() const { return cardAxis_; }
    int32_t pulseOutputMode() const { return pulseOutputMode_; }
    bool homeTowardPositive() const { return homeTowardPositive_ != 0; }
    int32_t pulsesPerUnit() const { return pulsesPerUnit_; }
    double startSpeed() const { return startSpeed_; }
    double maxSpeed() const { return maxSpeed_; }
    double accelTime() const { return accelTime_; }
    double homeFastSpeed() const { return homeFastSpeed_; }
    double homeSlowSpeed() const { return homeSlowSpeed_; }
    double sCurveFactor() const { return sCurveFactor_; }
    double stepDistance() const { return stepDistance_; }

    // The screens and the parameter file change these three.
    void setSpeeds(double stepDistance, double startSpeed, double maxSpeed);
    void setStartSpeed(double v) { startSpeed_ = v; }
    void setMaxSpeed(double v) { maxSpeed_ = v; }
    void setStepDistance(double v) { stepDistance_ = v; }

    // Units to pulses: multiplied by pulsesPerUnit and truncated toward zero.
    int32_t toPulses(double units) const;

private:
    int16_t axis() const { return static_cast<int16_t>(cardAxis_); }

    std::string name_;
    uint16_t cardAxis_ = 0;
    int32_t pulseOutputMode_ = 0;
    int32_t homeTowardPositive_ = 0;
    int32_t pulsesPerUnit_ = 1000;
    double startSpeed_ = 20.0;
    double maxSpeed_ = 1000.0;
    double accelTime_ = 0.03;
    double homeFastSpeed_ = 50.0;
    double homeSlowSpeed_ = 10.0;
    double sCurveFactor_ = 0.5;
    double stepDistance_ = 10.0;
};

// The seven axes X, Y, D1, D2, H, P, L, indexed by logical axis number.
std::vector<std::unique_ptr<MotionAxis>>& Axes();
inline MotionAxis& axis(int index) { return *Axes()[static_cast<size_t>(index)]; }

// Number of cards the card start-up reported.
int MotionCardCount();

// Card start-up; true when at least two cards answer.
bool InitMotionCards();

// Creates and configures the seven axes from the start-up table, then stops
// each and sets its position to 0.
void BuildAxes();

// Immediate stop of every card axis 0 .. 4 x card count - 1.
void StopAllAxes();

// Two-axis linear interpolation with axis A's speeds and acceleration time
// (or the given speeds, in units/s of axis A). Always trapezoidal.
void MoveLine(MotionAxis& a, double aValue, MotionAxis& b, double bValue, bool absolute);
void MoveLine(MotionAxis& a, double aValue, MotionAxis& b, double bValue, bool absolute,
              double startSpeed, double maxSpeed);

}  // namespace corvane
