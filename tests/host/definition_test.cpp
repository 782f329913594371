#include "formhost/definition.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "../value_eq.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

// This file is UTF-8; the host works on GBK.
std::string gbk(const std::string& utf8) { return utf8_to_gbk(utf8, "test"); }

const std::string kShi = "\x81\x7E";    // 亊, trail byte looks like '~'
const std::string kCheng = "\x81\x5C";  // 乗, trail byte looks like '\'

// A list window as the catalogue writes one, with every kind of block.
std::string example_source() {
  return gbk(
      "$PBExportHeader$w_01691.srw\n"
      "$PBExportComments$group 1872\n"
      "forward\n"
      "global type w_01691 from w_ddyrsg\n"
      "end type\n"
      "type dw_items from w_ddyrsg`dw_items within w_01691\n"
      "end type\n"
      "end forward\n"
      "\n"
      "global type w_01691 from w_ddyrsg\n"
      "integer width = 3200\n"
      "integer height = 1800\n"
      "string title = \"物料清单\"\n"
      "string menuname = \"m_main\"\n"
      "string icon = \"zrlabel.ico\"\n"
      "windowtype windowtype = main!\n"
      "long backcolor = 79741120\n"
      "string is_retrieve_open = \"retrieve\"\n"
      "string is_tab_1_postion = \"2LV\"\n"
      "end type\n"
      "global w_01691 w_01691\n"
      "\n"
      "type variables\n"
      "string lls[7]\n"
      "long lltjgdid\n"
      "boolean ib_rfid = false\n"
      "str_recordmanager2 istr_parm\n"
      "end variables\n"
      "\n"
      "type dw_items from w_ddyrsg`dw_items within w_01691\n"
      "integer x = 722\n"
      "integer y = 456\n"
      "string dataobject = \"d_01691\"\n"
      "end type\n"
      "\n"
      "type cb_2 from commandbutton within w_01691\n"
      "integer x = 690\n"
      "integer y = 932\n"
      "integer width = 434\n"
      "integer height = 92\n"
      "integer taborder = 170\n"
      "string facename = \"Arial\"\n"
      "long textcolor = 33554432\n"
      "integer weight = 700\n"
      "string text = \"增加拆分(&F)\"\n"
      "boolean visible = true\n"
      "end type\n"
      "\n"
      "on w_01691.create\n"
      "int iCurrent\n"
      "call super::create\n"
      "end on\n"
      "\n"
      "on w_01691.destroy\n"
      "call super::destroy\n"
      "end on\n"
      "\n"
      "event pfc_preopen;call super::pfc_preopen;is_retrieve_open = \"retrieve\"\n"
      "dw_items.SetTransObject(sqlca)\n"
      "end event\n");
}

ClassDefinition example() {
  return ClassDefinition::parse(example_source(), "catalogue/w_01691.srw");
}

// A class file around `lines` (GBK already), for the smaller cases.
std::string window(const std::string& body_lines, const std::string& rest = "") {
  return "global type w_t from w_base\n" + body_lines + "end type\n" + rest;
}

