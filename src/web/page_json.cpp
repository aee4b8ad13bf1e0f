#include "web/page_json.h"

#include <array>
#include <cstdio>

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
  JsonObject& color(std::string_view name, PanelColor value) {
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

std::string panelOpsJson(const PanelOps& ops) {
  std::string out = "[";
  for (const PanelOp& op : ops) {
    if (out.size() > 1) out += ',';
    appendOp(out, op);
  }
  return out + ']';
}

std::string dialogStateJson(const DialogState& state, const DownloadNames& names,
                            std::size_t maxFileBytes) {
  std::string out;
  {
    JsonObject object(out);
    object.text("status", state.status()).text("detail", state.statusDetail());
    object.boolean("stillMode", state.stillMode()).boolean("limitOn", state.limitOn());
    {
      JsonObject buttons(object.key("buttons"));
      buttons.boolean("save", state.buttonEnabled(PassButton::Save));
      buttons.boolean("analyze", state.buttonEnabled(PassButton::Analyze));
      buttons.boolean("graph", state.buttonEnabled(PassButton::Graph));
    }
    object.key("spins") += '[';
    for (int i = 0; i < SPIN_COUNT; ++i) {
      const ParameterRow& row = PARAMETER_TABLE[i];
      const Spin spin = static_cast<Spin>(i);
      if (i > 0) out += ',';
      JsonObject entry(out);
      entry.text("label", row.label).number("value", state.position(spin));
      entry.number("min", row.range.minimum).number("max", row.range.maximum);
      entry.boolean("enabled", state.spinEnabled(spin));
    }
    out += ']';
    object.text("title", state.bvhFileTitle()).text("poseName", names.pose);
    object.text("signalsName", names.signals).text("pageName", names.page);
    object.number("maxFileBytes", static_cast<long long>(maxFileBytes));
  }
  return out;
}

}  // namespace zev
