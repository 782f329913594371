/* The C boundary between the host and a module (the library or the framework).
 *
 * A module exports, with C linkage:
 *   int getVtableInfo_<window>(fh_host*, const fh_vtable_info**, int abi);
 *       registers the class group of <window>; answers 1, or a negative status.
 *   int __fn_<group>_<class>_<slot>(fh_context*, fh_call*);
 *       one event script; answers 1 when it ran to its end, 0 when abandoned.
 * Nothing throws across these entries, in either direction.
 */
#ifndef FORMHOST_ABI_H
#define FORMHOST_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(FH_BUILDING_HOST)
#define FH_HOST_API __attribute__((visibility("default")))
#else
#define FH_HOST_API
#endif
#define FH_MODULE_EXPORT __attribute__((visibility("default")))

/* Raised when the layout of the structures below changes. */
#define FH_ABI_VERSION 1

/* Class numbers inside a group. */
#define FH_CLASS_WINDOW 32770
#define FH_CLASS_ANCESTOR 32769

/* Host statuses. Negative is failure, except FH_STATUS_NO_SCRIPT, which the
 * scripts count as success (an event that exists but has no handler). */
#define FH_STATUS_OK 1
#define FH_STATUS_FAILED (-1)
#define FH_STATUS_NO_SCRIPT (-2147218367) /* 0x80040C41 as a signed 32-bit status */

typedef struct fh_host fh_host;       /* the class registry a module registers with */
typedef struct fh_context fh_context; /* one session's script context */
typedef struct fh_call fh_call;       /* the object, arguments and result of one event call */

typedef int (*fh_script_fn)(fh_context* ctx, fh_call* call);

/* One class of the group: its number, its name and the number of its
 * ancestor (0 for an ancestor entry, which the host resolves by name). */
typedef struct fh_class_row {
  uint16_t number;
  const char* name;
  uint16_t ancestor;
} fh_class_row;

/* Result types of events and functions. */
typedef enum fh_result_type {
  FH_RESULT_NONE = 0,
  FH_RESULT_LONG = 1,
  FH_RESULT_INTEGER = 2
} fh_result_type;

/* One scripted (or, with a null script, only declared) event of a class. */
typedef struct fh_script_row {
  uint16_t class_number;
  uint16_t slot;
  const char* event; /* the event's or function's name */
  fh_result_type result;
  fh_script_fn script; /* null: declared here, scripted nowhere in this class */
} fh_script_row;

/* The script table of one class group: static and read-only. */
typedef struct fh_vtable_info {
  const char* window;
  int32_t group;
  const fh_class_row* classes;
  size_t class_count;
  const fh_script_row* scripts;
  size_t script_count;
} fh_vtable_info;

/* The database schema a module's classes need, as ordered migrations. A
 * module may export `const fh_schema_info* fh_module_schema(void)`. */
typedef struct fh_migration {
  int32_t version;     /* 1, 2, ...: applied in order, each once */
  const char* name;    /* for messages: the file it came from */
  const char* backend; /* "" for every database, else "sqlite" or "postgresql" */
  const char* sql;     /* UTF-8; statements end with ";" at a line end */
} fh_migration;

typedef struct fh_schema_info {
  const char* component; /* the name its version is kept under */
  const fh_migration* migrations;
  size_t migration_count;
  const fh_migration* demo; /* demo data, loaded on request; version unused */
  size_t demo_count;
} fh_schema_info;

typedef const fh_schema_info* (*fh_schema_fn)(void);

/* The global functions a module defines, callable by name from any module's
 * scripts. A module may export `const fh_function_table* fh_module_functions(void)`.
 * A function is called like a script entry, with a null self: it answers 1
 * with its result in the context's return slot, or 0 when it failed. */
typedef struct fh_function_row {
  const char* name; /* lower case */
  fh_script_fn fn;
} fh_function_row;

typedef struct fh_function_table {
  const fh_function_row* rows;
  size_t count;
} fh_function_table;

typedef const fh_function_table* (*fh_functions_fn)(void);

/* What a registration entry calls back. */
FH_HOST_API void fh_announce(fh_host* host, const char* window);
FH_HOST_API int32_t fh_class_index(fh_host* host, const char* window);
FH_HOST_API int32_t fh_register_group(fh_host* host, const fh_vtable_info* info, int32_t index);

#ifdef __cplusplus
}
#endif

#endif /* FORMHOST_ABI_H */
