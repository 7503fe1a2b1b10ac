// Where the main window's parts go for a given window size: the video area on
// one side, the side panels on the other, the toolbars above them, the button
// row under the picture and the status bar's four panels.
#pragma once

#include <QRect>

struct MainLayoutInput {
  int width = 0;  // the main window's width and height
  int height = 0;
  bool ecranGauche = true;  // video area on the left
  int actionsToolbarWidth = 0;
  int panelsToolbarWidth = 0;
  int toolbarHeight = 0;
  int buttonRowWidth = 0;
  int buttonRowHeight = 0;
  int statusBarHeight = 0;
};

struct MainLayout {
  QRect videoArea;
  QRect videoDisplay;  // inside the video area
  QRect sidePanels;
  QRect actionsToolbar;
  QRect panelsToolbar;
  QRect buttonRow;
  int statusPanelWidth = 0;
};

inline constexpr int kVideoAreaWidthMargin = 303;   // window width minus video area width
inline constexpr int kVideoAreaHeightMargin = 202;  // window height minus video area height
inline constexpr int kSidePanelWidth = 266;
inline constexpr int kVideoAreaInset = 8;
inline constexpr int kVideoDisplayMargin = 16;  // the display is the area less 32 pixels each way
inline constexpr int kButtonRowGap = 24;
inline constexpr int kMinimumWindowWidth = 800;
inline constexpr int kMinimumWindowHeight = 600;
inline constexpr int kOverlaySliderThickness = 18;  // the overlay's sliders along the picture

MainLayout ComputeMainLayout(const MainLayoutInput& input);
