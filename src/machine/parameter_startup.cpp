// Start-up and exit: the parameter file of the program directory and the axes.
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"

namespace corvane {

bool LoadMachineParameters() {
    MachineParameters& parameters = machineParameters();
    // The file starts from the axes' configured speeds, so fields the file
    // lacks keep them.
    for (int i = 0; i < kAxisCount && i < static_cast<int>(Axes().size()); ++i) {
        const MotionAxis& axis = *Axes()[static_cast<size_t>(i)];
        parameters.axes[static_cast<size_t>(i)] = {axis.stepDistance(), axis.startSpeed(),
                                                   axis.maxSpeed()};
    }
    const bool loaded = loadMachineParameters(machineParameterFile(), parameters);
    for (int i = 0; i < kAxisCount && i < static_cast<int>(Axes().size()); ++i) {
        const AxisSpeeds& speeds = parameters.axes[static_cast<size_t>(i)];
        Axes()[static_cast<size_t>(i)]->setSpeeds(speeds.stepDistance, speeds.startSpeed,
                                                  speeds.maxSpeed);
    }
    return loaded;
}

void SaveMachineParameters() {
    MachineParameters& parameters = machineParameters();
    for (int i = 0; i < kAxisCount && i < static_cast<int>(Axes().size()); ++i) {
        const MotionAxis& axis = *Axes()[static_cast<size_t>(i)];
        parameters.axes[static_cast<size_t>(i)] = {axis.stepDistance(), axis.startSpeed(),
                                                   axis.maxSpeed()};
    }
    saveMachineParameters(machineParameterFile(), parameters);
}

}  // namespace corvane
