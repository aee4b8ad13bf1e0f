#include "web/page_json.h"

#include <array>
#include <cstdio>

#include "dialog/dialog_template.h"
#include "dialog/start_up.h"

namespace zev {

namespace {

// Writes one JSON object into out: the opening brace now, each member with its comma, the closing
// brace when it goes out of scope.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  ~JsonObject() { out_ += '}'; }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  // Writes the member's name; its value follows at the end of the returned text.
  std::string& key(std::string_view name) {
    if (!first_) out_ += ',';
    first_ = false;
    appendJsonString(out_, name);
    out_ += ':';
    return out_;
  }
  JsonObject& number(std::string_view name, long long value) {
    key(name) += std::to_string(value);
    return *this;
  }
  JsonObject& boolean(std::string_view name, bool value) {
    key(name) += value ? "true" : "false";
    return *this;
  }
  JsonObject& text(std::string_view name, std::string_view value) {
    appendJsonString(key(name), value);
    return *this;
  }
  template <typename Color>
  JsonObject& color(std::string_view name, Color value) {
    key(name) += '[' + std::to_string(value.red) + ',' + std::to_string(value.green) + ',' +
                 std::to_string(value.blue) + ']';
    return *this;
  }

 private:
  std::string& out_;
  bool first_ = true;
};

void appendOp(std::string& out, const PanelOp& op) {
  JsonObject object(out);
  switch (op.kind) {
    case PanelOpKind::FillBlack:
      object.text("op", "fill");
      break;
    case PanelOpKind::SelectPen:
      object.text("op", "pen").color("color", op.color);
      break;
    case PanelOpKind::DrawLine:
      object.text("op", "line")
          .number("x", op.x)
          .number("y", op.y)
          .number("x2", op.x2)
          .number("y2", op.y2);
      break;
    case PanelOpKind::SelectFont:
      object.text("op", "font").number("points", op.pointSize);
      object.number("pixels", fontPixelSize(op.pointSize, PANEL_DOTS_PER_INCH));
      break;
    case PanelOpKind::SetTextColors:
      object.text("op", "textColors").color("color", op.color).color("background", op.background);
      break;
    case PanelOpKind::DrawText:
      object.text("op", "text").number("x", op.x).number("y", op.y).number("tabStop", op.tabStop);
      object.text("text", op.text);
      break;
    case PanelOpKind::Pause:
      object.text("op", "pause").number("ms", op.milliseconds);
      break;
    case PanelOpKind::CopyPicture:
      // The page holds its pictures by name; a name it does not know draws nothing.
      object.text("op", "picture").text("name", op.pictureId == ABOUT_PICTURE ? "about" : "");
      object.number("x", op.x).number("y", op.y);
      break;
  }
}

std::string_view kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
      return "pushButton";
    case ControlKind::RadioButton:
      return "radioButton";
    case ControlKind::CheckBox:
      return "checkBox";
    case ControlKind::Label:
      return "label";
    case ControlKind::NumberField:
      return "numberField";
    case ControlKind::Spin:
      return "spin";
    case ControlKind::StatusField:
      return "statusField";
    case ControlKind::DisplayPanel:
      return "displayPanel";
    case ControlKind::GroupFrame:
      return "groupFrame";
  }
  return "";
}

// A page cannot close the browser's tab it is shown in.
bool onPage(const ControlTemplate& row) { return row.id != ControlId::ExitButton; }

// Writes "[" then the object that write fills for each control on the page, then "]".
template <typename Write>
void appendControls(std::string& out, Write write) {
  out += '[';
  bool first = true;
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (!onPage(row)) continue;
    if (!first) out += ',';
    first = false;
    JsonObject object(out);
    write(row, object);
  }
  out += ']';
}

}  // namespace

