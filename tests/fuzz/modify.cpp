// Modify and Describe on a small object. Any expression either applies
// whole or answers an error and changes nothing; what Modify leaves prints
// back to a source that parses to the same model; Describe answers any text
// without failing; and any text set through modify_quote is what Describe
// gives back.
#include "formhost/dwobject.h"
#include "formhost/errors.h"
#include "fuzz_target.h"

namespace {

constexpr std::string_view kSource = R"srd(release 9;
datawindow(units=0 processing=0 color="16777215" )
header(height=72 )
detail(height=84 color="536870912~tif(mod(getrow(),2)=0, 15790320, 16777215)" )
table(column=(type=char(20) update=yes key=yes name=code dbname="t.code" )
 column=(type=decimal(2) update=yes name=je dbname="t.je" initial="0" )
 retrieve="select code, je from t where code = :a"
 update="t" arguments=(("a", string)) )
text(band=header text="code" name=code_t x="9" width="200" )
column(band=detail id=1 name=code x="9" width="300" format="[general]" )
column(band=detail id=2 name=je x="320" width="150" format="#,##0.00" )
compute(band=detail expression="je * 2" name=c_double x="480" width="100" )
)srd";

const fh::DataWindowObject& base() {
  static const fh::DataWindowObject o = fh::DataWindowObject::parse(kSource, "d_fuzz.srd");
  return o;
}

void check_prints_back(const fh::DataWindowObject& o, std::string_view after) {
  const std::string printed = o.to_source();
  try {
    const std::string again = fh::DataWindowObject::parse(printed, "d_fuzz.srd").to_source();
    zrfuzz::check(again == printed, "after " + std::string(after) + " the source prints back as\n" +
                                        again + "\n---\n" + printed);
  } catch (const fh::Error& e) {
    zrfuzz::fail("after " + std::string(after) + " the source does not parse: " + e.what() + "\n" +
                 printed);
  }
}

}  // namespace

ZR_FUZZ_TARGET(modify) {
  const std::string_view text = zrfuzz::bytes(data, size);
  const std::string before = base().to_source();

  fh::DataWindowObject o = base();
  const std::string answer = o.modify(text);
  if (answer.empty()) {
    check_prints_back(o, text);
  } else {
    zrfuzz::check(o.to_source() == before, "a refused Modify changed the object: " + answer);
  }
  (void)o.describe(text);

  fh::DataWindowObject q = base();
  for (const char* property : {"code_t.text", "code.format", "c_double.tag"}) {
    std::string quoted;
    try {
      quoted = fh::modify_quote(text);
    } catch (const fh::Error&) {
      return 0;  // broken GBK: nothing can carry it
    }
    const std::string set = q.modify(std::string(property) + "=" + quoted);
    zrfuzz::check(set.empty(), std::string("setting a quoted text to ") + property + ": " + set);
    zrfuzz::check(q.describe(property) == text,
                  std::string("Describe of ") + property + " gives back " + q.describe(property));
  }
  check_prints_back(q, "quoted texts");
  return 0;
}
