// Registration of a window's class group and its scripts.
//
// A window source file reads:
//
//   #define ZR_GROUP 1872
//   ZR_WINDOW(w_01691, ZR_CLASS(32770, "w_01691", 32769), ZR_ANCESTOR(32769, "w_ddyrsg"))
//   ZR_GENERATED_CREATE()
//   ZR_GENERATED_LIST_DESTROY()
//   ZR_DECLARE(32770, 600, "ue_refresh", FH_RESULT_LONG)   // declared, not scripted
//   ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) { ...; return {}; }
//   ZR_REGISTER(w_01691)
//
// Each ZR_SCRIPT defines the exported entry __fn_<group>_<class>_<slot> and
// its row of the script table together; ZR_REGISTER gathers the rows into the
// window's read-only table and defines getVtableInfo_<window>.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "formhost/abi.h"
#include "zrrt/script.h"

namespace zr {

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
};

// The wrapper around every script body: steps 1 to 5 of running a script.
// Answers 1 when the body ran to its end, 0 when the script was abandoned.
int run_script(fh_context* ctx, fh_call* call, const ScriptInfo& info) noexcept;

// The registration entry's five steps.
int register_window(fh_host* host, const fh_vtable_info** out, int abi, const fh_vtable_info& info,
                    std::atomic<std::int32_t>& index_cache) noexcept;

// Bodies of the generated scripts.
Answer generated_list_destroy(Script& s);

template <template <int> class Row, int First, int End>
constexpr auto collect_rows() {
  return []<int... I>(std::integer_sequence<int, I...>) {
    return std::array<fh_script_row, sizeof...(I)>{Row<First + I>::row...};
  }(std::make_integer_sequence<int, End - First>{});
}

}  // namespace zr

#define ZR_CLASS(number, name, ancestor) fh_class_row{number, name, ancestor}
#define ZR_ANCESTOR(number, name) fh_class_row{number, name, 0}

#define ZR_WINDOW(window, ...)                                  \
  namespace {                                                   \
  constexpr const char zr_window_name[] = #window;              \
  constexpr fh_class_row zr_classes[] = {__VA_ARGS__};          \
  std::atomic<std::int32_t> zr_index_cache{-1};                 \
  constexpr int zr_counter_base = __COUNTER__;                  \
  template <int N>                                              \
  struct ZrScriptRow;                                           \
  }

#define ZR_SCRIPT(cls, ancestor, slot, event, result, mode) \
  ZR_SCRIPT_EXPAND(ZR_GROUP, cls, ancestor, slot, event, result, mode, __COUNTER__)
#define ZR_SCRIPT_EXPAND(...) ZR_SCRIPT_DEFINE(__VA_ARGS__)
#define ZR_SCRIPT_DEFINE(group, cls, ancestor, slot, event, result, mode, n)                   \
  static zr::Answer zr_body_##cls##_##slot(zr::Script& s);                                    \
  static constexpr zr::ScriptInfo zr_info_##cls##_##slot{                                     \
      &zr_index_cache, cls, ancestor, slot, result, zr::mode, &zr_body_##cls##_##slot};       \
  extern "C" FH_MODULE_EXPORT int __fn_##group##_##cls##_##slot(fh_context* c, fh_call* k) { \
    return zr::run_script(c, k, zr_info_##cls##_##slot);                                      \
  }                                                                                           \
  namespace {                                                                                 \
  template <>                                                                                 \
  struct ZrScriptRow<n> {                                                                     \
    static constexpr fh_script_row row{cls, slot, event, result,                              \
                                       &__fn_##group##_##cls##_##slot};                       \
  };                                                                                          \
  }                                                                                           \
  static zr::Answer zr_body_##cls##_##slot([[maybe_unused]] zr::Script& s)

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

// The generated scripts of every window: create and destroy run the ancestor's.
#define ZR_GENERATED_CREATE() \
  ZR_SCRIPT(32770, 32769, 0, "create", FH_RESULT_NONE, kExtends) { return {}; }
#define ZR_GENERATED_DESTROY() \
  ZR_SCRIPT(32770, 32769, 1, "destroy", FH_RESULT_NONE, kExtends) { return {}; }
// A list window also destroys its menu when it has one.
#define ZR_GENERATED_LIST_DESTROY()                                  \
  ZR_SCRIPT(32770, 32769, 1, "destroy", FH_RESULT_NONE, kExtends) { \
    return zr::generated_list_destroy(s);                            \
  }

#define ZR_REGISTER(window) ZR_REGISTER_EXPAND(window, ZR_GROUP, __COUNTER__)
#define ZR_REGISTER_EXPAND(...) ZR_REGISTER_DEFINE(__VA_ARGS__)
#define ZR_REGISTER_DEFINE(window, group, end)                                                \
  static_assert(std::string_view(#window) == std::string_view(zr_window_name),                \
                "ZR_REGISTER names another window than ZR_WINDOW");                          \
  namespace {                                                                                 \
  constexpr auto zr_script_rows = zr::collect_rows<ZrScriptRow, zr_counter_base + 1, end>(); \
  constexpr fh_vtable_info zr_vtable{zr_window_name,       group,                             \
                                     zr_classes,           std::size(zr_classes),             \
                                     zr_script_rows.data(), zr_script_rows.size()};           \
  }                                                                                           \
  extern "C" FH_MODULE_EXPORT int getVtableInfo_##window(fh_host* h, const fh_vtable_info** o, \
                                                         int abi) {                           \
    return zr::register_window(h, o, abi, zr_vtable, zr_index_cache);                         \
  }