void appendJsonString(std::string& out, std::string_view value) {
  out += '"';
  for (const char c : value) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      std::array<char, 8> escaped{};
      std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned char>(c));
      out += escaped.data();
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string_view shellActionName(ShellAction action) {
  switch (action) {
    case ShellAction::None:
      break;
    case ShellAction::ChooseFileToOpen:
      return "chooseFileToOpen";
    case ShellAction::ChooseFileToSave:
      return "chooseFileToSave";
    case ShellAction::CloseDialog:
      return "closeDialog";
    case ShellAction::Beep:
      return "beep";
  }
  return "none";
}

std::string panelOpsJson(const PanelOps& ops) {
  std::string out = "[";
  for (const PanelOp& op : ops) {
    if (out.size() > 1) out += ',';
    appendOp(out, op);
  }
  return out + ']';
}

std::string dialogDescriptionJson() {
  std::string out;
  {
    JsonObject object(out);
    object.text("caption", MAIN_DIALOG_CAPTION);
    object.number("width", MAIN_DIALOG_UNITS.width).number("height", MAIN_DIALOG_UNITS.height);
    {
      JsonObject cell(object.key("cell"));
      cell.number("width", DIALOG_FONT_CELL_WIDTH).number("height", DIALOG_FONT_CELL_HEIGHT);
    }
    {
      JsonObject unitsPerCell(object.key("unitsPerCell"));
      unitsPerCell.number("x", UNITS_PER_CELL_X).number("y", UNITS_PER_CELL_Y);
    }
    {
      JsonObject font(object.key("font"));
      font.text("face", MAIN_DIALOG_FONT);
      font.number("pixels", fontPixelSize(MAIN_DIALOG_FONT_POINTS, PANEL_DOTS_PER_INCH));
    }
    {
      JsonObject colors(object.key("colors"));
      colors.color("background", DIALOG_BACKGROUND).color("text", DIALOG_TEXT);
      colors.color("disabledText", DIALOG_DISABLED_TEXT);
    }
    {
      JsonObject panel(object.key("panel"));
      panel.number("width", PANEL_WIDTH).number("height", PANEL_HEIGHT);
      panel.number("tabOriginX", TAB_ORIGIN_X).text("fontFace", PANEL_FONT_FACE);
    }
    {
      JsonObject openDialog(object.key("openDialog"));
      openDialog.text("pattern", OPEN_DIALOG_TEXTS.pattern);
    }
    appendControls(object.key("controls"), [](const ControlTemplate& row, JsonObject& control) {
      control.number("id", static_cast<int>(row.id)).text("kind", kindName(row.kind));
      control.text("name", row.name).text("text", row.text);
      control.number("x", row.units.x).number("y", row.units.y);
      control.number("width", row.units.width).number("height", row.units.height);
      control.boolean("neverEnabled", row.neverEnabled);
      if (row.kind == ControlKind::NumberField) {
        const ParameterRange& range = PARAMETER_TABLE[static_cast<int>(*spinOf(row.id))].range;
        control.number("min", range.minimum).number("max", range.maximum);
      }
    });
  }
  return out;
}

std::string dialogStateJson(const DialogState& state, const PageFacts& page) {
  std::string out;
  {
    JsonObject object(out);
    object.text("status", state.status()).text("detail", page.detail);
    {
      JsonObject controls(object.key("controls"));
      for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
        if (row.id == ControlId::None || !onPage(row)) continue;
        JsonObject control(controls.key(row.name));
        control.boolean("enabled", state.enabled(row.id));
        if (row.kind == ControlKind::RadioButton || row.kind == ControlKind::CheckBox) {
          control.boolean("checked", state.checked(row.id));
        }
        if (row.kind == ControlKind::NumberField) {
          control.number("value", state.position(*spinOf(row.id)));
        }
      }
    }
    object.text("title", state.bvhFileTitle()).text("fileName", page.fileName);
    object.text("shownPage", page.shownPage).boolean("emptyState", page.emptyState);
    object.text("poseName", page.names.pose);
    object.text("signalsName", page.names.signals).text("pageName", page.names.page);
    object.number("maxFileBytes", static_cast<long long>(page.maxFileBytes));
  }
  return out;
}

}  // namespace zev
