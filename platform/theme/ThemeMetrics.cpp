#include "platform/theme/ThemeMetrics.h"

#include "platform/kernel/CodePage.h"
#include "platform/theme/ThemeInternal.h"
#include "platform/theme/ThemeTesting.h"

namespace {

// clang-format off
const ThemeColors kBlue = {
  RGB(0, 60, 116),    RGB(255, 255, 255), RGB(214, 208, 197), RGB(226, 222, 214), RGB(246, 245, 242),
  RGB(248, 179, 48),  RGB(105, 130, 238), RGB(245, 244, 234), RGB(201, 199, 186), RGB(161, 161, 146),
  RGB(0, 0, 0),       RGB(77, 97, 133),   RGB(33, 161, 33),   RGB(255, 255, 255), RGB(243, 241, 236),
  RGB(208, 208, 191), RGB(0, 70, 213),    RGB(255, 255, 255), RGB(235, 234, 219), RGB(214, 210, 194),
  RGB(215, 70, 40),   RGB(255, 255, 255), RGB(127, 157, 185)};
const ThemeColors kOlive = {
  RGB(55, 98, 6),     RGB(255, 255, 255), RGB(206, 211, 186), RGB(220, 224, 203), RGB(246, 247, 240),
  RGB(232, 144, 40),  RGB(137, 164, 86),  RGB(245, 244, 234), RGB(201, 199, 186), RGB(161, 161, 146),
  RGB(0, 0, 0),       RGB(96, 119, 66),   RGB(33, 161, 33),   RGB(255, 255, 255), RGB(241, 242, 233),
  RGB(208, 208, 191), RGB(86, 125, 28),   RGB(255, 255, 255), RGB(229, 233, 214), RGB(191, 199, 166),
  RGB(215, 70, 40),   RGB(255, 255, 255), RGB(164, 185, 127)};
const ThemeColors kSilver = {
  RGB(118, 116, 146), RGB(255, 255, 255), RGB(214, 214, 226), RGB(222, 222, 232), RGB(246, 246, 250),
  RGB(255, 197, 98),  RGB(170, 170, 196), RGB(245, 244, 234), RGB(201, 199, 186), RGB(161, 161, 146),
  RGB(0, 0, 0),       RGB(86, 86, 110),   RGB(33, 161, 33),   RGB(255, 255, 255), RGB(243, 243, 247),
  RGB(208, 208, 191), RGB(60, 60, 120),   RGB(255, 255, 255), RGB(232, 232, 240), RGB(200, 200, 214),
  RGB(215, 70, 40),   RGB(255, 255, 255), RGB(165, 172, 178)};

using S = ThemeColorSource;
using R = ThemeRegionShape;
const ThemePartInfo kParts[] = {
  // class          part st  last  margins        transp  min      true     border    fill      text          region
  {"Button",         1,  1,  5, {3, 3, 3, 3},     true,  {0, 0},  {0, 0},  S::Frame, S::Face,  S::Text,      R::Rounded},
  {"Button",         2,  1,  8, {0, 0, 0, 0},     true,  {13, 13},{13, 13},S::None,  S::None,  S::Text,      R::Ellipse},
  {"Button",         3,  1, 12, {0, 0, 0, 0},     false, {13, 13},{13, 13},S::None,  S::None,  S::Text,      R::Rect},
  {"Button",         4,  1,  2, {7, 12, 7, 7},    true,  {0, 0},  {0, 0},  S::None,  S::None,  S::GroupText, R::Rect},
  {"ComboBox",       1,  1,  4, {1, 1, 1, 1},     false, {0, 0},  {0, 0},  S::Frame, S::None,  S::None,      R::Rect},
  {"Edit",           1,  1,  6, {2, 2, 2, 2},     false, {0, 0},  {0, 0},  S::Frame, S::Window,S::Text,      R::Rect},
  {"ScrollBar",      1,  1, 16, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      2,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      3,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      4,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      5,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      6,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      7,  1,  4, {0, 0, 0, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      8,  0,  0, {0, 0, 0, 0},     true,  {8, 8},  {8, 8},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",      9,  0,  0, {0, 0, 0, 0},     true,  {8, 8},  {8, 8},  S::None,  S::None,  S::None,      R::Rect},
  {"ScrollBar",     10,  1,  2, {0, 0, 0, 0},     true,  {13, 13},{13, 13},S::None,  S::None,  S::None,      R::Rect},
  {"ListView",       5,  0,  0, {1, 1, 1, 1},     false, {0, 0},  {0, 0},  S::Frame, S::Window,S::Text,      R::Rect},
  {"Header",         1,  1,  3, {3, 0, 3, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::Text,      R::Rect},
  {"Header",         3,  1,  3, {3, 0, 3, 0},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::Text,      R::Rect},
  {"TreeView",       2,  1,  2, {0, 0, 0, 0},     false, {9, 9},  {9, 9},  S::None,  S::None,  S::None,      R::Rect},
  {"ExplorerBar",    3,  1,  6, {0, 0, 0, 0},     true,  {16, 16},{16, 16},S::None,  S::None,  S::None,      R::Rect},
  {"ExplorerBar",    6,  1,  3, {0, 0, 0, 0},     true,  {20, 20},{20, 20},S::None,  S::None,  S::None,      R::Ellipse},
  {"ExplorerBar",    7,  1,  3, {0, 0, 0, 0},     true,  {20, 20},{20, 20},S::None,  S::None,  S::None,      R::Ellipse},
  {"TrackBar",       1,  1,  1, {2, 2, 2, 2},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::None,      R::Rect},
  {"Window",        19,  1,  4, {0, 0, 0, 0},     true,  {13, 13},{13, 13},S::None,  S::None,  S::None,      R::Rounded},
  {"ToolBar",        1,  1,  6, {3, 3, 3, 3},     true,  {0, 0},  {0, 0},  S::None,  S::None,  S::Text,      R::Rect},
  {"Tab",            9,  0,  0, {2, 2, 4, 4},     false, {0, 0},  {0, 0},  S::Frame, S::Window,S::None,      R::Rect},
  {"Status",         1,  0,  0, {1, 1, 1, 1},     false, {0, 0},  {0, 0},  S::None,  S::None,  S::Text,      R::Rect},
  {"Status",         3,  0,  0, {0, 0, 0, 0},     true,  {12, 12},{12, 12},S::None,  S::None,  S::None,      R::Rect},
  {"Spin",           1,  1,  4, {0, 0, 0, 0},     false, {15, 10},{15, 10},S::None,  S::None,  S::None,      R::Rect},
  {"Spin",           2,  1,  4, {0, 0, 0, 0},     false, {15, 10},{15, 10},S::None,  S::None,  S::None,      R::Rect},
  {"Spin",           3,  1,  4, {0, 0, 0, 0},     false, {10, 15},{10, 15},S::None,  S::None,  S::None,      R::Rect},
  {"Spin",           4,  1,  4, {0, 0, 0, 0},     false, {10, 15},{10, 15},S::None,  S::None,  S::None,      R::Rect},
};
// clang-format on

const char* const kClassNames[] = {
    "Button",  "Clock",    "ComboBox",   "Edit",    "ExplorerBar", "Header",     "ListView", "Menu",
    "Page",    "Progress", "Rebar",      "ScrollBar", "Spin",      "StartPanel", "Status",   "Tab",
    "TaskBand", "TaskBar", "ToolBar",    "ToolTip", "TrackBar",    "TrayNotify", "TreeView", "Window"};

}  // namespace

const ThemeColors& ThemeColorsOf(ThemeVariant variant) {
  switch (variant) {
    case ThemeVariant::Olive: return kOlive;
    case ThemeVariant::Silver: return kSilver;
    case ThemeVariant::Blue: break;
  }
  return kBlue;
}

const ThemeColors& ThemeCurrentColors() { return ThemeColorsOf(ThemeCurrentVariant()); }

const ThemePartInfo* ThemePartTable(int* count) {
  *count = int(sizeof(kParts) / sizeof(kParts[0]));
  return kParts;
}

const ThemePartInfo* ThemeFindPart(const String& className, int part) {
  for (const ThemePartInfo& p : kParts)
    if (part == p.part && ThemeSameName(className, p.className)) return &p;
  return nullptr;
}

const char* const* ThemeClassNames(int* count) {
  *count = int(sizeof(kClassNames) / sizeof(kClassNames[0]));
  return kClassNames;
}
