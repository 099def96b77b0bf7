// The control library's tables by device index (0 to 9): which control
// serves the index, its no-display flag, its video record, and the frame
// callback bound to it.
#pragma once

#include "camera/ostrel.h"
#include "cameractl/ostrelctl_export.h"

namespace ostrelctl {

class OstrelCtl;

bool validIndex(int index);
// The control that index's images go to (null: none). Window thread.
OSTRELCTL_API void serveIndex(int index, OstrelCtl* control);
// Forgets the control wherever it serves; after this no image reaches it.
void releaseControl(OstrelCtl* control);
// The callback of an index, for TQ_SetCallBack; it runs on the driver's
// delivery thread and copies the image into the serving control.
OSTRELCTL_API TQ_FrameCallback frameCallback(int index);
void setNoDisplay(int index, bool noDisplay);
// The record TQ_GetParamInfo fills for the index.
TQ_VideoInfo* videoInfo(int index);
// Whether a control of this library opened the device (and has not closed it).
bool openedByControl(int index);
void setOpenedByControl(int index, bool opened);

}  // namespace ostrelctl
