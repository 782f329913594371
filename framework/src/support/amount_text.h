// An amount in Chinese capital figures, as bills and vouchers write it.
#pragma once

#include <span>

#include "formhost/value.h"

namespace zrf {

// gf_pricetodx_gd: one amount in (any number; null gives ""), its text out.
// Rounds half away from zero to the fen first. A 零 is written wherever the
// rules leave it free (after 元 or 万 when the digit before is 0 and the next
// is not): 1680.32 is 壹仟陆佰捌拾元零叁角贰分, 107000.53 壹拾万零柒仟元零伍角叁分.
// An amount of 10^16 yuan or more, or an argument that is no number, throws fh::Error.
fh::Value amount_in_words(std::span<const fh::Value> args);

}  // namespace zrf
