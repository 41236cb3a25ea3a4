// The toolbar's images, drawn to match one another.
#pragma once

#include <QIcon>

#include "app/commands.h"

namespace tv::gui {

QIcon ToolIcon(Cmd cmd);

}  // namespace tv::gui

namespace tv::gui {
// The program's icon: a bell.
QIcon AppIcon();
}  // namespace tv::gui
