// Registration of class groups from modules, and what the host makes of them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "fixture.h"
#include "formhost/container.h"
#include "formhost/errors.h"

namespace {

using zrtest::ModuleTest;

TEST_F(ModuleTest, SecondRegistrationReusesTheCachedClassIndex) {
  const fh::ClassDef& child = registry.load("w_tchild");
  // w_tchild, w_tlist and u_tdw each asked once.
  EXPECT_EQ(registry.class_index_requests(), 3);
  const std::int32_t index = child.group()->index();

  // Another host in the same process registers the same modules again.
  fh::ClassRegistry second;
  second.add_module(ZR_TEST_MODULE);
  second.add_module(ZR_TEST_FRAME_MODULE);
  const fh::ClassDef& again = second.load("w_tchild");
  EXPECT_EQ(second.class_index_requests(), 0);
  EXPECT_EQ(again.group()->index(), index);
  EXPECT_EQ(second.group_by_index(index)->window(), "w_tchild");
}

TEST_F(ModuleTest, GroupMapsClassNumbersAndControls) {
  const fh::ClassDef& child = registry.load("W_TCHILD");  // names are case-insensitive
  const fh::ClassGroup& g = *child.group();
  EXPECT_EQ(g.group_number(), 1795);
  EXPECT_EQ(&g.window_class(), &child);
  EXPECT_EQ(g.by_number(32769), &registry.load("w_tlist"));
  EXPECT_EQ(g.by_number(32819), &registry.load("w_tlist`dw_list"));
  EXPECT_EQ(g.by_number(12345), nullptr);
  EXPECT_EQ(child.kind(), fh::Kind::kWindow);
  EXPECT_TRUE(child.is_a("window"));

  // The grid is the group's own class; the button is inherited unchanged.
  ASSERT_EQ(child.controls().size(), 2u);
  EXPECT_EQ(child.controls()[0].first, "dw_list");
  EXPECT_EQ(child.controls()[0].second, g.by_number(32771));
  EXPECT_EQ(child.controls()[0].second->kind(), fh::Kind::kDataWindow);
  EXPECT_TRUE(child.controls()[0].second->is_a("u_tdw"));
  EXPECT_EQ(child.controls()[1].first, "cb_ok");
  EXPECT_EQ(child.controls()[1].second->kind(), fh::Kind::kCommandButton);

  // Events declared up the chain are found by name and by slot.
  const fh::ClassDef& grid = *g.by_number(32771);
  ASSERT_NE(grid.find_event("pfc_prerela"), nullptr);
  EXPECT_EQ(grid.find_event("pfc_prerela")->slot, 507);
  EXPECT_EQ(grid.find_event(std::uint16_t{63})->name, "itemchanged");
  EXPECT_EQ(grid.find_event("no_such_event"), nullptr);
  EXPECT_EQ(grid.find_script(447).owner, &grid);
  EXPECT_EQ(grid.find_script(507).owner->name(), "u_tdw");
  EXPECT_FALSE(grid.find_script(600));
}

TEST_F(ModuleTest, ModulesListTheirWindowsAndExportScriptsByNumber) {
  EXPECT_EQ(registry.modules()[0]->window_names(),
            (std::vector<std::string>{"w_tchild", "w_tdialog", "w_tmain", "w_tplain"}));
  EXPECT_EQ(registry.modules()[1]->window_names(), (std::vector<std::string>{"u_tdw", "w_tlist"}));
  // The entry names the platform expects, with C linkage.
  EXPECT_NE(registry.modules()[0]->symbol("__fn_1795_32770_136"), nullptr);
  EXPECT_NE(registry.modules()[0]->symbol("__fn_1795_32771_447"), nullptr);
  EXPECT_NE(registry.modules()[0]->symbol("getVtableInfo_w_tchild"), nullptr);
  EXPECT_EQ(registry.modules()[0]->symbol("__fn_1795_32770_999"), nullptr);
}

TEST(Registry, BadInputGivesClearErrors) {
  fh::ClassRegistry registry;
  try {
    registry.load("w_nowhere");
    FAIL() << "loaded a class no module provides";
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("'w_nowhere' is not in the library list"),
              std::string::npos)
        << e.what();
  }

