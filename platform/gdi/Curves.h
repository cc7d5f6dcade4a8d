// Curves as the raster device draws them: elliptic arcs and cubic Bezier curves become
// poly-lines, so arcs, the curve calls and the metafile player all bend the same way.
#pragma once

#include "platform/kernel/Types.h"

#include <vector>

// The arc of the ellipse inscribed in `box` from the angle of the radial through p1 to that
// of p2, counter-clockwise on the screen (a full ellipse when both radials meet), as points
// from its start to its end. Empty for a box with no area.
std::vector<POINT> ArcPoints(const RECT& box, POINT p1, POINT p2);
// The circle arc about (cx, cy) of radius r from `startDeg`, sweeping `sweepDeg` degrees
// (positive counter-clockwise on the screen), as points from its start to its end.
std::vector<POINT> AngleArcPoints(double cx, double cy, double r, double startDeg, double sweepDeg);
// A Bezier curve's control points (a start, then three per segment) as a poly-line.
std::vector<POINT> FlattenedBezier(const POINT* pts, size_t count);
