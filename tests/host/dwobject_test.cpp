#include "formhost/dwobject.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "../value_eq.h"
#include "formhost/datawindow.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

// This file is UTF-8; the host works on GBK.
std::string gbk(const std::string& utf8) { return utf8_to_gbk(utf8, "test"); }

const std::string kShi = "\x81\x7E";    // 亊, trail byte looks like '~'
const std::string kCheng = "\x81\x5C";  // 乗, trail byte looks like '\'

// The object of the production-tracking example, with every kind of statement we use.
std::string example_source() {
  return gbk(
      "$PBExportHeader$d_016910.srd\n"
      "release 9;\n"
      "datawindow(units=0 color=1073741824 processing=1 print.margin.left=110 "
      "selected.mouse=no )\n"
      "header(height=80 color=\"536870912\" )\n"
      "detail(height=84 color=\"536870912\" )\n"
      "summary(height=0 color=\"536870912\" )\n"
      "footer(height=0 color=\"536870912\" )\n"
      "table(column=(type=char(20) update=yes updatewhereclause=yes key=yes name=zrtmid "
      "dbname=\"zr_016910.zrtmid\" )\n"
      " column=(type=decimal(2) update=yes updatewhereclause=yes name=je dbname=\"zr_016910.je\" "
      "initial=\"0\" )\n"
      " column=(type=long update=yes updatewhereclause=yes name=sjldcs "
      "dbname=\"zr_016910.sjldcs\" )\n"
      " column=(type=date updatewhereclause=yes name=rq dbname=\"zr_016910.rq\" )\n"
      " column=(type=char(40) update=yes updatewhereclause=yes name=mc dbname=\"zr_016910.mc\" "
      "values=\"是\t1/否\t0/\" )\n"
      " retrieve=\"select zrtmid, je, sjldcs, rq, mc from zr_016910 where zrtmid like :as_key "
      "order by zrtmid\"\n"
      " update=\"zr_016910\" updatewhere=0 updatekeyinplace=yes\n"
      " arguments=((\"as_key\", string)) )\n"
      "text(band=header alignment=\"2\" text=\"条码\" border=\"0\" color=\"33554432\" x=\"9\" "
      "y=\"8\" height=\"64\" width=\"274\" name=zrtmid_t visible=\"1\" )\n"
      "column(band=detail id=1 alignment=\"0\" tabsequence=10 border=\"0\" color=\"33554432\" "
      "x=\"9\" y=\"8\" height=\"76\" width=\"274\" format=\"[general]\" name=zrtmid "
      "visible=\"1\" edit.limit=20 protect=\"0\" )\n"
      "column(band=detail id=5 x=\"300\" y=\"8\" height=\"76\" width=\"400\" name=mc "
      "dddw.name=d_dict_mc dddw.displaycolumn=mc dddw.datacolumn=id )\n"
      "compute(band=summary alignment=\"1\" expression=\"sum(je for all)\" x=\"9\" y=\"4\" "
      "height=\"64\" width=\"274\" name=cp_je )\n"
      "line(band=header x1=\"0\" y1=\"76\" x2=\"2000\" y2=\"76\" name=l_1 )\n"
      "htmltable(border=\"1\" )\n"
      "export.xml(headgroups=\"1\" includewhitespace=\"0\" )\n");
}

DataWindowObject example() { return DataWindowObject::parse(example_source(), "src/d_016910.srd"); }

