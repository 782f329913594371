// Built-in classes, instances and references, without any module.
#include <gtest/gtest.h>

#include "formhost/classes.h"
#include "formhost/object.h"

namespace {

TEST(BuiltinClasses, CarryThePlatformEventSlots) {
  fh::ClassRegistry registry;
  const fh::ClassDef& window = registry.load("window");
  EXPECT_EQ(window.kind(), fh::Kind::kWindow);
  EXPECT_EQ(window.find_event("create")->slot, 0);
  EXPECT_EQ(window.find_event("destroy")->slot, 1);
  EXPECT_EQ(window.find_event("open")->slot, 54);
  const fh::ClassDef& dw = registry.load("DataWindow");
  EXPECT_EQ(dw.find_event("constructor")->slot, 53);
  EXPECT_EQ(dw.find_event("losefocus")->slot, 58);
  EXPECT_EQ(dw.find_event("itemchanged")->slot, 63);
  EXPECT_EQ(dw.find_event("rowfocuschanged")->slot, 76);
  EXPECT_EQ(registry.load("statictext").find_event("constructor")->slot, 51);
  EXPECT_EQ(registry.load("commandbutton").find_event("clicked")->slot, 50);
  EXPECT_EQ(registry.load("checkbox").find_event("clicked")->slot, 50);
  EXPECT_TRUE(dw.is_a("powerobject"));
  EXPECT_FALSE(dw.is_a("window"));
  EXPECT_FALSE(dw.find_script(63));
}

TEST(Objects, ReferencesBecomeInvalidWhenDestroyed) {
  fh::ClassRegistry registry;
  auto menu = fh::instantiate(registry.load("menu"), "M_Main");
  EXPECT_EQ(menu->name(), "m_main");
  const fh::Value ref = fh::Value::of_object(menu);
  EXPECT_TRUE(fh::is_valid(ref));
  menu->destroy();
  EXPECT_FALSE(fh::is_valid(ref));
  EXPECT_FALSE(fh::is_valid(fh::Value::of_object(nullptr)));
  EXPECT_FALSE(fh::is_valid(fh::Value::null_of(fh::Type::kObject)));
  EXPECT_FALSE(fh::is_valid(fh::Value::of_long(1)));
}

TEST(Objects, PropertiesAreCaseInsensitiveAndUnsetReadsNull) {
  fh::ClassRegistry registry;
  auto w = fh::instantiate(registry.load("window"), "w_x");
  EXPECT_FALSE(w->has("title"));
  EXPECT_TRUE(w->get("title").is_null());
  w->set("Title", fh::Value::of_string("abc"));
  EXPECT_TRUE(w->has("TITLE"));
  EXPECT_EQ(w->get("title").as_string(), "abc");
  EXPECT_EQ(w->window(), w.get());
}

TEST(Objects, NamesKeepDoubleByteCharactersWhoseTrailLooksLikeALetter) {
  // 際 is 0xEB 0x48 and 雋 0xEB 0x68: one must not be lowered into the other.
  const std::string ji = "\xEB\x48";
  const std::string jun = "\xEB\x68";
  fh::ClassRegistry registry;
  auto w = fh::instantiate(registry.load("window"), "W_" + ji);
  EXPECT_EQ(w->name(), "w_" + ji);
  w->set("P" + ji, fh::Value::of_long(1));
  w->set("p" + jun, fh::Value::of_long(2));
  EXPECT_EQ(w->get("p" + ji).as_long(), 1);
  EXPECT_EQ(w->get("P" + jun).as_long(), 2);
}

}  // namespace
