// The waypoint pictures, ImageListWaypt: 34 icons of 32 x 32 pixels in a
// fixed order, since waypoint files store the picture's index. Each picture
// is drawn on white, the colour of its bottom-left pixel, which the waypoint
// presenters draw transparent.
#pragma once

#include <QImage>

#include <array>

inline constexpr int WAYPOINT_ICON_COUNT = 34;
inline constexpr int WAYPOINT_ICON_SIZE = 32;

// English symbol names as other navigation programs spell them, so exchanged
// waypoints keep a fitting picture there; in picture order.
inline constexpr std::array<const char*, WAYPOINT_ICON_COUNT> WAYPOINT_ICON_NAMES = {
    "Flag", "Anchor", "Residence", "Gas Station", "Bridge", "Danger Area", "Airport",
    "Restaurant", "Lodging", "Car", "Campground", "Fishing Area", "Church", "Medical Facility",
    "Parking Area", "Telephone", "Shopping Center", "Scenic Area", "Summit", "Tunnel", "Crossing",
    "Boat Ramp", "Light", "Buoy, White", "Shipwreck", "Dam", "Toll Booth", "Police Station",
    "Information", "Drinking Water", "Park", "Golf Course", "Skull and Crossbones", "Waypoint",
};

// Picture `index` (0 ... 33); any other index gives a null image.
QImage WaypointIcon(int index);

// The picture with every pixel of its bottom-left pixel's colour made
// transparent, as the waypoint presenters draw it.
QImage TransparentPicture(const QImage& picture);

// The index of a symbol name (letter case ignored), or -1.
int WaypointIconByName(const QString& name);
