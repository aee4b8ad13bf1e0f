#include "dialog/dialog_template.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "pages/panel_ops.h"

// What every shell relies on when it plays the description: a control found by its id or name,
// each spin right after its field, each field right after the label that names it, everything
// inside the dialog, and a panel that holds the pages.

namespace zev {
namespace {

TEST(DialogTemplate, EveryAddressedControlHasItsOwnIdAndName) {
  std::set<ControlId> ids;
  std::set<std::string_view> names;
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (row.id == ControlId::None) continue;
    SCOPED_TRACE(static_cast<int>(row.id));
    EXPECT_TRUE(ids.insert(row.id).second);
    EXPECT_FALSE(row.name.empty());
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_EQ(controlOf(row.id), &row);
  }
  EXPECT_EQ(controlOf(ControlId::None), nullptr);
  EXPECT_EQ(controlOf(static_cast<ControlId>(1)), nullptr);
}

TEST(DialogTemplate, EachSpinFollowsItsFieldAndEachFieldTheLabelThatNamesIt) {
  int spins = 0;
  for (std::size_t i = 0; i < MAIN_DIALOG_CONTROLS.size(); ++i) {
    const ControlTemplate& row = MAIN_DIALOG_CONTROLS[i];
    if (row.kind != ControlKind::Spin) continue;
    ++spins;
    SCOPED_TRACE(row.name);
    ASSERT_GE(i, 2u);
    const ControlTemplate& field = MAIN_DIALOG_CONTROLS[i - 1];
    const ControlTemplate& label = MAIN_DIALOG_CONTROLS[i - 2];
    ASSERT_EQ(field.kind, ControlKind::NumberField);
    ASSERT_TRUE(spinOf(row.id).has_value());
    EXPECT_EQ(spinOf(field.id), spinOf(row.id));
    const int spin = static_cast<int>(*spinOf(row.id));
    EXPECT_EQ(SPIN_CONTROLS[spin].field, field.id);
    EXPECT_EQ(label.kind, ControlKind::Label);
    EXPECT_EQ(label.text, PARAMETER_TABLE[spin].label);
    // The arrows stand on the field's right side, as tall as the field.
    EXPECT_LT(row.units.width, field.units.width);
    EXPECT_EQ(row.units.y, field.units.y);
    EXPECT_EQ(row.units.height, field.units.height);
  }
  EXPECT_EQ(spins, SPIN_COUNT);
  EXPECT_EQ(spinOf(ControlId::OpenButton), std::nullopt);
}

TEST(DialogTemplate, EveryControlLiesInsideTheDialog) {
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    SCOPED_TRACE(std::string(row.text) + " " + std::string(row.name));
    EXPECT_GE(row.units.x, 0);
    EXPECT_GE(row.units.y, 0);
    EXPECT_LE(row.units.x + row.units.width, MAIN_DIALOG_UNITS.width);
    EXPECT_LE(row.units.y + row.units.height, MAIN_DIALOG_UNITS.height);
  }
}

// Where a shell sizes the dialog by the font's cell itself, the panel's units are the pages' size.
TEST(DialogTemplate, ThePanelsUnitsHoldThePagesAtTheDialogFontsCell) {
  const DialogUnits panel = unitsOf(ControlId::DisplayPanel);
  EXPECT_EQ(panel.width * DIALOG_FONT_CELL_WIDTH / UNITS_PER_CELL_X, PANEL_WIDTH);
  EXPECT_EQ(panel.height * DIALOG_FONT_CELL_HEIGHT / UNITS_PER_CELL_Y, PANEL_HEIGHT);
}

}  // namespace
}  // namespace zev
