// Message boxes of the camera control.
//
// The control never decides how a box appears: it hands each one to the sink
// the host installed. By default the box is a modal Qt message box; a host
// that runs scripts prints it instead and does not wait.
#pragma once

#include <functional>

#include <QString>

#include "cameractl/ostrelctl_export.h"

class QWidget;

namespace ostrelctl {

enum class BoxIcon { None, Error, About };

struct ControlMessage {
    QString text;
    QString caption;
    BoxIcon icon = BoxIcon::Error;
};

using MessageSink = std::function<void(const ControlMessage&)>;

// Installs the sink for every control of the process (nullptr: Qt boxes).
OSTRELCTL_API void setMessageSink(MessageSink sink);
// Shows a box over `parent` through the installed sink.
OSTRELCTL_API void showMessage(const ControlMessage& message, QWidget* parent);

}  // namespace ostrelctl