// The message of the fh::Error that parsing throws, or "" when it throws none.
std::string parse_error(const std::string& source) {
  try {
    DataWindowObject::parse(source, "d_bad.srd");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

std::string text_of(const DataWindowObject& o, const std::string& name) {
  const DwControl* c = o.control(name);
  if (c == nullptr) return "<no object>";
  const std::string* t = find_property(c->properties, "text");
  return t == nullptr ? "<no text>" : *t;
}

// ---- the source ----

TEST(SrdParse, ExampleGivesTheWholeModel) {
  const DataWindowObject o = example();
  EXPECT_EQ(o.name(), "d_016910");
  EXPECT_EQ(o.processing(), 1);
  EXPECT_FALSE(o.read_only());
  ASSERT_NE(find_property(o.properties(), "Print.Margin.Left"), nullptr);
  EXPECT_EQ(*find_property(o.properties(), "Print.Margin.Left"), "110");
  EXPECT_EQ(*find_property(o.properties(), "color"), "1073741824");

  ASSERT_EQ(o.bands().size(), 4u);
  EXPECT_EQ(o.bands()[0].name, "header");
  EXPECT_EQ(*find_property(o.band("HEADER")->properties, "height"), "80");
  EXPECT_EQ(*find_property(o.band("detail")->properties, "color"), "536870912");

  ASSERT_EQ(o.columns().size(), 5u);
  const DwColumn& id = o.columns()[0];
  EXPECT_EQ(id.id, 1);
  EXPECT_EQ(id.name, "zrtmid");
  EXPECT_EQ(id.type, Type::kString);
  EXPECT_EQ(id.length, 20);
  EXPECT_EQ(id.coltype, "char(20)");
  EXPECT_EQ(id.dbname, "zr_016910.zrtmid");
  EXPECT_TRUE(id.update && id.updatewhereclause && id.key);
  EXPECT_FALSE(id.initial.has_value());

  const DwColumn& je = o.columns()[1];
  EXPECT_EQ(je.type, Type::kDecimal);
  EXPECT_EQ(je.scale, 2);
  EXPECT_EQ(je.initial, std::optional<std::string>("0"));
  EXPECT_FALSE(je.key);
  EXPECT_EQ(o.columns()[2].type, Type::kLong);
  EXPECT_EQ(o.columns()[3].type, Type::kDate);
  EXPECT_FALSE(o.columns()[3].update);

  const DwColumn& mc = o.columns()[4];
  EXPECT_EQ(mc.values, gbk("是\t1/否\t0/"));
  EXPECT_EQ(mc.dddw_name, "d_dict_mc");
  EXPECT_EQ(mc.dddw_display_column, "mc");
  EXPECT_EQ(mc.dddw_data_column, "id");
  EXPECT_EQ(o.columns()[0].dddw_name, "");

  EXPECT_EQ(o.column_index("MC"), 5);
  EXPECT_EQ(o.column_index("nosuch"), 0);
  EXPECT_EQ(o.column("Je"), &o.columns()[1]);

  EXPECT_EQ(o.select(),
            "select zrtmid, je, sjldcs, rq, mc from zr_016910 where zrtmid like :as_key order by "
            "zrtmid");
  EXPECT_EQ(o.update_table(), "zr_016910");
  EXPECT_EQ(*find_property(o.table_properties(), "updatekeyinplace"), "yes");
  ASSERT_EQ(o.arguments().size(), 1u);
  EXPECT_EQ(o.arguments()[0].name, "as_key");
  EXPECT_EQ(o.arguments()[0].type, Type::kString);
  EXPECT_FALSE(o.arguments()[0].list);

  ASSERT_EQ(o.controls().size(), 5u);
  const DwControl* t = o.control("ZRTMID_T");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->kind, "text");
  EXPECT_EQ(t->band, "header");
  EXPECT_EQ(text_of(o, "zrtmid_t"), gbk("条码"));
  EXPECT_EQ(o.control("zrtmid")->column_id, 1);
  EXPECT_EQ(o.control("mc")->column_id, 5);
  EXPECT_EQ(o.control("cp_je")->kind, "compute");
  EXPECT_EQ(o.control("cp_je")->column_id, 0);
  EXPECT_EQ(*find_property(o.control("cp_je")->properties, "expression"), "sum(je for all)");
  EXPECT_EQ(o.control("l_1")->band, "header");
  EXPECT_EQ(o.control("htmltable"), nullptr);
}

TEST(SrdParse, ColumnAndArgumentTypes) {
  const struct {
    const char* declared;
    Type type;
    const char* coltype;
    int length;
    int scale;
  } cases[] = {
      {"char(20)", Type::kString, "char(20)", 20, -1},
      {"varchar(8)", Type::kString, "varchar(8)", 8, -1},
      {"CHAR(3)", Type::kString, "char(3)", 3, -1},
      {"long", Type::kLong, "long", 0, -1},
      {"ulong", Type::kLong, "ulong", 0, -1},
      {"int", Type::kInteger, "int", 0, -1},
      {"integer", Type::kInteger, "integer", 0, -1},
      {"decimal(4)", Type::kDecimal, "decimal(4)", 0, 4},
      {"decimal(0)", Type::kDecimal, "decimal(0)", 0, 0},
      {"number", Type::kDecimal, "number", 0, -1},
      {"real", Type::kDouble, "real", 0, -1},
      {"double", Type::kDouble, "double", 0, -1},
      {"date", Type::kDate, "date", 0, -1},
      {"datetime", Type::kDateTime, "datetime", 0, -1},
      {"timestamp", Type::kDateTime, "timestamp", 0, -1},
      {"time", Type::kTime, "time", 0, -1},
  };
  for (const auto& c : cases) {
    const DataWindowObject o = DataWindowObject::parse(
        std::string("table(column=(type=") + c.declared + " name=c ))", "d_t.srd");
    ASSERT_EQ(o.columns().size(), 1u) << c.declared;
    EXPECT_EQ(o.columns()[0].type, c.type) << c.declared;
    EXPECT_EQ(o.columns()[0].coltype, c.coltype) << c.declared;
    EXPECT_EQ(o.columns()[0].length, c.length) << c.declared;
    EXPECT_EQ(o.columns()[0].scale, c.scale) << c.declared;
  }

  const DataWindowObject o = DataWindowObject::parse(
      "table(column=(type=long name=n) arguments=((\"a_s\", string),(\"a_n\", number) "
      "(\"a_d\" datetime) (\"a_l\", stringlist)))",
      "d_args.srd");
  ASSERT_EQ(o.arguments().size(), 4u);
  EXPECT_EQ(o.arguments()[1].name, "a_n");
  EXPECT_EQ(o.arguments()[1].type, Type::kDecimal);
  EXPECT_EQ(o.arguments()[2].type, Type::kDateTime);
  EXPECT_EQ(o.arguments()[3].type, Type::kString);
  EXPECT_TRUE(o.arguments()[3].list);
  EXPECT_EQ(o.arguments()[3].type_name, "stringlist");
}

TEST(SrdParse, GbkTrailBytesNeverEscapeOrEndAString) {
  // 亊 ends in '~' and 乗 in '\': a scanner that is not double-byte aware reads
  // ~" as an escaped quote and swallows the rest of the statement.
  const std::string src = "text(band=header text=\"" + kShi + "\" name=a_t )\n" +
                          "text(band=header text=\"" + kCheng + "\" name=b_t )\n" +
                          "text(band=header text=\"x~\"y~~z~t" + kShi + "~n\" name=c_t )\n";
  const DataWindowObject o = DataWindowObject::parse(src, "d_gbk.srd");
  ASSERT_EQ(o.controls().size(), 3u);
  EXPECT_EQ(text_of(o, "a_t"), kShi);
  EXPECT_EQ(text_of(o, "b_t"), kCheng);
  EXPECT_EQ(text_of(o, "c_t"), "x\"y~z\t" + kShi + "\n");
}

TEST(SrdParse, NamesMatchIgnoringAsciiCaseOnly) {
  // 乤 is 0x81 0x61: its trail byte looks like 'a' but must not match 'A'.
  const DataWindowObject o =
      DataWindowObject::parse("text(band=header name=\x81\x61_t text=x )", "d_case.srd");
  EXPECT_NE(o.control("\x81\x61_T"), nullptr);
  EXPECT_EQ(o.control("\x81\x41_t"), nullptr);
}

TEST(SrdParse, ErrorsNameSourceLineAndWhatWasExpected) {
  EXPECT_EQ(parse_error("release 9;\ndatawindow(units=0)\ntext(band=header text=\"abc name=a_t )\n"
                        "line(band=header x1=0 name=l_1 )\n"),
            "d_bad.srd:3: expected '\"' to close the string begun here, found end of text");
  // The trail byte '~' of 亊 before the closing quote must not escape it.
  EXPECT_EQ(parse_error("text(band=header text=\"" + kShi +
                        "\" name=a_t )\n"
                        "text(band=header text=\"" +
                        kShi + " name=b_t )\n"),
            "d_bad.srd:2: expected '\"' to close the string begun here, found end of text");
  EXPECT_EQ(parse_error("datawindow(units=0)\nheader(height=80 color=\"536870912\"\n"
                        "detail(height=84 )\n"),
            "d_bad.srd:3: expected ')' to close header(, found 'detail'");
  EXPECT_EQ(parse_error("datawindow(units=0\n"),
            "d_bad.srd:2: expected ')' to close datawindow(, found end of text");
  EXPECT_EQ(parse_error("datawindow(units=0)\n\ntable(column=(type=blob name=b))\n"),
            "d_bad.srd:3: expected a column type (char(n), varchar(n), long, ulong, int, integer, "
            "decimal(n), number, real, double, date, datetime, timestamp, time), found 'blob'");
  EXPECT_EQ(parse_error("table(column=(type=char name=c))"),
            "d_bad.srd:1: expected char(length), found 'char'");
  EXPECT_EQ(parse_error("table(column=(type=char(x) name=c))"),
            "d_bad.srd:1: expected char(length), found 'char(x)'");
  EXPECT_EQ(parse_error("table(column=(type=long))"),
            "d_bad.srd:1: expected name= in column 1, found none");
  EXPECT_EQ(parse_error("table(column=(type=long name=c update=maybe))"),
            "d_bad.srd:1: expected yes or no for update, found 'maybe'");
  EXPECT_EQ(parse_error("table(column=(type=long name=c))\ncolumn(band=detail id=2 name=c)"),
            "d_bad.srd:2: expected a column id from 1 to 1, found '2'");
  EXPECT_EQ(parse_error("datawindow(processing=9)"),
            "d_bad.srd:1: expected processing 0 to 7, found '9'");
  EXPECT_EQ(parse_error("release 9;\nheader height=80"),
            "d_bad.srd:2: expected '(' after header, found 'height'");
  EXPECT_EQ(parse_error("release 9\nheader(height=80)"),
            "d_bad.srd:2: expected ';' after the release, found 'header'");
  EXPECT_EQ(parse_error("text(band=header name=a)\ntext(band=header name=A)"),
            "d_bad.srd:2: expected a name not used before, found 'A' again");
  EXPECT_EQ(parse_error("table(column=(type=long name=c) arguments=((\"a\", money)))"),
            "d_bad.srd:1: expected an argument type (string, number, decimal, long, integer, real, "
            "double, date, datetime, time, boolean or one of their ...list forms), found 'money'");
  // Line numbers count the skipped export header and lines inside strings.
  EXPECT_EQ(parse_error("$PBExportHeader$d_bad.srd\ntext(band=header text=\"a\nb\" name=a)\n"
                        "text(band=header name=@)"),
            "d_bad.srd:4: expected a value, found '@'");
}

TEST(SrdParse, SourceWrittenBackParsesToTheSameModel) {
  DataWindowObject o = example();
  ASSERT_EQ(o.modify("zrtmid_t.text=" + modify_quote("a\"b'c~d\te" + kShi + kCheng + "\r\n") +
                     " cp_je.color='0~tif(je > 0, 255, 0)'"),
            "");
  const std::string written = o.to_source();
  const DataWindowObject back = DataWindowObject::parse(written, "d_016910.srd");
  EXPECT_EQ(back.to_source(), written);
  EXPECT_EQ(text_of(back, "zrtmid_t"), "a\"b'c~d\te" + kShi + kCheng + "\r\n");
  EXPECT_EQ(*find_property(back.control("cp_je")->properties, "color"), "0\tif(je > 0, 255, 0)");
  EXPECT_EQ(back.select(), o.select());
  ASSERT_EQ(back.columns().size(), 5u);
  EXPECT_EQ(back.columns()[4].values, o.columns()[4].values);
  EXPECT_EQ(back.columns()[4].dddw_name, "d_dict_mc");
  EXPECT_EQ(back.columns()[1].coltype, "decimal(2)");
  EXPECT_TRUE(back.columns()[0].key);
  ASSERT_EQ(back.arguments().size(), 1u);
  EXPECT_EQ(back.arguments()[0].name, "as_key");
  EXPECT_EQ(back.processing(), 1);
  // Statements the model does not use travel along unchanged.
  EXPECT_NE(written.find("export.xml(headgroups=\"1\" includewhitespace=\"0\" )"),
            std::string::npos);
}

// ---- Modify ----

TEST(DwObjectModify, SeveralSettingsInOneCall) {
  DataWindowObject o = example();
  EXPECT_EQ(o.modify("zrtmid_t.text='" + gbk("编号") +
                     "'  zrtmid.width = 300\n"
                     "DataWindow.Color=\"255\" DataWindow.Header.Color=12632256 "
                     "datawindow.summary.height=40 DataWindow.HorizontalScrollSplit=500 "
                     "DataWindow.ReadOnly=yes DataWindow.Table.Select='select 1 from t' "
                     "mc.visible=0 cp_je.expression='sum(je for all) * 2' #1.tabsequence=20 "
                     "l_1.x2=1000 zrtmid.background.color=\"16777215\""),
            "");
  EXPECT_EQ(text_of(o, "zrtmid_t"), gbk("编号"));
  EXPECT_EQ(*find_property(o.control("zrtmid")->properties, "width"), "300");
  EXPECT_EQ(*find_property(o.properties(), "color"), "255");
  EXPECT_EQ(*find_property(o.band("header")->properties, "color"), "12632256");
  EXPECT_EQ(*find_property(o.band("summary")->properties, "height"), "40");
  EXPECT_EQ(*find_property(o.properties(), "horizontalscrollsplit"), "500");
  EXPECT_TRUE(o.read_only());
  EXPECT_EQ(o.select(), "select 1 from t");
  EXPECT_EQ(*find_property(o.control("mc")->properties, "visible"), "0");
  EXPECT_EQ(*find_property(o.control("cp_je")->properties, "expression"), "sum(je for all) * 2");
  EXPECT_EQ(*find_property(o.control("zrtmid")->properties, "tabsequence"), "20");
  EXPECT_EQ(*find_property(o.control("l_1")->properties, "x2"), "1000");
  EXPECT_EQ(*find_property(o.control("zrtmid")->properties, "background.color"), "16777215");
  EXPECT_EQ(o.modify("   "), "");
}

TEST(DwObjectModify, AnyBadSettingChangesNothing) {
  const struct {
    std::string expr;
    std::string error;
  } cases[] = {
      {"zrtmid_t.text='A' nosuch.text='B'", "Line 1 Column 19: Unknown object 'nosuch'."},
      {"zrtmid_t.text='A' zrtmid.width=abc",
       "Line 1 Column 19: Bad value 'abc' for 'zrtmid.width'."},
      {"zrtmid_t.text='A' zrtmid.visible=2",
       "Line 1 Column 19: Bad value '2' for 'zrtmid.visible'."},
      {"zrtmid_t.text='A' zrtmid.color='red~tif(je>0,1,2)'",
       "Line 1 Column 19: Bad value 'red\tif(je>0,1,2)' for 'zrtmid.color'."},
      {"zrtmid_t.text='A' DataWindow.Processing=0",
       "Line 1 Column 19: 'DataWindow.Processing' cannot be changed."},
      {"zrtmid_t.text='A' DataWindow.ReadOnly=maybe",
       "Line 1 Column 19: Bad value 'maybe' for 'DataWindow.ReadOnly'."},
      {"zrtmid_t.text='A' DataWindow.Nothing=1",
       "Line 1 Column 19: Unknown property 'DataWindow.Nothing'."},
      {"zrtmid_t.text='A' zrtmid.coltype=long",
       "Line 1 Column 19: 'zrtmid.coltype' cannot be changed."},
      {"zrtmid_t.text='A' zrtmid_t.nothing=1",
       "Line 1 Column 19: Unknown property 'zrtmid_t.nothing'."},
      {"zrtmid_t.text='A' je.width=10", "Line 1 Column 19: Unknown object 'je'."},
      {"zrtmid_t.text='A' zrtmid_t.text='B", "Line 1 Column 33: incorrect syntax."},
      {"zrtmid_t.text='A' zrtmid_t.text 'B'", "Line 1 Column 33: incorrect syntax."},
      {"zrtmid_t.text='A' zrtmid_t='B'", "Line 1 Column 19: incorrect syntax."},
      {"zrtmid_t.text='A'x zrtmid.x=1", "Line 1 Column 18: incorrect syntax."},
      {"zrtmid_t.text='A' zrtmid.x=", "Line 1 Column 28: incorrect syntax."},
      {"zrtmid_t.text='A'\r\n  nosuch.x=1", "Line 2 Column 3: Unknown object 'nosuch'."},
      // The quote after 亊 closes the value: nothing is left open.
      {"zrtmid_t.text='" + kShi + "' nosuch.x=1", "Line 1 Column 20: Unknown object 'nosuch'."},
      // A bare value with lone lead bytes before both quotes: no quote could
      // write it out again (found by fuzzing).
      {"zrtmid.format=x zrtmid_t.text=~\x81'\x81\x81\x81\"~ ",
       "Line 1 Column 31: incorrect syntax."},
  };
  for (const auto& c : cases) {
    DataWindowObject o = example();
    const std::string before = o.to_source();
    EXPECT_EQ(o.modify(c.expr), c.error) << c.expr;
    EXPECT_EQ(o.to_source(), before) << c.expr;
    EXPECT_EQ(text_of(o, "zrtmid_t"), gbk("条码")) << c.expr;
  }
}

TEST(DwObjectModify, ExpressionValuesAreStoredAsGiven) {
  DataWindowObject o = example();
  EXPECT_EQ(
      o.modify("zrtmid.color=\"0~tif(je > 100, 255, 0)\" "
               "mc.visible='1~tif(mc=~'1~', 1, 0)' zrtmid.protect=\"~tif(isrownew(), 0, 1)\""),
      "");
  EXPECT_EQ(o.describe("zrtmid.color mc.visible zrtmid.protect"),
            "0\tif(je > 100, 255, 0)\n1\tif(mc='1', 1, 0)\n\tif(isrownew(), 0, 1)");
}

TEST(DwObjectModify, ValueLevelCallsAnswerNullForNull) {
  DataWindowObject o = example();
  const Value null_text = modify(o, Value::null_of(Type::kString));
  EXPECT_TRUE(null_text.is_null());
  EXPECT_EQ(null_text.type(), Type::kString);
  EXPECT_TRUE(describe(o, Value::null_of(Type::kString)).is_null());
  EXPECT_EQ(modify(o, Value::of_string("zrtmid_t.text=x")), Value::of_string(""));
  EXPECT_EQ(describe(o, Value::of_string("zrtmid_t.text")), Value::of_string("x"));
  EXPECT_EQ(modify(o, Value::of_string("x.text=y")).as_string(),
            "Line 1 Column 1: Unknown object 'x'.");
  EXPECT_THROW(modify(o, Value::of_long(1)), std::logic_error);
}

TEST(ModifyQuote, AnyCaptionRoundTrips) {
  const std::vector<std::string> captions = {
      "it's",
      "say \"hi\"",
      "both ' and \"",
      "a~b",
      "~t is not a tab",
      "~~",
      "ends with ~",
      "tab\there",
      "line1\r\nline2\n",
      kShi,
      kCheng,
      kShi + "\"",
      kShi + "'",
      kCheng + "~",
      "~" + kShi + "~",
      gbk("生产跟踪：条码（必填）"),
      "",
      " leading and trailing ",
      "\x81",           // a lone lead byte at the end
      "\x81\"x",        // a lone lead byte before a quote
      "\x81\tx\x81\n",  // a lone lead byte before what is normally escaped
  };
  for (const std::string& t : captions) {
    DataWindowObject o = example();
    const std::string quoted = modify_quote(t);
    ASSERT_EQ(o.modify("zrtmid_t.text=" + quoted + " zrtmid.format=" + quoted), "") << quoted;
    EXPECT_EQ(o.describe("zrtmid_t.text"), t) << quoted;
    EXPECT_EQ(text_of(o, "zrtmid_t"), t) << quoted;
    EXPECT_EQ(*find_property(o.control("zrtmid")->properties, "format"), t) << quoted;
    // And the source printed after it reads back the same (found by fuzzing).
    const std::string printed = o.to_source();
    EXPECT_EQ(text_of(DataWindowObject::parse(printed, "d_x.srd"), "zrtmid_t"), t) << printed;
  }
  EXPECT_THROW(modify_quote("\x81\"\x81'"), Error);
}

// A bare Modify value runs to the next blank, quotes and NULs included; what
// one quote can carry prints back and reads back the same.
TEST(ModifyQuote, BareValuesPrintBack) {
  for (const std::string& t : {std::string("\x81\"~x"), std::string("\x81'~~\0y", 6),
                               "a\"b'c" + kShi + "'", std::string("\x81\x81\x81\"")}) {
    DataWindowObject o = example();
    ASSERT_EQ(o.modify("zrtmid_t.text=" + t), "") << t;
    EXPECT_EQ(o.describe("zrtmid_t.text"), t);
    EXPECT_EQ(text_of(DataWindowObject::parse(o.to_source(), "d_x.srd"), "zrtmid_t"), t);
  }
}

// ---- Describe ----

TEST(DwObjectDescribe, ItemsAreJoinedByNewlines) {
  const DataWindowObject o = example();
  EXPECT_EQ(o.describe("zrtmid_t.text  zrtmid.width\tDataWindow.Processing"),
            gbk("条码") + "\n274\n1");
  EXPECT_EQ(o.describe("ZRTMID_T.Text"), gbk("条码"));
  EXPECT_EQ(o.describe(""), "");
  EXPECT_EQ(o.describe("DataWindow.Objects"), "zrtmid_t\tzrtmid\tmc\tcp_je\tl_1");
}

// 際 (0xEB 0x48) and 雋 (0xEB 0x68) differ only in a trail byte that looks
// like a letter: lowering names must keep them apart.
TEST(DwObjectDescribe, NamesMatchOnTheirAsciiLettersOnly) {
  DataWindowObject o =
      DataWindowObject::parse(gbk("table(column=(type=long name=sl際 dbname=\"t.a\" )\n"
                                  " column=(type=long name=sl雋 dbname=\"t.b\" ) )\n"
                                  "column(band=detail id=1 name=sl際 width=\"10\" )\n"
                                  "column(band=detail id=2 name=sl雋 width=\"20\" )\n"),
                              "d_gbk.srd");
  EXPECT_EQ(o.modify(gbk("SL雋.Width=30")), "");
  EXPECT_EQ(o.describe(gbk("SL際.width sl雋.WIDTH Sl雋.id sl際.name")), gbk("10\n30\n2\nsl際"));
  EXPECT_EQ(o.describe(gbk("sl碼.width")), "!");

  SourceLibrary library;
  library.add(gbk("D_際"), o);
  library.add(gbk("d_雋"), DataWindowObject::parse("", "d_empty.srd"));
  ASSERT_TRUE(library.find(gbk("d_際")));
  EXPECT_EQ(library.find(gbk("d_際"))->name(), gbk("d_際"));
  EXPECT_EQ(library.find(gbk("D_際"))->columns().size(), 2u);
  EXPECT_EQ(library.find(gbk("D_雋"))->columns().size(), 0u);
}

TEST(DwObjectDescribe, ColumnProperties) {
  const DataWindowObject o = example();
  const struct {
    const char* item;
    std::string answer;
  } cases[] = {
      {"zrtmid.coltype", "char(20)"},
      {"zrtmid.dbname", "zr_016910.zrtmid"},
      {"zrtmid.id", "1"},
      {"zrtmid.name", "zrtmid"},
      {"zrtmid.type", "column"},
      {"zrtmid.update", "yes"},
      {"zrtmid.key", "yes"},
      {"zrtmid.edit.limit", "20"},
      {"mc.key", "no"},
      {"mc.id", "5"},
      {"mc.values", gbk("是\t1/否\t0/")},
      {"mc.dddw.name", "d_dict_mc"},
      {"mc.coltype", "char(40)"},
      // Columns that the layout does not show still answer.
      {"je.coltype", "decimal(2)"},
      {"je.type", "column"},
      {"je.initial", "0"},
      {"rq.update", "no"},
      {"sjldcs.coltype", "long"},
      {"#2.name", "je"},
      {"#5.width", "400"},
      {"zrtmid_t.type", "text"},
      {"cp_je.type", "compute"},
      {"cp_je.expression", "sum(je for all)"},
      {"l_1.type", "line"},
      {"l_1.y2", "76"},
      {"DataWindow.Table.UpdateTable", "zr_016910"},
      {"DataWindow.Table.Select", o.select()},
      {"DataWindow.Table.UpdateWhere", "0"},
      {"DataWindow.Column.Count", "5"},
      {"DataWindow.Processing", "1"},
      {"DataWindow.Header.Height", "80"},
      {"DataWindow.Print.Margin.Left", "110"},
      {"DataWindow.ReadOnly", "no"},
  };
  for (const auto& c : cases) EXPECT_EQ(o.describe(c.item), c.answer) << c.item;
}

TEST(DwObjectDescribe, UnknownAnswersBangAndEndsTheList) {
  const DataWindowObject o = example();
  EXPECT_EQ(o.describe("zrtmid_t.text nosuch.text zrtmid.width"), gbk("条码") + "\n!");
  EXPECT_EQ(o.describe("zrtmid.width zrtmid.nosuchproperty zrtmid.x"), "274\n!");
  EXPECT_EQ(o.describe("DataWindow.Nothing"), "!");
  EXPECT_EQ(o.describe("DataWindow.Header.Nothing"), "!");
  EXPECT_EQ(o.describe("DataWindow.Table.Nothing"), "!");
  EXPECT_EQ(o.describe("zrtmid_t"), "!");
  EXPECT_EQ(o.describe("zrtmid_t."), "!");
  EXPECT_EQ(o.describe("#6.name"), "!");
  EXPECT_EQ(o.describe("zrtmid_t.coltype"), "!");  // a text has no column properties
}

TEST(DwObjectDescribe, ValidPropertyWithoutValueAnswersQuestionMark) {
  DataWindowObject o = example();
  EXPECT_EQ(o.describe("zrtmid_t.tabsequence zrtmid.dddw.name cp_je.format "
                       "DataWindow.HorizontalScrollSplit je.validation zrtmid.width"),
            "?\n?\n?\n?\n?\n274");
  ASSERT_EQ(o.modify("DataWindow.HorizontalScrollSplit=700 zrtmid_t.tabsequence=0"), "");
  EXPECT_EQ(o.describe("DataWindow.HorizontalScrollSplit zrtmid_t.tabsequence"), "700\n0");

  const DataWindowObject bare = DataWindowObject::parse("datawindow(units=0)", "d_bare.srd");
  EXPECT_EQ(bare.describe("DataWindow.Table.Select DataWindow.Table.UpdateTable "
                          "DataWindow.Detail.Height DataWindow.Processing DataWindow.Column.Count"),
            "?\n?\n?\n0\n0");
}

}  // namespace
}  // namespace fh
