// Page profiles of the camera models.
#include "camera/screens/page_profile.h"

#include <array>

namespace ostrel::pages {

namespace {

struct ModelTraits {
    const char* model;
    bool colour;
    bool gamma;
    bool blackLevel;
    bool controllerTimedSnap3;
    bool defaults;
};

// Indexed by model code. The K3 models convert without gamma; the K6 sensor
// has no black level of its own to set; a K6 in "Snap 3" lets its controller
// time the exposure; the K2, K5 and K6 sensors have a default register set.
constexpr std::array<ModelTraits, 11> kModels = {{
    {"K4C", true, true, true, false, false},    // 0: K4C or unknown
    {"K1C", true, true, true, false, false},    // 1
    {"K1M", false, false, true, false, false},  // 2
    {"K2C", true, true, true, false, true},     // 3
    {"K2M", false, false, true, false, true},   // 4
    {"K5C", true, true, true, false, true},     // 5
    {"K5M", false, false, true, false, true},   // 6
    {"K6C", true, true, false, true, true},     // 7
    {"K6M", false, false, false, true, true},   // 8
    {"K3C", true, false, true, false, false},   // 9
    {"K3M", false, false, true, false, false},  // 10
}};

}  // namespace

QStringList standardResolutions() {
    return {"2592x1944", "2048x1536", "1600x1200", "1280X1024", "1024X768", "800x600", "640X480"};
}

bool parseResolution(const QString& entry, int* width, int* height) {
    const QStringList parts = entry.split(QChar('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (parts.size() != 2) {
        return false;
    }
    bool okWidth = false;
    bool okHeight = false;
    const int w = parts[0].toInt(&okWidth);
    const int h = parts[1].toInt(&okHeight);
    if (!okWidth || !okHeight || w <= 0 || h <= 0) {
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

PageProfile profileFor(int modelCode, int maxWidth, int maxHeight) {
    const int code = modelCode >= 0 && modelCode < static_cast<int>(kModels.size()) ? modelCode : 0;
    const ModelTraits& t = kModels[static_cast<size_t>(code)];
    PageProfile p;
    p.modelCode = code;
    p.model = t.model;
    p.colour = t.colour;
    p.gamma = t.gamma;
    p.blackLevel = t.blackLevel;
    p.colourGains = t.colour;
    p.controllerTimedSnap3 = t.controllerTimedSnap3;
    p.defaults = t.defaults;
    bool maximumListed = false;
    for (const QString& entry : standardResolutions()) {
        int w = 0;
        int h = 0;
        parseResolution(entry, &w, &h);
        if (maxWidth > 0 && (w > maxWidth || h > maxHeight)) {
            continue;
        }
        maximumListed = maximumListed || (w == maxWidth && h == maxHeight);
        p.resolutions.push_back(entry);
    }
    // A sensor whose full image is not a listed size (752 x 480, 3664 x 2748)
    // can still go back to it.
    if (maxWidth > 0 && maxHeight > 0 && !maximumListed) {
        p.resolutions.prepend(QString("%1x%2").arg(maxWidth).arg(maxHeight));
    }
    return p;
}

}  // namespace ostrel::pages
