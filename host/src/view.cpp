// The view: what a front end shows of a session, built fresh on each call.
#include "formhost/view.h"

#include <algorithm>
#include <cstdlib>

#include "formhost/functions.h"
#include "formhost/object.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "session/state.h"

namespace fh {
namespace {

std::string utf8(const std::string& gbk) { return gbk_to_utf8_lossy(gbk); }

const char* kind_name(Kind k) {
  switch (k) {
    case Kind::kWindow:
      return "window";
    case Kind::kDataWindow:
      return "datawindow";
    case Kind::kCommandButton:
      return "commandbutton";
    case Kind::kCheckBox:
      return "checkbox";
    case Kind::kStaticText:
      return "statictext";
    case Kind::kSingleLineEdit:
      return "singlelineedit";
    case Kind::kUserObject:
      return "userobject";
    case Kind::kTab:
      return "tab";
    case Kind::kUserPage:
      return "userpage";
    case Kind::kLine:
      return "line";
    case Kind::kMenu:
      return "menu";
    default:
      return "object";
  }
}

const char* status_name(RowStatus s) {
  switch (s) {
    case RowStatus::kNew:
      return "new";
    case RowStatus::kNewModified:
      return "newmodified";
    case RowStatus::kDataModified:
      return "datamodified";
    default:
      return "notmodified";
  }
}

// Instance variables holding plain values, as text.
nlohmann::json plain_properties(const Object& o) {
  nlohmann::json properties = nlohmann::json::object();
  for (const auto& [name, value] : o.properties()) {
    if (value.type() == Type::kObject || value.type() == Type::kAny) continue;
    properties[utf8(name)] =
        value.is_null() ? nlohmann::json(nullptr) : nlohmann::json(utf8(String(value).as_string()));
  }
  return properties;
}

// The nonvisual objects a control holds (its services), with their values.
nlohmann::json services_view(const Object& c) {
  nlohmann::json services = nlohmann::json::object();
  for (const auto& [name, value] : c.properties()) {
    if (value.type() != Type::kObject || !is_valid(value)) continue;
    const Object& o = *value.as_object();
    if (o.cls().kind() != Kind::kNonVisual) continue;
    services[utf8(name)] = {{"class", utf8(o.cls().name())}, {"properties", plain_properties(o)}};
  }
  return services;
}

// The menu's items in order, each with its depth (1: on the menu bar).
void menu_items(const Object& menu, int depth, nlohmann::json& items) {
  for (const ObjectRef& item : menu.controls()) {
    items.push_back({{"name", utf8(item->name())},
                     {"text", utf8(string_of(*item, "text"))},
                     {"level", depth},
                     {"visible", flag(*item, "visible", true)},
                     {"enabled", flag(*item, "enabled", true)}});
    menu_items(*item, depth + 1, items);
  }
}

nlohmann::json menu_view(const Object& window) {
  nlohmann::json items = nlohmann::json::array();
  if (Object* menu = menu_of(window)) menu_items(*menu, 1, items);
  return items;
}

// What a drop-down column offers, each choice as the data value and the text
// shown: a code table ("display\tdata/..."), or the rows of a drop-down
// data window the scripts have set up.
nlohmann::json column_options(const DataWindow& dw, const DwColumn& c) {
  nlohmann::json options = nlohmann::json::array();
  for (std::size_t pos = 0; pos < c.values.size();) {
    const auto tab = c.values.find('\t', pos);
    if (tab == std::string::npos) break;
    auto slash = c.values.find('/', tab);
    if (slash == std::string::npos) slash = c.values.size();
    options.push_back({{"value", utf8(c.values.substr(tab + 1, slash - tab - 1))},
                       {"label", utf8(c.values.substr(pos, tab - pos))}});
    pos = slash + 1;
  }
  const DataWindow* child = c.dddw_name.empty() ? nullptr : dw.existing_child(c.name);
  if (child != nullptr && child->has_object() && child->has_column(c.dddw_data_column) &&
      child->has_column(c.dddw_display_column)) {
    for (long r = 1; r <= child->row_count() && r <= 500; ++r) {
      const Value data = child->item(r, c.dddw_data_column);
      const Value shown = child->item(r, c.dddw_display_column);
      options.push_back({{"value", data.is_null() ? "" : utf8(String(data).as_string())},
                         {"label", shown.is_null() ? "" : utf8(String(shown).as_string())}});
    }
  }
  return options;
}

nlohmann::json datawindow_view(const DataWindow& dw) {
  nlohmann::json j;
  j["dataobject"] = utf8(dw.dataobject());
  if (!dw.has_object()) {
    j["processing"] = 0;
    j["columns"] = nlohmann::json::array();
    j["rows"] = nlohmann::json::array();
    j["currentrow"] = 0;
    j["currentcolumn"] = "";
    j["hsplitscroll"] = 0;
    j["rowcolors"] = nlohmann::json::array();
    j["color"] = "";
    j["headercolor"] = "";
    return j;
  }
  const DataWindowObject& obj = dw.object();
  j["processing"] = obj.processing();
  // The colours as the object holds them (a number, or an expression).
  j["color"] = utf8(obj.describe("DataWindow.Color"));
  j["headercolor"] = utf8(obj.describe("DataWindow.Header.Color"));
  const std::string split = obj.describe("DataWindow.HorizontalScrollSplit");
  j["hsplitscroll"] = std::atol(split.c_str());
  auto columns = nlohmann::json::array();
  for (const DwColumn& c : obj.columns()) {
    const DwControl* shown = obj.control(c.name);
    const DwControl* header = obj.control(c.name + "_t");
    // A header text named otherwise stands above its column: the same x.
    const std::string* x = shown ? find_property(shown->properties, "x") : nullptr;
    for (const DwControl& t : obj.controls()) {
      if (header != nullptr || x == nullptr) break;
      const std::string* tx = find_property(t.properties, "x");
      if (t.kind == "text" && t.band == "header" && tx != nullptr && *tx == *x) header = &t;
    }
    const std::string* width = shown ? find_property(shown->properties, "width") : nullptr;
    const std::string* visible = shown ? find_property(shown->properties, "visible") : nullptr;
    const std::string* caption = header ? find_property(header->properties, "text") : nullptr;
    columns.push_back({{"name", utf8(c.name)},
                       {"header", caption ? utf8(*caption) : ""},
                       {"width", width ? std::atol(width->c_str()) : 0},
                       {"visible", shown != nullptr && (visible == nullptr || *visible != "0")}});
    // Where a form lays the column and its label out (the object's units).
    const auto at = [](const DwControl* d, const char* p) {
      const std::string* v = d ? find_property(d->properties, p) : nullptr;
      return v ? std::atol(v->c_str()) : 0L;
    };
    if (nlohmann::json options = column_options(dw, c); !options.empty()) {
      columns.back()["options"] = std::move(options);
    }
    columns.back().update({{"x", at(shown, "x")},
                           {"y", at(shown, "y")},
                           {"height", at(shown, "height")},
                           {"header_x", at(header, "x")},
                           {"header_y", at(header, "y")},
                           {"header_width", at(header, "width")}});
  }
  j["columns"] = std::move(columns);
  auto rows = nlohmann::json::array();
  for (long r = 1; r <= dw.row_count(); ++r) {
    nlohmann::json values = nlohmann::json::object();
    for (std::size_t c = 0; c < obj.columns().size(); ++c) {
      values[utf8(obj.columns()[c].name)] = utf8(dw.item_text(r, static_cast<int>(c) + 1));
    }
    nlohmann::json row = {{"status", status_name(dw.row_status(r))}, {"values", std::move(values)}};
    if (dw.is_selected(r)) row["selected"] = true;
    // Stored values that could not be read show empty and are marked.
    for (std::size_t c = 0; c < obj.columns().size(); ++c) {
      if (dw.is_unreadable(r, static_cast<int>(c) + 1))
        row["unreadable"].push_back(utf8(obj.columns()[c].name));
    }
    rows.push_back(std::move(row));
  }
  j["rows"] = std::move(rows);
  // A list that failed to read is not an empty one.
  j["retrieveerror"] = utf8(dw.retrieve_error());
  j["currentrow"] = dw.get_row();
  j["currentcolumn"] = utf8(dw.get_column_name());
  // Row colours: the detail band's colour expression, evaluated per row.
  auto colors = nlohmann::json::array();
  const DwBand* detail = obj.band("detail");
  const std::string* color = detail ? find_property(detail->properties, "color") : nullptr;
  if (color != nullptr) {
    if (const auto expr = property_expression(*color)) {
      try {
        for (const Value& v : DwExpression::parse(*expr).evaluate_all(dw)) {
          colors.push_back(v.is_null() || !v.is_number() ? 0 : Long(v).as_long());
        }
      } catch (const std::exception&) {
        colors = nlohmann::json::array();  // a broken expression colours nothing
      }
    }
  }
  j["rowcolors"] = std::move(colors);
  return j;
}

}  // namespace

nlohmann::json view(const Session& session) {
  nlohmann::json windows = nlohmann::json::array();
  Object* focus = session.focus();
  for (const ObjectRef& w : session.windows()) {
    nlohmann::json controls = nlohmann::json::array();
    each_control(*w, [&](Object& c) {
      nlohmann::json j = {{"name", utf8(c.name())},
                          {"kind", kind_name(c.cls().kind())},
                          {"class", utf8(c.cls().name())},
                          {"text", utf8(string_of(c, "text"))},
                          {"visible", flag(c, "visible", true)},
                          {"enabled", flag(c, "enabled", true)},
                          {"checked", flag(c, "checked", false)},
                          {"x", number(c, "x")},
                          {"y", number(c, "y")},
                          {"width", number(c, "width")},
                          {"height", number(c, "height")}};
      // Controls listed depth first; a nested one names the control it sits in.
      j["parent"] = c.parent() != nullptr && c.parent() != w.get() ? utf8(c.parent()->name()) : "";
      if (c.cls().kind() == Kind::kTab) j["selectedtab"] = number(c, "selectedtab");
      if (const DataWindow* dw = c.datawindow()) j.update(datawindow_view(*dw));
      j["properties"] = plain_properties(c);
      if (nlohmann::json services = services_view(c); !services.empty()) {
        j["services"] = std::move(services);
      }
      controls.push_back(std::move(j));
    });
    windows.push_back(
        {{"class", utf8(w->cls().name())},
         {"title", utf8(string_of(*w, "title"))},
         {"x", number(*w, "x")},
         {"y", number(*w, "y")},
         {"width", number(*w, "width")},
         {"height", number(*w, "height")},
         {"modal", session.is_modal(*w)},
         {"focus", focus != nullptr && focus->window() == w.get() ? utf8(focus->name()) : ""},
         {"properties", plain_properties(*w)},
         {"menu", menu_view(*w)},
         {"controls", std::move(controls)}});
  }
  nlohmann::json box = nullptr;
  if (const auto& pending = session.pending_message_box()) {
    box = {{"title", utf8(pending->title)},
           {"text", utf8(pending->text)},
           {"icon", icon_name(pending->icon) ? icon_name(pending->icon) : "none"},
           {"buttons", button_labels(pending->buttons)},
           {"default", pending->default_button}};
  }
  // A database open for viewing only takes no edits: the front end says so.
  return {{"windows", std::move(windows)},
          {"messagebox", std::move(box)},
          {"readonly", session.sqlca().read_only()}};
}

}  // namespace fh
