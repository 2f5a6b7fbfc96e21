// The pictures of the main window's tool bar and the window icon, drawn in
// code so that they stay sharp and need no files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace BrumexIcons {

inline constexpr int ToolBarSize = 32;

QIcon ZoomMais();
QIcon ZoomMenos();
QIcon Config();
QIcon Medindo();
QIcon Window();

// The waste bin of the "Layers" tab: closed, with its lid open while an
// object is held over it, and full after one was dropped in.
enum class TWasteBin { Closed, Open, Full };
QPixmap WasteBin(TWasteBin picture);

} // namespace BrumexIcons
