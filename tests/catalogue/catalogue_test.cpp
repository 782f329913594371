// The library module as the host sees it: its 82 windows, their groups and
// exports, and each window opened and closed with the data-window objects its
// definition files assign.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "formhost/classes.h"
#include "formhost/definition.h"
#include "formhost/object.h"
#include "formhost/session.h"
#include "formhost/text.h"
#include "formhost/trace.h"

namespace {

struct RecordingSink : fh::TraceSink {
  void write(const fh::TraceRecord& r) override { records.push_back(r); }
  std::vector<fh::TraceRecord> records;
};

// The definition files straight from the source tree, so the expectations do
// not come from what the build packed.
class Definitions {
 public:
  Definitions() {
    for (const char* dir : {ZR_CATALOGUE_DIR, ZR_ANCESTORS_DIR}) {
      for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".srw") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        const std::string path = entry.path().string();
        fh::ClassDefinition d = fh::ClassDefinition::parse(fh::utf8_to_gbk(text, path), path);
        if (std::string(dir) == ZR_CATALOGUE_DIR) catalogue_.insert(d.name());
        defs_.emplace(d.name(), std::move(d));
      }
    }
  }

  const std::set<std::string>& catalogue() const { return catalogue_; }
  const fh::ClassDefinition* find(const std::string& name) const {
    auto it = defs_.find(name);
    return it == defs_.end() ? nullptr : &it->second;
  }
  // The class and its ancestors that have a file, nearest first.
  std::vector<const fh::ClassDefinition*> chain(const std::string& name) const {
    std::vector<const fh::ClassDefinition*> out;
    for (const fh::ClassDefinition* d = find(name); d != nullptr; d = find(d->ancestor())) {
      out.push_back(d);
    }
    return out;
  }
  // The object the nearest definition assigns to a control; "" when none does.
  std::string dataobject(const std::string& window, const std::string& control) const {
    for (const fh::ClassDefinition* d : chain(window)) {
      if (const fh::ControlDefinition* c = d->control(control)) {
        if (const fh::Value* v = c->property("dataobject")) return v->as_string();
      }
    }
    return "";
  }
  // True when the file itself assigns no object to any control.
  bool assigns_none(const std::string& window) const {
    const fh::ClassDefinition* d = find(window);
    return std::none_of(d->controls().begin(), d->controls().end(),
                        [](const auto& c) { return c.property("dataobject") != nullptr; });
  }

 private:
  std::map<std::string, fh::ClassDefinition> defs_;
  std::set<std::string> catalogue_;
};

const Definitions& definitions() {
  static const Definitions d;
  return d;
}

class CatalogueTest : public ::testing::Test {
 protected:
  CatalogueTest() {
    registry.add_module(ZR_LIBRARY_MODULE);
    registry.add_module(ZR_FRAME_MODULE);
  }

  std::unique_ptr<fh::Session> make_session() {
    fh::SessionOptions o;
    o.trace = true;
    o.trace_sink = sink;
    return std::make_unique<fh::Session>(registry, std::move(o));
  }

  const std::vector<std::string>& windows() const { return registry.modules()[0]->window_names(); }

  // Each data-window control of an open window with the object it shows.
  static std::map<std::string, std::string> shown_objects(const fh::Object& w) {
    std::map<std::string, std::string> out;
    for (const fh::ObjectRef& c : w.controls()) {
      if (const fh::DataWindow* dw = c->datawindow()) out[c->name()] = dw->dataobject();
    }
    return out;
  }

  fh::ClassRegistry registry;
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
};

