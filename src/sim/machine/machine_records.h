// What the simulated machine recorded about the run: insertions, boards,
// head movements, platform stops, output changes and lost components. Times
// are clock seconds (platform::Clock::seconds()).
#pragma once

#include <string>
#include <vector>

namespace corvane::sim {

// A component cut and clinched by the forfex while the head held it.
struct InsertionRecord {
    int boardId = -1;     // board on the workdesk at the cut; -1 when there was none
    int station = 0;      // station whose feeder dropped the component
    int componentId = 0;  // running number of dropped components, from 1
    double x = 0;         // X and Y command positions (mm) at the cut
    double y = 0;
    double headHeight = 0;     // H physical position (mm) at the cut
    bool leftLeadSeen = true;  // the lead sensors saw the leads
    bool rightLeadSeen = true;
    double time = 0;
};

enum class BoardPlace {
    LoadLift,
    Workdesk,
    UnloadLift,
    NextMachine,  // partly handed over, still on the line
    Delivered,    // fully taken by the next machine
    Removed,      // taken off the line by hand
};

struct BoardRecord {
    int id = 0;  // boards are numbered in arrival order, from 1
    BoardPlace place = BoardPlace::LoadLift;
    double arrivedAt = 0;
    double deliveredAt = -1;  // -1 until delivered
    bool byHand = false;      // put onto the workdesk by hand (not from the previous machine)
    bool jammed = false;      // a second board of a double board lying across the load lift
    std::vector<int> insertedStations;  // in insertion order
};

// H went below the head-down threshold.
struct HeadDownEvent {
    double time = 0;
    double x = 0;  // X and Y command positions (mm)
    double y = 0;
    double headHeight = 0;  // H physical position (mm) when it crossed
};

// An X or Y move ended (a linear X-Y move gives one record).
struct PlatformStop {
    double time = 0;
    double x = 0;  // X and Y command positions (mm)
    double y = 0;
    int doneCode = 1;
};

struct OutputChange {
    double time = 0;
    int bit = 0;    // library bit
    int level = 0;  // level written
};

struct ComponentLoss {
    double time = 0;
    int station = 0;
    int componentId = 0;
    std::string reason;  // "passed the CTA", "head already held a component", ...
};

// Running totals.
struct MachineCounters {
    int componentsDropped = 0;
    int componentsPicked = 0;  // taken into the head by the CTA
    int componentsInserted = 0;
    int componentsLost = 0;
    int emptyCuts = 0;  // forfex cuts with nothing in the head
    int ctaPushesWithoutComponent = 0;
    int paperCuts = 0;
    int boardsArrived = 0;
    int boardsDelivered = 0;
};

// A component on the chain, as the chain has carried it.
struct ChainComponent {
    int componentId = 0;
    int station = 0;
    double pitchesFromCta = 0;  // negative: still upstream of the CTA
};

// A board on the line.
struct BoardOnLine {
    int id = 0;
    double front = 0;  // mm along the board path
    double rear = 0;
    BoardPlace place = BoardPlace::LoadLift;
};

}  // namespace corvane::sim