// The message of the fh::Error that parsing throws, or "" when it throws none.
std::string parse_error(const std::string& text, const std::string& source = "w_t.srw") {
  try {
    ClassDefinition::parse(text, source);
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// ---- a whole definition ----

TEST(ClassDefinitionParse, ListWindowGivesEveryPart) {
  const ClassDefinition d = example();
  EXPECT_EQ(d.name(), "w_01691");
  EXPECT_EQ(d.ancestor(), "w_ddyrsg");
  EXPECT_EQ(d.within(), "");
  EXPECT_EQ(d.comments(), "group 1872");

  ASSERT_EQ(d.properties().size(), 9u);
  EXPECT_EQ(d.properties()[0].name, "width");
  EXPECT_EQ(d.properties()[8].name, "is_tab_1_postion");
  ASSERT_NE(d.property("width"), nullptr);
  EXPECT_EQ(*d.property("width"), Value::of_integer(3200));
  EXPECT_EQ(*d.property("height"), Value::of_integer(1800));
  EXPECT_EQ(*d.property("title"), Value::of_string(gbk("物料清单")));
  EXPECT_EQ(*d.property("menuname"), Value::of_string("m_main"));
  EXPECT_EQ(*d.property("icon"), Value::of_string("zrlabel.ico"));
  EXPECT_EQ(*d.property("windowtype"), Value::of_string("main!"));
  EXPECT_EQ(*d.property("backcolor"), Value::of_long(79741120));
  EXPECT_EQ(*d.property("is_retrieve_open"), Value::of_string("retrieve"));
  EXPECT_EQ(*d.property("is_tab_1_postion"), Value::of_string("2LV"));
  EXPECT_EQ(d.property("x"), nullptr);

  ASSERT_EQ(d.controls().size(), 2u);
  const ControlDefinition& items = d.controls()[0];
  EXPECT_EQ(items.name, "dw_items");
  EXPECT_EQ(items.ancestor, "w_ddyrsg`dw_items");
  EXPECT_EQ(items.within, "w_01691");
  ASSERT_EQ(items.properties.size(), 3u);
  EXPECT_EQ(*items.property("x"), Value::of_integer(722));
  EXPECT_EQ(*items.property("y"), Value::of_integer(456));
  EXPECT_EQ(*items.property("dataobject"), Value::of_string("d_01691"));
  EXPECT_EQ(items.property("width"), nullptr);

  const ControlDefinition* cb = d.control("cb_2");
  ASSERT_EQ(cb, &d.controls()[1]);
  EXPECT_EQ(cb->ancestor, "commandbutton");
  ASSERT_EQ(cb->properties.size(), 10u);
  EXPECT_EQ(cb->properties[4].name, "taborder");
  EXPECT_EQ(*cb->property("taborder"), Value::of_integer(170));
  EXPECT_EQ(*cb->property("textcolor"), Value::of_long(33554432));
  EXPECT_EQ(*cb->property("text"), Value::of_string(gbk("增加拆分(&F)")));
  EXPECT_EQ(*cb->property("visible"), Value::of_bool(true));
  EXPECT_EQ(d.control("w_01691"), nullptr);
  EXPECT_EQ(d.control("dw_nosuch"), nullptr);

  ASSERT_EQ(d.variables().size(), 4u);
  EXPECT_EQ(d.variables()[0].type, "string");
  EXPECT_EQ(d.variables()[0].name, "lls");
  EXPECT_EQ(d.variables()[0].array_size, 7);
  EXPECT_FALSE(d.variables()[0].initial.has_value());
  EXPECT_EQ(d.variables()[1].type, "long");
  EXPECT_EQ(d.variables()[1].array_size, 0);
  EXPECT_EQ(d.variables()[2].initial, std::optional<Value>(Value::of_bool(false)));
  EXPECT_EQ(d.variables()[3].type, "str_recordmanager2");
  EXPECT_EQ(d.variables()[3].name, "istr_parm");

  ASSERT_EQ(d.events().size(), 3u);
  EXPECT_EQ(d.events()[0].object, "");
  EXPECT_EQ(d.events()[0].name, "create");
  EXPECT_TRUE(d.events()[0].calls_ancestor);
  EXPECT_EQ(d.events()[0].script, "int iCurrent\ncall super::create");
  EXPECT_EQ(d.events()[0].line, 49);
  EXPECT_EQ(d.events()[1].name, "destroy");
  const EventDefinition* pre = d.event("pfc_preopen");
  ASSERT_EQ(pre, &d.events()[2]);
  EXPECT_EQ(pre->object, "");  // after `on w_01691.destroy`, not cb_2's
  EXPECT_TRUE(pre->calls_ancestor);
  EXPECT_EQ(pre->script,
            "call super::pfc_preopen;is_retrieve_open = \"retrieve\"\n"
            "dw_items.SetTransObject(sqlca)");
  EXPECT_EQ(d.event("pfc_preopen", "w_01691"), pre);
  EXPECT_EQ(d.event("pfc_preopen", "cb_2"), nullptr);
  EXPECT_EQ(d.event("open"), nullptr);
}

TEST(ClassDefinitionParse, NamesMatchWhateverTheirCase) {
  const ClassDefinition d = ClassDefinition::parse(
      "GLOBAL TYPE W_Case FROM W_Base\n"
      "Integer Width = 10\n"
      "END TYPE\n"
      "Type Variables\n"
      "Long LL_Count = 3\n"
      "End Variables\n"
      "TYPE DW_1 FROM U_DW WITHIN w_case\n"
      "Boolean Visible = TRUE\n"
      "End Type\n"
      "Event Clicked;CALL SUPER::clicked\n"
      "End Event\n",
      "W_CASE.SRW");
  EXPECT_EQ(d.name(), "w_case");
  EXPECT_EQ(d.ancestor(), "w_base");
  EXPECT_EQ(d.properties()[0].name, "width");
  EXPECT_EQ(d.property("WIDTH"), d.property("width"));
  EXPECT_NE(d.property("WiDtH"), nullptr);
  EXPECT_EQ(d.variables()[0].type, "long");
  EXPECT_EQ(d.variable("ll_count"), &d.variables()[0]);
  EXPECT_EQ(d.variables()[0].initial, std::optional<Value>(Value::of_long(3)));
  ASSERT_NE(d.control("Dw_1"), nullptr);
  EXPECT_EQ(d.control("dw_1")->name, "dw_1");
  EXPECT_EQ(d.control("dw_1")->ancestor, "u_dw");
  EXPECT_EQ(*d.control("DW_1")->property("VISIBLE"), Value::of_bool(true));
  ASSERT_NE(d.event("CLICKED", "DW_1"), nullptr);
  EXPECT_EQ(d.event("clicked", "dw_1")->name, "clicked");
  EXPECT_TRUE(d.event("clicked", "dw_1")->calls_ancestor);
}

TEST(ClassDefinitionParse, ACallOfTheAncestorIsFoundOnlyAtCharacterStarts) {
  // 0xEB 0x43 is one character (隒) whose trail byte looks like 'C'.
  const ClassDefinition d = ClassDefinition::parse(
      "global type w_gbk from window\n"
      "end type\n"
      "event clicked;string ls = '\xEB\x43"
      "ALL SUPER::clicked'\n"
      "end event\n"
      "event Open;ls = '\xEB\x43';Call Super::open\n"
      "end event\n",
      "w_gbk.srw");
  EXPECT_FALSE(d.event("clicked", "")->calls_ancestor);
  EXPECT_TRUE(d.event("OPEN", "")->calls_ancestor);
}

// ---- values ----

TEST(ClassDefinitionParse, PropertyLinesGiveTypedValues) {
  const struct {
    const char* line;
    Value expected;
  } cases[] = {
      {"integer a = 0", Value::of_integer(0)},
      {"integer a = -32768", Value::of_integer(-32768)},
      {"integer a = +32767", Value::of_integer(32767)},
      {"int a = 5", Value::of_integer(5)},
      {"long a = 2147483647", Value::of_long(2147483647)},
      {"long a = -2147483648", Value::of_long(-2147483647 - 1)},
      {"long a = 33554432", Value::of_long(33554432)},
      {"decimal a = 1.25", Value::of_decimal(*Decimal::parse("1.25"))},
      {"decimal a = -0.5", Value::of_decimal(*Decimal::parse("-0.5"))},
      {"decimal a = 12", Value::of_decimal(Decimal::from_int(12))},
      {"double a = 2.5", Value::of_double(2.5)},
      {"string a = \"\"", Value::of_string("")},
      {"string a = 'single'", Value::of_string("single")},
      {"string a = \"a~\"b~'c~~d~te~rf~ng\"", Value::of_string("a\"b'c~d\te\rf\ng")},
      {"string a = \"~x stays\"", Value::of_string("~x stays")},
      {"string a = \"caption=确定(&O);microhelp=确定;\"",
       Value::of_string(gbk("caption=确定(&O);microhelp=确定;"))},
      {"boolean a = true", Value::of_bool(true)},
      {"boolean a = FALSE", Value::of_bool(false)},
      {"date a = 2004-01-31", Value::of_date(*Date::make(2004, 1, 31))},
      {"time a = 14:05:30", Value::of_time(*Time::make(14, 5, 30))},
      {"alignment a = center!", Value::of_string("center!")},
      {"windowtype a = response!", Value::of_string("response!")},
      {"fontcharset a = GB2312CharSet!", Value::of_string("GB2312CharSet!")},
  };
  for (const auto& c : cases) {
    const ClassDefinition d = ClassDefinition::parse(window(gbk(c.line) + "\n"), "w_t.srw");
    ASSERT_NE(d.property("a"), nullptr) << c.line;
    EXPECT_EQ(*d.property("a"), c.expected) << c.line;
  }
}

TEST(ClassDefinitionParse, ValuesOfTheWrongKindAreRefused) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"integer a = 32768", "an integer from -32768 to 32767 for a, found '32768'"},
      {"integer a = 1.5", "an integer from -32768 to 32767 for a, found '1.5'"},
      {"integer a = \"5\"", "an integer from -32768 to 32767 for a, found \"5\""},
      {"long a = 2147483648", "a long from -2147483648 to 2147483647 for a, found '2147483648'"},
      {"long a = 12ab", "a long from -2147483648 to 2147483647 for a, found '12ab'"},
      {"decimal a = 1.2.3", "a decimal number for a, found '1.2.3'"},
      {"decimal a = -", "a decimal number for a, found '-'"},
      {"string a = abc", "a quoted string for a, found 'abc'"},
      {"boolean a = yes", "true or false for a, found 'yes'"},
      {"date a = 2004-02-30", "a date yyyy-mm-dd for a, found '2004-02-30'"},
      {"time a = 25:00", "a time hh:mm:ss for a, found '25:00'"},
      {"alignment a = center", "an enumerated value such as center! for a, found 'center'"},
      {"alignment a = \"center!\"", "an enumerated value such as center! for a, found \"center!\""},
      {"integer a =", "an integer from -32768 to 32767 for a, found end of line"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_error(window(std::string(c.line) + "\n")),
              std::string("w_t.srw:2: expected ") + c.message)
        << c.line;
  }
}

