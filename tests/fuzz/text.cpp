// The GBK and UTF-8 converters: any bytes convert or are refused with
// fh::Error; what converts comes back byte for byte when converted back; the
// lossy conversions never fail and agree with the exact ones where those
// succeed.
#include "formhost/text.h"

#include "formhost/errors.h"
#include "fuzz_target.h"

namespace {

bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

ZR_FUZZ_TARGET(text) {
  const std::string_view in = zrfuzz::bytes(data, size);

  const std::string lossy = fh::gbk_to_utf8_lossy(in);
  zrfuzz::check(valid_utf8(lossy), "gbk_to_utf8_lossy gives text that is not UTF-8");
  try {
    const std::string utf8 = fh::gbk_to_utf8(in, "fuzz");
    zrfuzz::check(utf8 == lossy, "the lossy conversion differs on valid GBK");
    zrfuzz::check(fh::utf8_to_gbk(utf8, "fuzz") == in, "GBK -> UTF-8 -> GBK changes the bytes");
  } catch (const fh::Error&) {
  }

  const std::string gbk_lossy = fh::utf8_to_gbk_lossy(in);
  try {
    const std::string gbk = fh::utf8_to_gbk(in, "fuzz");
    zrfuzz::check(gbk == gbk_lossy, "the lossy conversion differs on convertible UTF-8");
    zrfuzz::check(fh::gbk_to_utf8(gbk, "fuzz") == in, "UTF-8 -> GBK -> UTF-8 changes the text");
  } catch (const fh::Error&) {
  }

  // The byte-wise functions keep every character whole.
  std::size_t chars = 0;
  for (std::size_t i = 0; i < in.size(); i += fh::gbk_char_size(in, i)) ++chars;
  zrfuzz::check(chars <= in.size(), "gbk_char_size steps backwards");
  zrfuzz::check(fh::text::upper(in).size() == in.size() && fh::text::lower(in).size() == in.size(),
                "changing case changes the length");
  zrfuzz::check(fh::text::iequal(fh::text::upper(in), fh::text::lower(in)),
                "a text differs from itself in other case");
  return 0;
}