TEST_F(CatalogueTest, ListsTheEightyTwoWindowsInGroupOrder) {
  ASSERT_EQ(windows().size(), 82u);
  EXPECT_EQ(std::set<std::string>(windows().begin(), windows().end()), definitions().catalogue());

  std::vector<std::pair<std::int32_t, std::string>> by_group;
  for (const std::string& name : windows()) {
    const fh::ClassDef& cls = registry.load(name);
    ASSERT_NE(cls.group(), nullptr) << name;
    EXPECT_EQ(&cls.group()->module(), registry.modules()[0].get()) << name;
    // The ancestor the host linked is the one the definition names.
    ASSERT_NE(cls.definition(), nullptr) << name;
    ASSERT_NE(cls.ancestor(), nullptr) << name;
    EXPECT_EQ(cls.ancestor()->name(), cls.definition()->ancestor()) << name;
    // The definition's comment gives the group number (and maybe class numbers after it).
    const std::string group = "group " + std::to_string(cls.group()->group_number());
    const std::string& comment = cls.definition()->comments();
    EXPECT_TRUE(comment == group || comment.starts_with(group + " classes ")) << name;
    by_group.emplace_back(cls.group()->group_number(), name);
  }
  std::sort(by_group.begin(), by_group.end());
  std::vector<std::int32_t> groups;
  for (const auto& [g, name] : by_group) groups.push_back(g);
  std::vector<std::int32_t> expected;
  for (std::int32_t g = 1795; g <= 1877; ++g) {
    if (g != 1859) expected.push_back(g);
  }
  EXPECT_EQ(groups, expected);
  EXPECT_EQ(by_group.front().second, "w_016561_edit");
  EXPECT_EQ(by_group.back().second, "w_016824x_edit");
}

TEST_F(CatalogueTest, FrameworkClassesHaveTheirOwnGroups) {
  const fh::Module& frame = *registry.modules()[1];
  ASSERT_EQ(frame.window_names().size(), 40u);
  std::set<std::int32_t> seen;
  for (const std::string& name : frame.window_names()) {
    const fh::ClassDef& cls = registry.load(name);
    const std::int32_t g = cls.group()->group_number();
    EXPECT_TRUE(g < 1795 || g > 1877) << name << " has the library's group " << g;
    EXPECT_TRUE(seen.insert(g).second) << name << " shares group " << g;
    EXPECT_NE(cls.definition(), nullptr) << name;
  }
  EXPECT_EQ(registry.load("u_dw").kind(), fh::Kind::kDataWindow);
  EXPECT_EQ(registry.load("u_okcancel").kind(), fh::Kind::kUserObject);
  EXPECT_EQ(registry.load("u_splitbar").kind(), fh::Kind::kStaticText);
}

TEST_F(CatalogueTest, ExportsTheRegistrationAndGeneratedScriptsOfEveryWindow) {
  void* handle = dlopen(ZR_LIBRARY_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  EXPECT_NE(dlsym(handle, "getVtableInfo_w_01691"), nullptr);
  EXPECT_NE(dlsym(handle, "__fn_1872_32770_0"), nullptr);
  EXPECT_EQ(dlsym(handle, "getVtableInfo_w_ddyrsg"), nullptr);  // the framework's, not ours
  for (const std::string& name : windows()) {
    const std::int32_t g = registry.load(name).group()->group_number();
    for (const int slot : {0, 1}) {
      const std::string fn = "__fn_" + std::to_string(g) + "_32770_" + std::to_string(slot);
      EXPECT_NE(dlsym(handle, fn.c_str()), nullptr) << fn;
    }
  }
  dlclose(handle);
}

TEST_F(CatalogueTest, ControlClassesAreNamedAfterTheirFirstDeclarer) {
  const fh::ClassDef& w = registry.load("w_01691");
  const fh::ClassDef* items = nullptr;
  for (const auto& [name, cls] : w.controls()) {
    if (name == "dw_items") items = cls;
  }
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->name(), "w_ddyrsg`dw_items");
  EXPECT_EQ(items->group(), w.group());  // the window's own override
  ASSERT_NE(items->ancestor(), nullptr);
  EXPECT_EQ(items->ancestor()->name(), "w_ddyrsg`dw_items");
  EXPECT_EQ(items->ancestor()->group()->window(), "w_ddyrsg");
  EXPECT_TRUE(items->is_a("u_dw"));

  // Controls of its own keep the order the window creates them in, after the ancestor's.
  const fh::ClassDef& edit = registry.load("w_01652_edit");
  std::vector<std::string> tail;
  for (auto it = edit.controls().end() - 5; it != edit.controls().end(); ++it) {
    tail.push_back(it->first);
    EXPECT_EQ(it->second->name(), "w_01652_edit`" + it->first);
  }
  EXPECT_EQ(tail, (std::vector<std::string>{"dw_ddyy", "dw_ddxx81_bh", "cb_2", "cb_5", "cb_6"}));
  EXPECT_EQ(edit.controls().size(), registry.load("w_zrtmstlr_edit").controls().size() + 5);
}

