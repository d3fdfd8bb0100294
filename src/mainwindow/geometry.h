#pragma once

#include <algorithm>

// The main window's geometry, in twips.
namespace Geometry {

inline constexpr int kInitialHeight = 9800;
inline constexpr int kInitialWidth = 15000;
inline constexpr int kLeftPaneWidth = 2800;
inline constexpr int kLeftPaneWidthRecordView = 4000;
inline constexpr int kSplitterWidth = 90;
inline constexpr int kPaneGap = 60;
inline constexpr int kTabStripRightMargin = 280;
inline constexpr int kLeftPaneMin = 800;
inline constexpr int kLeftPaneMax = 6000;
inline constexpr int kRightPaneMin = 1000;
inline constexpr int kAddressBoxLeft = 1600;
inline constexpr int kAddressBoxTop = 120;
inline constexpr int kAddressBoxHeight = 390;
inline constexpr int kAddressBoxMargin = 2400;
inline constexpr int kListColumn0Width = 800;
inline constexpr int kStatusPanel1Width = 2000;
inline constexpr int kStatusPanel2Margin = 2200;

// Left pane width after the splitter is dropped on a left grid at x (relative to the grid).
constexpr int leftWidthAfterDropOnLeftGrid(int x)
{
    return std::clamp(x, kLeftPaneMin, kLeftPaneMax);
}

// Left pane width after the splitter is dropped on the tab strip or one of its panes at x (relative to it).
constexpr int leftWidthAfterDropOnTabStrip(int currentLeftWidth, int x, int windowWidth)
{
    return std::min(currentLeftWidth + std::clamp(x, kLeftPaneMin, kLeftPaneMax), windowWidth - kRightPaneMin);
}

} // namespace Geometry