  // A module without any registration entry provides no class.
  registry.add_module(ZR_TEST_EMPTY_MODULE);
  EXPECT_TRUE(registry.modules()[0]->window_names().empty());
  try {
    registry.load("w_tchild");
    FAIL();
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("w_tchild"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("libzrtestempty.so"), std::string::npos) << e.what();
  }

  // The library without its framework: the ancestor is missing.
  registry.add_module(ZR_TEST_MODULE);
  try {
    registry.load("w_tchild");
    FAIL();
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("'w_tlist'"), std::string::npos) << e.what();
  }
  EXPECT_THROW(registry.load("w_tlist`dw_nothing"), fh::Error);

  // Files that are no shared library.
  const std::string text = ::testing::TempDir() + "not_a_module.so";
  std::ofstream(text) << "just some text\n";
  try {
    registry.add_module(text);
    FAIL();
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("not a 64-bit little-endian ELF file"), std::string::npos);
  }
  EXPECT_THROW(registry.add_module(::testing::TempDir() + "missing.so"), fh::Error);
  std::remove(text.c_str());
}

// A damaged data-window source in a module's container is found when a data
// window first shows it: the object and the line are named, nothing throws
// out of the data window, and the other objects stay usable.
TEST(Registry, DamagedObjectSourceIsReportedWhenFirstShown) {
  std::ifstream in(ZR_TEST_EMPTY_MODULE, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize((bytes.size() + 511) / 512 * 512, '\0');
  bytes += fh::LibraryContainer::build(
      {{"d_bad.srd", "release 9;\ndatawindow(units=0\n"},
       {"d_good.srd",
        "release 9;\ndatawindow(units=0)\ntable(column=(type=long name=a "
        "dbname=\"t.a\") retrieve=\"select a from t\")\n"}},
      bytes.size(), fh::LibraryContainer::kDefaultTimestamp);
  const std::string path = ::testing::TempDir() + "libdamaged.so";
  std::ofstream(path, std::ios::binary) << bytes;
  fh::ClassRegistry registry;
  ASSERT_NO_THROW(registry.add_module(path));
  try {
    (void)registry.dataobjects().find("d_bad");
    FAIL() << "a damaged source parsed";
  } catch (const fh::Error& e) {
    EXPECT_NE(std::string(e.what()).find("d_bad.srd):3: expected ')'"), std::string::npos)
        << e.what();
  }
  fh::DataWindow dw;
  EXPECT_EQ(dw.set_dataobject(registry.dataobjects(), "d_bad"), -1);
  EXPECT_NE(dw.last_error().find("d_bad.srd):3"), std::string::npos) << dw.last_error();
  EXPECT_FALSE(dw.has_object());
  EXPECT_EQ(dw.set_dataobject(registry.dataobjects(), "d_good"), 1) << dw.last_error();
  std::remove(path.c_str());
}

TEST(Registry, EntryRefusesAnotherAbiAndUnrequestedTables) {
  void* lib = dlopen(ZR_TEST_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr);
  using Entry = int (*)(fh_host*, const fh_vtable_info**, int);
  auto entry = reinterpret_cast<Entry>(dlsym(lib, "getVtableInfo_w_tplain"));
  ASSERT_NE(entry, nullptr);
  fh::ClassRegistry registry;
  const fh_vtable_info* info = nullptr;
  EXPECT_LT(entry(registry.as_host(), &info, FH_ABI_VERSION + 1), 0);
  // Called outside a load, the host refuses the table.
  EXPECT_LT(entry(registry.as_host(), &info, FH_ABI_VERSION), 0);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->window, "w_tplain");
  EXPECT_EQ(info->group, 1796);
  dlclose(lib);
}

}  // namespace
