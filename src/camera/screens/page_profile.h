// What the control and snapshot page offers for each camera model.
//
// The page is built once per device with the settings of the device's model
// code: which resolutions it lists, which controls the camera can follow.
// The values shown come from the driver when the page opens.
#pragma once

#include <QStringList>

namespace ostrel::pages {

struct PageProfile {
    int modelCode = 0;
    const char* model = "";             // the model string of the code ("K4C or other" for 0)
    QStringList resolutions;            // entries of the resolution list
    bool colour = false;                // "Color" can be switched
    bool gamma = false;                 // "Gamma" can be switched
    bool blackLevel = true;             // the black level group is adjustable
    bool colourGains = false;           // the G, R and B gains (else only the global gain)
    bool controllerTimedSnap3 = false;  // "Snap 3" hands the exposure to the controller
    bool defaults = false;              // the sensor has a default register set ("Default")
};

// The entries of the resolution list, largest first, as the page shows them.
QStringList standardResolutions();
// Width and height of an entry ("1280X1024" or "800x600"); false when it is none.
bool parseResolution(const QString& entry, int* width, int* height);

// The profile of a model code (0 to 10); the sensor's maximum image decides
// which entries of the list are offered, the maximum itself always among them.
PageProfile profileFor(int modelCode, int maxWidth, int maxHeight);

}  // namespace ostrel::pages
