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
           Case{selectFontOp(13), R"({"op":"font","points":13})"},
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

TEST(PageJson, StateAtStartNamesEverySpinWithItsRange) {
  const DialogState state;
  EXPECT_EQ(dialogStateJson(state, {"N/A .pz2", "zev-signals.csv", "zev-page.png"}, 1024),
            R"({"status":"","detail":"","stillMode":true,"limitOn":true,)"
            R"("buttons":{"save":false,"analyze":false,"graph":false},"spins":[)"
            R"({"label":"G coefficient","value":10,"min":1,"max":20,"enabled":true},)"
            R"({"label":"Delay time","value":5,"min":0,"max":10,"enabled":false},)"
            R"({"label":"Inertia rate","value":10,"min":0,"max":40,"enabled":false},)"
            R"({"label":"Accel rate","value":10,"min":0,"max":40,"enabled":false},)"
            R"({"label":"G Fusion","value":35,"min":0,"max":99,"enabled":false}],)"
            R"("title":"N/A ","poseName":"N/A .pz2","signalsName":"zev-signals.csv",)"
            R"("pageName":"zev-page.png","maxFileBytes":1024})");
}

}  // namespace
}  // namespace zev