TEST_F(CatalogueTest, WindowsKeepTheClassNumbersTheirDefinitionsFix) {
  const std::pair<const char*, std::vector<std::pair<std::uint16_t, const char*>>> fixed[] = {
      {"w_01652_edit",
       {{32868, "dw_ddyy"},
        {32870, "dw_ddxx81_bh"},
        {32872, "cb_2"},
        {32884, "cb_6"},
        {32883, "cb_5"}}},
      {"w_01647", {{32844, "dw_019780_0326"}, {32846, "dw_019780_ddyjbh"}, {32847, "dw_019780"}}},
  };
  for (const auto& [window, numbers] : fixed) {
    const fh::ClassDef& w = registry.load(window);
    for (const auto& [number, control] : numbers) {
      const fh::ClassDef* cls = w.group()->by_number(number);
      ASSERT_NE(cls, nullptr) << window << " " << number;
      EXPECT_EQ(cls->name(), std::string(window) + "`" + control);
    }
  }
}

TEST_F(CatalogueTest, EveryWindowOpensWithItsObjectsAndCloses) {
  auto session = make_session();
  int with_objects = 0;
  for (const std::string& name : windows()) {
    SCOPED_TRACE(name);
    const fh::ClassDef& cls = registry.load(name);
    // The generated create and destroy are the window's own scripts.
    EXPECT_EQ(cls.find_script(0).owner, &cls);
    EXPECT_EQ(cls.find_script(1).owner, &cls);

    fh::ObjectRef w = session->open(name);
    ASSERT_TRUE(fh::is_valid(w));
    ASSERT_EQ(session->windows().size(), 1u);
    // Nonvisual objects declared inside a window are members, not controls.
    const auto visual =
        std::count_if(cls.controls().begin(), cls.controls().end(), [](const auto& c) {
          return c.second->kind() != fh::Kind::kMessage && c.second->kind() != fh::Kind::kNonVisual;
        });
    // Every control exists once, tab pages and what they hold inside their tab.
    std::vector<fh::Object*> all;
    std::function<void(fh::Object&)> collect = [&](fh::Object& o) {
      for (const fh::ObjectRef& c : o.controls()) {
        all.push_back(c.get());
        EXPECT_EQ(c->parent(), &o);
        collect(*c);
      }
    };
    collect(*w);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(visual));
    int assigned = 0;
    for (fh::Object* c : all) {
      const fh::DataWindow* dw = c->datawindow();
      if (dw == nullptr) continue;
      // The breakdown lists assign their page's object as they open.
      const bool breakdown = (name == "w_01610" || name == "w_01603") && c->name() == "dw_1";
      const std::string expected =
          breakdown ? "d_05266v" : definitions().dataobject(name, c->name());
      EXPECT_EQ(dw->dataobject(), expected) << c->name();
      if (!expected.empty()) {
        EXPECT_TRUE(dw->has_object()) << c->name() << " shows no object " << expected;
        ++assigned;
      }
    }
    if (assigned > 0) ++with_objects;
    EXPECT_EQ(session->context().trigger(*w, "create").status, FH_STATUS_OK);
    EXPECT_EQ(session->close(*w), 1);
    EXPECT_TRUE(w->destroyed());
    EXPECT_TRUE(session->windows().empty());
  }
  // Only the families without default objects, whose members assign none, show nothing.
  EXPECT_GE(with_objects, 78);
  for (const auto& r : sink->records) ADD_FAILURE() << r.text;
}

