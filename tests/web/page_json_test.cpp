#include "web/page_json.h"

#include <gtest/gtest.h>

#include <string>

#include "dialog/dialog_state.h"
#include "pages/panel_ops.h"

namespace zev {
namespace {

std::string jsonString(std::string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}

// What the page's JSON.parse must read back as the same text: quotes, backslashes, the tab of a
// report line, control bytes out of a damaged file, and UTF-8 as it is.
TEST(PageJson, StringsEscapeWhatJsonReserves) {
  struct Case {
    std::string text;
    std::string json;
  };
  for (const Case& c :
       {Case{"COMPLETE...", R"("COMPLETE...")"}, Case{R"(a "b" c\d)", R"("a \"b\" c\\d")"},
        Case{" FRAME RATE:     \t30 fps*", R"(" FRAME RATE:     \u000930 fps*")"},
        Case{std::string("x\0\n\x1f", 4), R"("x\u0000\u000a\u001f")"},
        Case{"9.8 m/s\u00B2", "\"9.8 m/s\u00B2\""}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(jsonString(c.text), c.json);
  }
}

TEST(PageJson, EachDrawingOperationHasItsObject) {
  struct Case {
    PanelOp op;
    std::string json;
  };
  for (const Case& c : {
           Case{fillBlackOp(), R"({"op":"fill"})"},
           Case{selectPenOp({155, 155, 155}), R"({"op":"pen","color":[155,155,155]})"},
           Case{drawLineOp(50, 250, 50, -30), R"({"op":"line","x":50,"y":250,"x2":50,"y2":-30})"},
           Case{selectFontOp(13), R"({"op":"font","points":13,"pixels":17})"},
           Case{setTextColorsOp({96, 96, 210}, PANEL_BLACK),
                R"({"op":"textColors","color":[96,96,210],"background":[0,0,0]})"},
           Case{drawTextOp(19, 40, "A\tB", 40),
                R"({"op":"text","x":19,"y":40,"tabStop":40,"text":"A\u0009B"})"},
           Case{pauseOp(7), R"({"op":"pause","ms":7})"},
           Case{copyPictureOp(ABOUT_PICTURE, 260, 20),
                R"({"op":"picture","name":"about","x":260,"y":20})"},
           Case{copyPictureOp(1, 0, 0), R"({"op":"picture","name":"","x":0,"y":0})"},
       }) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(panelOpsJson({c.op}), "[" + c.json + "]");
  }
  EXPECT_EQ(panelOpsJson({}), "[]");
  EXPECT_EQ(panelOpsJson({fillBlackOp(), pauseOp(5)}), R"([{"op":"fill"},{"op":"pause","ms":5}])");
}

bool holds(const std::string& json, std::string_view part) {
  return json.find(part) != std::string::npos;
}

// The page builds its controls in the template's order, each where the template puts it, and
// takes the dialog's measures, colours and panel from the same text.
TEST(PageJson, DescriptionHasEveryControlThePageShowsInTheTemplatesOrder) {
  const std::string json = dialogDescriptionJson();
  std::size_t last = 0;
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (row.id == ControlId::None) continue;
    const std::size_t at = json.find("\"id\":" + std::to_string(static_cast<int>(row.id)) + ",");
    SCOPED_TRACE(row.name);
    if (row.id == ControlId::ExitButton) {
      EXPECT_EQ(at, std::string::npos) << "a page cannot close its tab";
      continue;
    }
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(at, last);
    last = at;
  }
  for (const std::string_view part : {
           R"({"caption":"Z.E.V ","width":381,"height":200,"cell":{"width":6,"height":14},)"
           R"("unitsPerCell":{"x":4,"y":8},"font":{"face":"Arial","pixels":11},)",
           R"("colors":{"background":[192,192,192],"text":[0,0,80],"disabledText":[128,128,128]})",
           R"("panel":{"width":346,"height":311,"tabOriginX":1,"fontFace":"Arial"},)"
           R"("openDialog":{"pattern":"*.bvh"})",
           R"({"id":1004,"kind":"pushButton","name":"open","text":"&Open","x":12,"y":9,)"
           R"("width":37,"height":13,"neverEnabled":false})",
           R"({"id":-1,"kind":"label","name":"","text":"Delay time",)",
           R"("name":"delay","text":"","x":110,"y":74,"width":30,"height":14,)"
           R"("neverEnabled":false,"min":0,"max":10})",
           R"("kind":"checkBox","name":"limit","text":"Limit ON","x":77,"y":149,"width":42,)"
           R"("height":9,"neverEnabled":true})",
       }) {
    EXPECT_TRUE(holds(json, part)) << part;
  }
}

TEST(PageJson, StateShowsEachControlByName) {
  DialogState state;
  const auto stateJson = [&state] {
    return dialogStateJson(state, {.detail = "why",
                                   .fileName = "",
                                   .shownPage = "about",
                                   .emptyState = true,
                                   .names = {"N/A .pz2", "zev-signals.csv", "zev-about.png"},
                                   .maxFileBytes = 1024});
  };
  const std::string atStart = stateJson();
  for (const std::string_view part : {
           R"({"status":"","detail":"why","controls":{"open":{"enabled":true},)",
           R"("save":{"enabled":false},"analyze":{"enabled":false},"graph":{"enabled":false},)",
           R"("still":{"enabled":true,"checked":true},"movie":{"enabled":true,"checked":false},)",
           R"("g":{"enabled":true,"value":10},"g-spin":{"enabled":true},)",
           R"("delay":{"enabled":false,"value":5},"delay-spin":{"enabled":false},)",
           R"("limit":{"enabled":false,"checked":true},"loop":{"enabled":false,"checked":false},)",
           R"("status":{"enabled":true},)",
           R"("panel":{"enabled":true}},"title":"N/A ","fileName":"","shownPage":"about",)",
           R"("emptyState":true,)",
           R"("poseName":"N/A .pz2","signalsName":"zev-signals.csv","pageName":"zev-about.png",)",
           R"("maxFileBytes":1024})",
       }) {
    EXPECT_TRUE(holds(atStart, part)) << part;
  }
  EXPECT_FALSE(holds(atStart, "\"exit\""));

  state.press(ControlId::MovieModeRadio);
  state.stepSpin(Spin::DelayTime, false);
  const std::string inMovieMode = stateJson();
  EXPECT_TRUE(holds(inMovieMode, R"("still":{"enabled":true,"checked":false})"));
  EXPECT_TRUE(holds(inMovieMode, R"("delay":{"enabled":true,"value":4})"));
  state.press(ControlId::LoopCheck);
  EXPECT_TRUE(holds(stateJson(), R"("loop":{"enabled":true,"checked":true})"));
}

}  // namespace
}  // namespace zev