TEST(ClassDefinitionParse, VariableDeclarations) {
  const ClassDefinition d = ClassDefinition::parse(window("", gbk("type variables\n"
                                                                  "string lls[7]\n"
                                                                  "string ls_any[]\n"
                                                                  "integer li_n = -3\n"
                                                                  "string is_title = \"生产跟踪\"\n"
                                                                  "\n"
                                                                  "alignment ia_align = right!\n"
                                                                  "datetime ldt_when\n"
                                                                  "end variables\n")),
                                                   "w_t.srw");
  ASSERT_EQ(d.variables().size(), 6u);
  EXPECT_EQ(d.variable("lls")->array_size, 7);
  EXPECT_EQ(d.variable("ls_any")->array_size, -1);
  EXPECT_EQ(d.variable("li_n")->initial, std::optional<Value>(Value::of_integer(-3)));
  EXPECT_EQ(d.variable("is_title")->initial,
            std::optional<Value>(Value::of_string(gbk("生产跟踪"))));
  EXPECT_EQ(d.variable("ia_align")->type, "alignment");
  EXPECT_EQ(d.variable("ia_align")->initial, std::optional<Value>(Value::of_string("right!")));
  EXPECT_EQ(d.variable("ldt_when")->type, "datetime");
  EXPECT_FALSE(d.variable("ldt_when")->initial.has_value());
  EXPECT_EQ(d.variable("nosuch"), nullptr);

  const struct {
    const char* line;
    const char* message;
  } bad[] = {
      {"string lls[0]", "an array size from 1 up or ']', found '0'"},
      {"string lls[7", "']' to close the array size, found end of line"},
      {"string lls[7] = \"a\"", "end of line after an array declaration, found '='"},
      {"long ll_a, ll_b", "end of line after the declaration of ll_a, found ','"},
      {"str_parm istr = 5", "an enumerated value such as center! for istr, found '5'"},
      {"long",
       "a declaration 'TYPE NAME [= VALUE]' or 'end variables' (the block begun on line "
       "3), found 'long'"},
      {"end type",
       "a declaration 'TYPE NAME [= VALUE]' or 'end variables' (the block begun on "
       "line 3), found 'end type'"},
  };
  for (const auto& c : bad) {
    EXPECT_EQ(
        parse_error(window("", "type variables\n" + std::string(c.line) + "\nend variables\n")),
        std::string("w_t.srw:4: expected ") + c.message)
        << c.line;
  }
  EXPECT_EQ(parse_error(window("", "type variables\nlong ll_a\nlong LL_A\nend variables\n")),
            "w_t.srw:5: expected a variable not declared before, found 'll_a' again");
}

