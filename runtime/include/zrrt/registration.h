// Registration of a class group and its scripts.
//
// A scripted window's source includes the header zrgen writes for it, which
// holds the group's prologue (its class table, its generated create and
// destroy) and one event descriptor per event its classes know; scripts are
// then declared by name:
//
//   #include "zr_group_w_01691.h"
//   ZR_EVENT(w_01691, pfc_preopen) { ...; return {}; }
//   ZR_EVENT(w_01691, dw_items, itemchanged) { ...; return {}; }
//   ZR_REGISTER(w_01691)
//
// ZR_EVENT defines the exported entry __fn_<group>_<class>_<slot> and its row
// of the script table together; ZR_REGISTER gathers the rows into the group's
// read-only table and defines getVtableInfo_<window>. Windows without scripts
// are registered whole by ZR_PLAIN_WINDOW, many to one source file.
//
// This header is all a generated registration includes: keep it small.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <source_location>
#include <string_view>
#include <utility>

#include "formhost/abi.h"

namespace zr {

class Answer;
class Script;

enum Mode : bool {
  kOverrides = false,  // the body alone (functions)
  kExtends = true,     // the ancestor's script for the slot first
};

struct ScriptInfo {
  std::atomic<std::int32_t>* index_cache;
  std::uint16_t class_number;
  std::uint16_t ancestor_number;
  std::uint16_t slot;
  fh_result_type result;
  Mode mode;
  Answer (*body)(Script&);
  std::source_location site;  // where the script is written
};

// The wrapper around every script body: steps 1 to 5 of running a script.
// Answers 1 when the body ran to its end, 0 when the script was abandoned.
int run_script(fh_context* ctx, fh_call* call, const ScriptInfo& info) noexcept;

// The registration entry's five steps.
int register_window(fh_host* host, const fh_vtable_info** out, int abi, const fh_vtable_info& info,
                    std::atomic<std::int32_t>& index_cache) noexcept;

// Bodies of the generated scripts: nothing beyond the ancestor's, and a list
// window's destroy, which also destroys its menu.
Answer generated_nothing(Script& s);
Answer generated_list_destroy(Script& s);

template <template <int> class Row, int First, int... I>
constexpr auto rows_of(std::integer_sequence<int, I...>) {
  return std::array<fh_script_row, sizeof...(I)>{Row<First + I>::row...};
}

// The rows ZrScriptRow<First> to ZrScriptRow<End - 1>, in order.
template <template <int> class Row, int First, int End>
constexpr auto collect_rows() {
  return rows_of<Row, First>(std::make_integer_sequence<int, End - First>{});
}

}  // namespace zr

#define ZR_CLASS(number, name, ancestor) \
  fh_class_row { number, name, ancestor }
#define ZR_ANCESTOR(number, name) \
  fh_class_row { number, name, 0 }

#define ZR_WINDOW(window, ...)                         \
  namespace {                                          \
  constexpr const char zr_window_name[] = #window;     \
  constexpr fh_class_row zr_classes[] = {__VA_ARGS__}; \
  std::atomic<std::int32_t> zr_index_cache{-1};        \
  constexpr int zr_counter_base = __COUNTER__;         \
  template <int N>                                     \
  struct ZrScriptRow;                                  \
  }

// ZR_EVENT(class, event) scripts an event of the group's own class;
// ZR_EVENT(class, control, event) one of a control's. The generated header
// defines the descriptor ZR_EVENT_<class>[_<control>]_<event>; an event the
// class does not know fails to compile.
#define ZR_EVENT(...) ZR_PICK_3(__VA_ARGS__, ZR_EVENT_OF_CONTROL, ZR_EVENT_OF_CLASS, )(__VA_ARGS__)
#define ZR_PICK_3(a, b, c, name, ...) name
#define ZR_EVENT_OF_CLASS(cls, event) ZR_SCRIPT_AT(ZR_EVENT_##cls##_##event)
#define ZR_EVENT_OF_CONTROL(cls, control, event) ZR_SCRIPT_AT(ZR_EVENT_##cls##_##control##_##event)

// By number: ZR_SCRIPT(class, ancestor, slot, "event", result, mode) in a
// file that defines ZR_GROUP (tests of the registration itself).
#define ZR_SCRIPT(cls, ancestor, slot, event, result, mode) \
  ZR_SCRIPT_AT(ZR_GROUP, cls, ancestor, slot, event, result, mode)
