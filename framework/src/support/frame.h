// What the framework's classes share: finding controls, retrieving with the
// arguments a window can supply, saving in one transaction, geometry, and the
// state a data-window control and its services keep.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/object.h"
#include "formhost/value.h"
#include "keys.h"
#include "zrrt/script.h"

namespace zrf {

using fh::find_control;
using fh::flag;
using fh::number;

// Event and function slots the framework declares (beyond those the library
// scripts, which keep the numbers the library knows).
namespace slot {
inline constexpr std::uint16_t kPreOpen = 136, kPostOpen = 140, kSave = 214;
inline constexpr std::uint16_t kAdd = 600, kEdit = 601, kDelete = 602, kRetrieve = 603;
inline constexpr std::uint16_t kOk = 610, kCancel = 611, kCenter = 612;
inline constexpr std::uint16_t kDeleteRow = 445, kInsertRow = 447, kPostUpdate = 488,
                               kPreUpdate = 492, kPreDeleteRow = 494, kPreInsertRow = 497,
                               kPrePreDeleteRow = 506, kPreRela = 507, kEnter = 551,
                               kResetRelaDw = 552;
}  // namespace slot

// Every data-window control of the window, in creation order.
std::vector<fh::Object*> datawindows(fh::Object& window);

// Argument i as a number: 0 when null or not a number.
long long_arg(zr::Script& s, std::size_t i);
bool bool_arg(zr::Script& s, std::size_t i);  // false when null or not a boolean
bool is_yes(const fh::Value& v);              // not "no" (case-insensitive); null counts as yes
std::string text(const fh::Value& v);         // "" for null or a non-string

// What a data-window control of the framework keeps.
struct DwState {
  bool updateable = true;
  bool click_sort = false;
  std::string sorted_by;  // the column of the last header click
  bool ascending = true;
  std::vector<std::weak_ptr<fh::Object>> details;  // linkage details of this master
  long base_width = 0, base_height = 0;            // the size the resize rules start from
};
DwState& dw_state(fh::Object& control);

// A service object held in an instance variable of a control: created when
// switched on, destroyed when switched off. Answers 1.
int switch_service(zr::Script& s, fh::Object& control, std::string_view variable,
                   std::string_view service_class, bool on);
fh::Object* service(fh::Object& control, std::string_view variable);  // null when off
// A detail of a master through the linkage service: its master retrieves it.
// A linkage service switched on without a master leaves the grid on its own.
bool linked_to_master(fh::Object& control);

// Retrieval. An argument named xx_NAME takes, in this order: the column NAME
// of `source`'s current row, the column NAME of the window's dw_head's current
// row, the window's instance variable is_NAME / il_NAME, the window's class
// name for as_ckmc, the header's one key when it is the area's one argument
// (of the same kind, number or text), and for date ranges today (ad_end,
// as_end) and, unless is_retrieve_type is "dateend", today for the beginning
// too ("dateend": from 1900-01-01); else null.
std::vector<fh::Value> retrieve_arguments(zr::Script& s, fh::Object& control, fh::Object* source);
// Retrieves a control with those arguments, then its linkage details. The
// rows retrieved, -1 on failure (the script goes on: the caller judges).
long retrieve(zr::Script& s, fh::Object& control, fh::Object* source = nullptr);
// The same with the arguments given.
long retrieve_with(zr::Script& s, fh::Object& control, std::span<const fh::Value> args);
// Retrieves the linkage details of a master for its current row.
void refresh_details(zr::Script& s, fh::Object& master);

// Saves the data windows in one transaction: pfc_preupdate of each (below 1
// refuses, nothing is saved), the new keys of `keys` when its form is among
// them, their updates, COMMIT, then pfc_postupdate of each. A failure rolls
// back, gives the new keys back, keeps every edit and shows the window's
// message with the database's reason. Answers 1, 0 refused, -1 failed.
int save(zr::Script& s, fh::Object& window, const std::vector<fh::Object*>& controls,
         NewKeys* keys = nullptr);
// The framework's save question (保存: 是否保存修改？), asked when any of
// `controls` holds edits not yet saved. Yes runs `save_them` (1 when saved),
// No leaves the edits to be dropped, Cancel (or no answer) keeps them.
// Answers whether the caller may go on: nothing pending, saved, or No.
enum class Ask {
  kNot,          // save without asking
  kYesNo,        // the caller goes on whatever the answer (a detail following its master)
  kYesNoCancel,  // the caller may stay where it is
};
bool settle_edits(zr::Script& s, const std::vector<fh::Object*>& controls,
                  const std::function<int()>& save_them, Ask ask = Ask::kYesNoCancel);
// The same for a whole window before it closes or reads its data again: its
// updateable data windows, saved through its ue_save. A window whose
// ib_disableclosequery is true (an editor's Cancel) goes on without asking.
bool settle_window_edits(zr::Script& s, fh::Object& window);
// The controls a window saves: data windows with an update table that were
// not switched off with of_setupdateable(false).
std::vector<fh::Object*> updateable(fh::Object& window);

// The first steps of every window's open: its data windows work through
// sqlca, and pfc_preopen and pfc_postopen are posted to follow the open scripts.
void begin_opening(zr::Script& s, fh::Object& window);

// Moves and sizes a control; a data window whose size changed gets resize.
void place(zr::Script& s, fh::Object& control, long x, long y, long width, long height);

}  // namespace zrf