// ---- GBK text ----

TEST(ClassDefinitionParse, TrailBytesThatLookLikeEscapesStayInTheirCharacter) {
  // 亊 ends in '~': read byte by byte, `"亊"` would escape the closing quote.
  // 乗 ends in '\': it must not start anything either.
  const std::string text = window("string title = \"" + kShi +
                                      "\"\n"
                                      "string tag = \"" +
                                      kCheng +
                                      "\"\n"
                                      "string mixed = \"a" +
                                      kShi + "~\"" + kCheng + "~~" + kShi + "\"\n",
                                  "type st_1 from statictext within w_t\n"
                                  "string text = \"" +
                                      kShi + kShi +
                                      "\"\n"
                                      "end type\n"
                                      "event clicked;ls = \"" +
                                      kShi +
                                      "\"\n"
                                      "end event\n");
  const ClassDefinition d = ClassDefinition::parse(text, "w_t.srw");
  EXPECT_EQ(*d.property("title"), Value::of_string(kShi));
  EXPECT_EQ(*d.property("tag"), Value::of_string(kCheng));
  EXPECT_EQ(*d.property("mixed"), Value::of_string("a" + kShi + "\"" + kCheng + "~" + kShi));
  EXPECT_EQ(*d.control("st_1")->property("text"), Value::of_string(kShi + kShi));
  EXPECT_EQ(d.event("clicked", "st_1")->script, "ls = \"" + kShi + "\"");
  EXPECT_EQ(gbk_to_utf8(d.property("title")->as_string(), "test"), "亊");
  EXPECT_EQ(gbk_to_utf8(d.property("tag")->as_string(), "test"), "乗");
}