#define ZR_SCRIPT_AT(...) ZR_SCRIPT_EXPAND(__VA_ARGS__, __COUNTER__)
#define ZR_SCRIPT_EXPAND(...) ZR_SCRIPT_DEFINE(__VA_ARGS__)
#define ZR_SCRIPT_DEFINE(group, cls, ancestor, slot, event, result, mode, n)                  \
  static zr::Answer zr_body_##cls##_##slot(zr::Script& s);                                    \
  ZR_ENTRY_DEFINE(group, cls, ancestor, slot, event, result, mode, zr_body_##cls##_##slot, n) \
  static zr::Answer zr_body_##cls##_##slot([[maybe_unused]] zr::Script& s)

// The entry of one script and its row of the table.
#define ZR_ENTRY_DEFINE(group, cls, ancestor, slot, event, result, mode, body, n)                 \
  static constexpr zr::ScriptInfo zr_info_##cls##_##slot{                                         \
      &zr_index_cache, cls,      ancestor, slot,                                                  \
      result,          zr::mode, &body,    std::source_location::current()};                      \
  extern "C" FH_MODULE_EXPORT int __fn_##group##_##cls##_##slot(fh_context* c, fh_call* k) {      \
    return zr::run_script(c, k, zr_info_##cls##_##slot);                                          \
  }                                                                                               \
  namespace {                                                                                     \
  template <>                                                                                     \
  struct ZrScriptRow<n> {                                                                         \
    static constexpr fh_script_row row{cls, slot, event, result, &__fn_##group##_##cls##_##slot}; \
  };                                                                                              \
  }

// An event the class declares without scripting it (descendants may).
#define ZR_DECLARE(cls, slot, event, result) \
  ZR_DECLARE_EXPAND(cls, slot, event, result, __COUNTER__)
#define ZR_DECLARE_EXPAND(...) ZR_DECLARE_DEFINE(__VA_ARGS__)
#define ZR_DECLARE_DEFINE(cls, slot, event, result, n)                     \
  namespace {                                                              \
  template <>                                                              \
  struct ZrScriptRow<n> {                                                  \
    static constexpr fh_script_row row{cls, slot, event, result, nullptr}; \
  };                                                                       \
  }

// The generated scripts of every window: create and destroy run the
// ancestor's; a list window's destroy also destroys its menu.
#define ZR_GENERATED_CREATE() ZR_GENERATED_SCRIPT(0, "create", generated_nothing)
#define ZR_GENERATED_DESTROY() ZR_GENERATED_SCRIPT(1, "destroy", generated_nothing)
#define ZR_GENERATED_LIST_DESTROY() ZR_GENERATED_SCRIPT(1, "destroy", generated_list_destroy)
#define ZR_GENERATED_SCRIPT(slot, event, body) \
  ZR_GENERATED_EXPAND(ZR_GROUP, slot, event, body, __COUNTER__)
#define ZR_GENERATED_EXPAND(...) ZR_GENERATED_DEFINE(__VA_ARGS__)
#define ZR_GENERATED_DEFINE(group, slot, event, body, n) \
  ZR_ENTRY_DEFINE(group, 32770, 32769, slot, event, FH_RESULT_NONE, kExtends, zr::body, n)

#define ZR_REGISTER(window) ZR_REGISTER_EXPAND(window, ZR_GROUP, __COUNTER__)
#define ZR_REGISTER_EXPAND(...) ZR_REGISTER_DEFINE(__VA_ARGS__)
#define ZR_REGISTER_DEFINE(window, group, end)                                                 \
  static_assert(std::string_view(#window) == std::string_view(zr_window_name),                 \
                "ZR_REGISTER names another window than ZR_WINDOW");                            \
  namespace {                                                                                  \
  constexpr auto zr_script_rows = zr::collect_rows<ZrScriptRow, zr_counter_base + 1, end>();   \
  constexpr fh_vtable_info zr_vtable{                                                          \
      zr_window_name,       group, zr_classes, std::size(zr_classes), zr_script_rows.data(),   \
      zr_script_rows.size()};                                                                  \
  }                                                                                            \
  extern "C" FH_MODULE_EXPORT int getVtableInfo_##window(fh_host* h, const fh_vtable_info** o, \
                                                         int abi) {                            \
    return zr::register_window(h, o, abi, zr_vtable, zr_index_cache);                          \
  }

// A window without scripts of its own, whole: its class table, the generated
// create and destroy (`destroy_body` is generated_nothing or
// generated_list_destroy) and its registration entry. Many may share a file.
#define ZR_PLAIN_WINDOW(window, group, destroy_body, ...)                                      \
  namespace zr_plain_##window {                                                                \
    constexpr fh_class_row classes[] = {__VA_ARGS__};                                          \
    std::atomic<std::int32_t> index_cache{-1};                                                 \
    constexpr zr::ScriptInfo create_info{&index_cache,                                         \
                                         32770,                                                \
                                         32769,                                                \
                                         0,                                                    \
                                         FH_RESULT_NONE,                                       \
                                         zr::kExtends,                                         \
                                         &zr::generated_nothing,                               \
                                         std::source_location::current()};                     \
    constexpr zr::ScriptInfo destroy_info{&index_cache,                                        \
                                          32770,                                               \
                                          32769,                                               \
                                          1,                                                   \
                                          FH_RESULT_NONE,                                      \
                                          zr::kExtends,                                        \
                                          &zr::destroy_body,                                   \
                                          std::source_location::current()};                    \
  }                                                                                            \
  extern "C" FH_MODULE_EXPORT int __fn_##group##_32770_0(fh_context* c, fh_call* k) {          \
    return zr::run_script(c, k, zr_plain_##window::create_info);                               \
  }                                                                                            \
  extern "C" FH_MODULE_EXPORT int __fn_##group##_32770_1(fh_context* c, fh_call* k) {          \
    return zr::run_script(c, k, zr_plain_##window::destroy_info);                              \
  }                                                                                            \
  namespace zr_plain_##window {                                                                \
    constexpr fh_script_row scripts[] = {                                                      \
        {32770, 0, "create", FH_RESULT_NONE, &__fn_##group##_32770_0},                         \
        {32770, 1, "destroy", FH_RESULT_NONE, &__fn_##group##_32770_1}};                       \
    constexpr fh_vtable_info vtable{                                                           \
        #window, group, classes, std::size(classes), scripts, std::size(scripts)};             \
  }                                                                                            \
  extern "C" FH_MODULE_EXPORT int getVtableInfo_##window(fh_host* h, const fh_vtable_info** o, \
                                                         int abi) {                            \
    return zr::register_window(h, o, abi, zr_plain_##window::vtable,                           \
                               zr_plain_##window::index_cache);                                \
  }
