// Message boxes of the core shown as Qt dialogs: the console installs this
// sink at start-up, and every platform::messageBox becomes a modal box over
// the window in front.
#pragma once

namespace corvane::screens {

// Installs the sink. A call from another thread waits until the window
// thread has shown the box and the operator closed it.
void installMessageBoxDialogs();

}  // namespace corvane::screens