TEST(ClassDefinitionParse, BytesThatAreNotGbkAreRefusedWithTheirLine) {
  EXPECT_EQ(parse_error(window("string title = \"a\x80\"\n")),
            "w_t.srw:2: expected GBK text, found byte 0x80");
  EXPECT_EQ(parse_error(window("integer x = 1\n", "event open;ls = \"\xFF\"\nend event\n")),
            "w_t.srw:4: expected GBK text, found byte 0xFF");
  // A lead byte at the end of a line has no trail byte.
  EXPECT_EQ(parse_error(window("string title = \"x\"\n", "event open;//\xB0\nend event\n")),
            "w_t.srw:4: expected GBK text, found byte 0xB0");
  // Double-byte characters are only text inside quotes.
  EXPECT_EQ(parse_error(window("string title = " + gbk("物料") + "\n")),
            "w_t.srw:2: expected a quoted string for title, found '" + gbk("物") + "'");
}

// ---- nesting, scripts and their owners ----

TEST(ClassDefinitionParse, TabPagesNestInsideTheirControls) {
  const ClassDefinition d = ClassDefinition::parse(
      "global type w_t from w_base\n"
      "end type\n"
      "type dw_1 from u_dw within tabpage_1\n"  // the page comes later in the file
      "end type\n"
      "type tab_1 from tab within w_t\n"
      "end type\n"
      "type tabpage_1 from userobject within tab_1\n"
      "string text = \"p1\"\n"
      "end type\n",
      "w_t.srw");
  ASSERT_EQ(d.controls().size(), 3u);
  EXPECT_EQ(d.controls()[0].within, "tabpage_1");
  EXPECT_EQ(d.controls()[1].name, "tab_1");
  EXPECT_EQ(d.controls()[2].within, "tab_1");

  const ClassDefinition page = ClassDefinition::parse(
      "global type tabpage_2 from userobject within tab_1\n"
      "end type\n"
      "type dw_2 from u_dw within tabpage_2\n"
      "end type\n",
      "src/tabpage_2.sru");
  EXPECT_EQ(page.name(), "tabpage_2");
  EXPECT_EQ(page.within(), "tab_1");
  EXPECT_EQ(page.controls()[0].within, "tabpage_2");
}