TEST_F(CatalogueTest, ObjectsNamedInTheCatalogueTableReachTheirControls) {
  auto session = make_session();
  const std::map<std::string, std::map<std::string, std::string>> expected = {
      {"w_01691", {{"dw_items", "d_01691"}, {"dw_head", "d_00329"}}},
      {"w_01656",
       {{"dw_head", "d_004381"}, {"dw_folder", "d_004381_list"}, {"dw_items", "d_004384"}}},
      {"w_01691_edit",
       {{"dw_maint", "d_01691_edit"},
        {"dw_ddyy", "d_01691_edit_xh"},
        {"dw_ddxx81", "d_02599_edit_ddxx81"}}},
      {"w_01638_edit", {{"dw_maint", "d_01638_edit"}, {"dw_3", "d_01638_edit"}}},
      {"w_01647", {{"dw_items", "d_00326"}}},
      {"w_0160321_edit",
       {{"dw_maint", "d_0160321_edit"},
        {"dw_3", "d_0160321_edit_lr3"},
        {"dw_4", "d_0160321_edit_lr4"}}},
      {"w_01650", {{"dw_items", "d_zrxc111"}}},
  };
  for (const auto& [window, objects] : expected) {
    fh::ObjectRef w = session->open(window);
    const auto shown = shown_objects(*w);
    for (const auto& [control, object] : objects) {
      ASSERT_TRUE(shown.count(control)) << window << " has no data window " << control;
      EXPECT_EQ(shown.at(control), object) << window << "." << control;
    }
    session->close(*w);
  }
  // w_01656 moves its grid.
  fh::ObjectRef w = session->open("w_01656");
  EXPECT_EQ(w->control("dw_items")->get("x").as_integer(), 695);
  EXPECT_EQ(w->control("dw_items")->get("y").as_integer(), 608);
}

TEST_F(CatalogueTest, WindowWithoutOverridesShowsItsAncestorsObjects) {
  auto session = make_session();
  int checked = 0;
  int with_objects = 0;
  for (const std::string& name : windows()) {
    if (!definitions().assigns_none(name)) continue;
    SCOPED_TRACE(name);
    const std::string ancestor = registry.load(name).ancestor()->name();
    fh::ObjectRef w = session->open(name);
    fh::ObjectRef a = session->open(ancestor);
    const auto own = shown_objects(*w);
    EXPECT_EQ(own, shown_objects(*a));
    if (std::any_of(own.begin(), own.end(), [](const auto& p) { return !p.second.empty(); })) {
      ++with_objects;
    }
    session->close(*a);
    session->close(*w);
    ++checked;
  }
  EXPECT_EQ(checked, 29);  // the windows the catalogue table marks "none"
  EXPECT_GE(with_objects, checked - 5);

  // And one that overrides differs from its ancestor exactly there.
  fh::ObjectRef w = session->open("w_01691");
  fh::ObjectRef a = session->open("w_ddyrsg");
  auto own = shown_objects(*w);
  auto base = shown_objects(*a);
  EXPECT_NE(own["dw_items"], base["dw_items"]);
  own.erase("dw_items");
  own.erase("dw_head");
  base.erase("dw_items");
  base.erase("dw_head");
  EXPECT_EQ(own, base);
}

TEST_F(CatalogueTest, TwinWindowsHaveTheSameControls) {
  auto session = make_session();
  const std::pair<const char*, const char*> twins[] = {
      {"w_01603", "w_01610"},
      {"w_01602", "w_01617"},
      {"w_01602_edit", "w_01617_edit"},
      {"w_016703a_edit", "w_016283a_edit"},
  };
  // Each control with its class; a control the window declares itself is
  // named after the window, so it counts by its ancestor.
  auto control_set = [&](const char* name) {
    const fh::ClassDef& w = registry.load(name);
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [control, cls] : w.controls()) {
      const bool own = cls->name() == w.name() + "`" + control;
      out.emplace_back(control, own ? "own from " + cls->ancestor()->name() : cls->name());
    }
    return out;
  };
  for (const auto& [left, right] : twins) {
    SCOPED_TRACE(std::string(left) + " / " + right);
    EXPECT_EQ(registry.load(left).ancestor(), registry.load(right).ancestor());
    const auto l = control_set(left);
    EXPECT_FALSE(l.empty());
    EXPECT_EQ(l, control_set(right));
    fh::ObjectRef a = session->open(left);
    fh::ObjectRef b = session->open(right);
    std::vector<std::string> names_a, names_b;
    for (const fh::ObjectRef& c : a->controls()) names_a.push_back(c->name());
    for (const fh::ObjectRef& c : b->controls()) names_b.push_back(c->name());
    EXPECT_EQ(names_a, names_b);
    session->close(*b);
    session->close(*a);
  }
}

}  // namespace
