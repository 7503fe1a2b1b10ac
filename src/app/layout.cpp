#include "app/layout.h"

#include <algorithm>

MainLayout ComputeMainLayout(const MainLayoutInput& in) {
  MainLayout out;
  const int top = in.toolbarHeight + kVideoAreaInset;
  const int videoWidth = std::max(0, in.width - kVideoAreaWidthMargin);
  const int videoHeight = std::max(0, in.height - kVideoAreaHeightMargin);

  // The side panels start where the video area ends, which is 8 pixels past
  // its width when the video is on the left.
  const int videoOffset = in.ecranGauche ? 0 : kSidePanelWidth;
  const int sideLeft = in.ecranGauche ? videoWidth + kVideoAreaInset : 0;
  out.videoArea = QRect(videoOffset + kVideoAreaInset, top, videoWidth, videoHeight);
  out.videoDisplay =
      out.videoArea.adjusted(kVideoDisplayMargin, kVideoDisplayMargin, -kVideoDisplayMargin, -kVideoDisplayMargin);
  const int sideBottom = in.height - in.statusBarHeight - kVideoAreaInset;
  out.sidePanels = QRect(sideLeft, top, kSidePanelWidth, std::max(0, sideBottom - top));

  // The two side by side, never one over the other: when they do not both
  // fit, each keeps at least half the width it asks for up to half the
  // window, and what does not fit goes into its extension menu.
  const int leftWanted = in.ecranGauche ? in.actionsToolbarWidth : in.panelsToolbarWidth;
  const int rightWanted = in.ecranGauche ? in.panelsToolbarWidth : in.actionsToolbarWidth;
  int leftWidth = leftWanted;
  if (leftWanted + rightWanted > in.width)
    leftWidth = std::clamp(in.width - std::min(rightWanted, in.width / 2), 0, leftWanted);
  const QRect leftToolbar(0, 0, leftWidth, in.toolbarHeight);
  const int rightWidth = std::min(rightWanted, std::max(0, in.width - leftWidth));
  const QRect rightToolbar(in.width - rightWidth, 0, rightWidth, in.toolbarHeight);
  out.actionsToolbar = in.ecranGauche ? leftToolbar : rightToolbar;
  out.panelsToolbar = in.ecranGauche ? rightToolbar : leftToolbar;

  const int rowLeft = out.videoArea.left() + (out.videoArea.width() - in.buttonRowWidth) / 2;
  const int rowTop = out.videoDisplay.top() + out.videoDisplay.height() + kButtonRowGap;
  out.buttonRow = QRect(rowLeft, rowTop, in.buttonRowWidth, in.buttonRowHeight);
  out.statusPanelWidth = (in.width - 20) / 4;
  return out;
}