TEST(ClassDefinitionParse, EventsBelongToTheObjectLastNamed) {
  const ClassDefinition d = ClassDefinition::parse(
      "global type w_t from w_base\n"
      "end type\n"
      "event open;call super::open\n"
      "end event\n"
      "type dw_1 from u_dw within w_t\n"
      "end type\n"
      "event constructor;of_setbase(true)\n"
      "end type\n"  // script text: only `end event` ends it
      "// call super::constructor is not in a comment for us: any text counts\n"
      "end event\n"
      "event type long ue_save ( string as_a, long al_b );return 1\n"
      "end event\n"
      "event w_t::pfc_preopen;\n"
      "end event\n"
      "on dw_1.destroy\n"
      "end on\n"
      "on w_t.destroy\n"
      "call w_base::destroy\n"
      "end on\n"
      "event dw_1::clicked;call super::clicked;\n"
      "end event\n"
      "event close;\n"
      "end event\n",
      "w_t.srw");
  ASSERT_EQ(d.events().size(), 8u);
  const struct {
    const char* object;
    const char* name;
    bool calls_ancestor;
  } expected[] = {
      {"", "open", true},         {"dw_1", "constructor", true}, {"dw_1", "ue_save", false},
      {"", "pfc_preopen", false}, {"dw_1", "destroy", false},    {"", "destroy", false},
      {"dw_1", "clicked", true},  {"", "close", false},
  };
  for (std::size_t i = 0; i < d.events().size(); ++i) {
    EXPECT_EQ(d.events()[i].object, expected[i].object) << i;
    EXPECT_EQ(d.events()[i].name, expected[i].name) << i;
    EXPECT_EQ(d.events()[i].calls_ancestor, expected[i].calls_ancestor) << i;
  }
  EXPECT_EQ(d.event("constructor", "dw_1")->script,
            "of_setbase(true)\nend type\n"
            "// call super::constructor is not in a comment for us: any text counts");
  EXPECT_EQ(d.event("ue_save", "dw_1")->script, "return 1");
  EXPECT_EQ(d.event("destroy")->line, 17);
  EXPECT_EQ(d.event("constructor"), nullptr);
}

// ---- faults ----

