// The pictures of the main window's tool bar and the window icon, drawn in
// code so that they stay sharp and need no files.
#pragma once

#include <QIcon>

namespace BrumexIcons {

inline constexpr int ToolBarSize = 32;

QIcon ZoomMais();
QIcon ZoomMenos();
QIcon Config();
QIcon Medindo();
QIcon Window();

} // namespace BrumexIcons
