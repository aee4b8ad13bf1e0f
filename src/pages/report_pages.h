#pragma once

#include <string_view>

#include "pages/panel_ops.h"
#include "pages/panel_state.h"
#include "store/motion_store.h"

// The two text pages of the display panel and the dispatch of a click on it. The report page
// summarises the loaded motion and states the system's limits; the about page is shown once at
// start. Both slide their titles down and the report lines right, pausing between steps.

namespace zev {

inline constexpr PanelColor PAGE_TITLE_COLOR{120, 120, 120};
inline constexpr PanelColor REPORT_LINE_COLOR{96, 96, 210};
inline constexpr PanelColor SYSTEM_LINE_COLOR{200, 200, 64};
inline constexpr PanelColor ABOUT_LINE_COLOR{120, 120, 0};
inline constexpr int REPORT_FONT_POINTS = 13;
inline constexpr int ABOUT_FONT_POINTS = 12;
inline constexpr int REPORT_TAB_STOP = 40;
inline constexpr int ABOUT_TAB_STOP = 55;

// Sets the panel to report mode and describes the report page of the motion in store for the file
// shown under that title, with the gravitation of the G coefficient spin position gCoefficient.
PanelOps showReportPage(PanelState& panel, const MotionStore& store, std::string_view fileTitle,
                        int gCoefficient);

// The about page; the panel mode stays as it is.
PanelOps showAboutPage();

// What a click on the panel draws: the report page in report mode, the next graph page in graph
// mode, nothing (an empty list) otherwise.
PanelOps onPanelClick(PanelState& panel, const MotionStore& store, std::string_view fileTitle,
                      int gCoefficient, bool stillMode);

}  // namespace zev