TEST(ClassDefinitionErrors, NameTheLineAndWhatWasExpected) {
  const std::string head = "global type w_t from w_base\nend type\n";
  const struct {
    const char* what;
    std::string text;
    std::string message;
  } cases[] = {
      {"unclosed global type", "global type w_t from w_base\ninteger x = 1\n",
       "w_t.srw:2: expected 'end type' to close the type begun on line 1, found end of text"},
      {"next block inside an open type",
       head + "type cb_1 from commandbutton within w_t\ninteger x = 1\n"
              "type cb_2 from commandbutton within w_t\nend type\n",
       "w_t.srw:5: expected a property line 'TYPE NAME = VALUE' or 'end type' (the type begun on "
       "line 3), found 'type cb_2 from commandbutton within w_t'"},
      {"unclosed variables", head + "type variables\nlong ll_a\n",
       "w_t.srw:4: expected 'end variables' to close the block begun on line 3, found end of "
       "text"},
      {"unclosed event", head + "event open;return\n\n",
       "w_t.srw:4: expected 'end event' to close the script begun on line 3, found end of text"},
      {"unclosed on", head + "on w_t.create\ncall super::create\nend event\n",
       "w_t.srw:5: expected 'end on' to close the script begun on line 3, found end of text"},
      {"unclosed forward", "forward\nglobal type w_t from w_base\nend type\n",
       "w_t.srw:3: expected 'end forward' to close the forward block begun on line 1, found end "
       "of text"},
      {"bad value", head + "type cb_1 from commandbutton within w_t\ninteger x = abc\nend type\n",
       "w_t.srw:4: expected an integer from -32768 to 32767 for x, found 'abc'"},
      {"unknown line at the top", head + "\nfunction long of_x ()\n",
       "w_t.srw:4: expected a block such as 'forward', 'global type', 'type', 'type variables', "
       "'on' or 'event', found 'function long of_x ()'"},
      {"class that is not the file's", "global type w_other from w_base\nend type\n",
       "w_t.srw:1: expected 'global type w_t' (the class of this file), found 'global type "
       "w_other'"},
      {"export header of another file", "$PBExportHeader$w_other.srw\n" + head,
       "w_t.srw:1: expected the export header of w_t, found '$PBExportHeader$w_other.srw'"},
      {"global instance of another class", head + "global w_other w_other\n",
       "w_t.srw:3: expected 'global w_t w_t' or 'global type', found 'global w_other w_other'"},
      {"within another window",
       head + "type cb_2 from commandbutton within w_01652_edit\nend type\n",
       "w_t.srw:3: expected 'within w_t' or one of its controls, found 'within w_01652_edit'"},
      {"within itself", head + "type cb_2 from commandbutton within cb_2\nend type\n",
       "w_t.srw:3: expected 'within w_t' or one of its controls, found 'within cb_2'"},
      {"control without within", head + "type cb_2 from commandbutton\nend type\n",
       "w_t.srw:3: expected 'within' after the ancestor, found end of line"},
      {"missing from", head + "type cb_2 commandbutton within w_t\nend type\n",
       "w_t.srw:3: expected 'from' after the type name, found 'commandbutton'"},
      {"bad ancestor", head + "type cb_2 from w_x``cb within w_t\nend type\n",
       "w_t.srw:3: expected an ancestor class after 'from', found 'w_x``cb'"},
      {"control defined twice",
       head + "type cb_2 from commandbutton within w_t\nend type\n"
              "type CB_2 from commandbutton within w_t\nend type\n",
       "w_t.srw:5: expected a control not defined before, found 'cb_2' again"},
      {"property set twice",
       "global type w_t from w_base\ninteger x = 1\ninteger X = 2\nend type\n",
       "w_t.srw:3: expected a property not set before in this block, found 'x' again"},
      {"missing equals", "global type w_t from w_base\ninteger x 1\nend type\n",
       "w_t.srw:2: expected '=' after x, found '1'"},
      {"text after the value", "global type w_t from w_base\ninteger x = 1 2\nend type\n",
       "w_t.srw:2: expected end of line after the value of x, found '2'"},
      {"unclosed string", "global type w_t from w_base\nstring s = \"abc\nend type\n",
       "w_t.srw:2: expected '\"' to close the string, found end of line"},
      {"two global types", head + head,
       "w_t.srw:3: expected one 'global type' block (the first is on line 1), found another"},
      {"no global type", "type variables\nend variables\n",
       "w_t.srw:2: expected a 'global type w_t from ANCESTOR' block, found end of text"},
      {"script of an unknown control", head + "on cb_9.create\nend on\n",
       "w_t.srw:3: expected a script of w_t or one of its controls, found 'cb_9.create'"},
      {"event without ';'", head + "event open\nend event\n",
       "w_t.srw:3: expected ';' after the event header, found 'event open'"},
      {"event scripted twice", head + "event open;\nend event\nevent OPEN;\nend event\n",
       "w_t.srw:5: expected one script per event, found 'w_t.open' again"},
      {"forward declaration with a body",
       "forward\nglobal type w_t from w_base\ninteger x = 1\nend type\nend forward\n" + head,
       "w_t.srw:3: expected 'end type' to close the declaration of w_t, found 'integer x = 1'"},
      {"forward control within another window",
       "forward\ntype cb_1 from commandbutton within w_z\nend type\nend forward\n" + head,
       "w_t.srw:2: expected 'within w_t' or one of its controls, found 'within w_z'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_error(c.text), c.message) << c.what;
  }
}

TEST(ClassDefinitionErrors, LinesCountFromOneWithBlankLinesAndCrLf) {
  const std::string text =
      "$PBExportHeader$w_t.srw\r\n"
      "$PBExportComments$list of items\r\n"
      "\r\n"
      "global type w_t from w_base\r\n"
      "integer x = 1\r\n"
      "\r\n"
      "integer y = 99999\r\n"
      "end type\r\n";
  EXPECT_EQ(parse_error(text, "catalogue/w_t.srw"),
            "catalogue/w_t.srw:7: expected an integer from -32768 to 32767 for y, found '99999'");
  const ClassDefinition d =
      ClassDefinition::parse(text.substr(0, text.find("99999")) + "2\r\nend type\r\n", "w_t.srw");
  EXPECT_EQ(*d.property("y"), Value::of_integer(2));
  // The export header may stand only at the top.
  EXPECT_EQ(parse_error("global type w_t from w_base\nend type\n$PBExportHeader$w_t.srw\n"),
            "w_t.srw:3: expected a block such as 'global type', found '$PBExportHeader$w_t.srw'");
}

}  // namespace
}  // namespace fh
