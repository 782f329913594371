#include "web/users.h"

#include <sodium.h>

#include <mutex>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"
#include "formhost/value.h"

namespace app::web {
namespace {

constexpr fh_migration kMigrations[] = {
    {1, "users table", "",
     "create table fh_users (\n"
     "  name varchar(60) primary key,\n"
     "  pwhash varchar(255) not null\n"
     ");\n"},
};
const fh_schema_info kSchema = {"users", kMigrations, 1, nullptr, 0};

void need_sodium() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (sodium_init() < 0) throw fh::Error("libsodium could not be initialised");
  });
}

std::string hash_of(const std::string& password) {
  need_sodium();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    throw fh::Error("out of memory while hashing the password");
  }
  return out;
}

std::string db_error(fh::Transaction& db, const std::string& what) {
  const std::string why = fh::gbk_to_utf8_lossy(db.sqlerrtext());
  db.rollback();
  return what + ": " + why;
}

void check_new_password(const std::string& password) {
  if (password.empty()) throw fh::Error("the password is empty");
  if (password.size() > 1024) throw fh::Error("the password is longer than 1024 bytes");
}

}  // namespace

const fh_schema_info& users_schema() { return kSchema; }

std::string bad_user_name(const std::string& name) {
  if (name.empty()) return "the operator's name is empty";
  if (name.size() > 60) return "the operator's name is longer than 60 characters";
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == '_';
    if (!ok) return "the operator's name may hold only letters, digits, '.', '-' and '_'";
  }
  return "";
}

bool user_exists(fh::Transaction& db, const std::string& name) {
  fh::Value found[] = {fh::Value::of_long(0)};
  const fh::Value key[] = {fh::Value::of_string(name)};
  const auto rc = db.select_into("select count(*) from fh_users where name = :n", key, found);
  if (rc != 0) throw fh::Error(db_error(db, "cannot read the operators"));
  db.commit();
  return fh::Long(found[0]).as_long() > 0;
}

void add_user(fh::Transaction& db, const std::string& name, const std::string& password) {
  if (const std::string why = bad_user_name(name); !why.empty()) throw fh::Error(why);
  check_new_password(password);
  if (user_exists(db, name)) throw fh::Error("operator " + name + " exists already");
  const fh::Value values[] = {fh::Value::of_string(name), fh::Value::of_string(hash_of(password))};
  if (db.execute("insert into fh_users (name, pwhash) values (:n, :h)", values) != 0) {
    throw fh::Error(db_error(db, "cannot add operator " + name));
  }
  if (db.commit() != 0) throw fh::Error(db_error(db, "cannot add operator " + name));
}

void set_password(fh::Transaction& db, const std::string& name, const std::string& password) {
  check_new_password(password);
  const fh::Value values[] = {fh::Value::of_string(hash_of(password)), fh::Value::of_string(name)};
  if (db.execute("update fh_users set pwhash = :h where name = :n", values) != 0) {
    throw fh::Error(db_error(db, "cannot change the password of " + name));
  }
  if (db.sqlnrows() != 1) {
    db.rollback();
    throw fh::Error("there is no operator " + name);
  }
  if (db.commit() != 0) throw fh::Error(db_error(db, "cannot change the password of " + name));
}

bool check_password(fh::Transaction& db, const std::string& name, const std::string& password) {
  need_sodium();
  // Hashed once, to verify against when the name is unknown.
  static const std::string kNobody = hash_of(random_token());
  fh::Value hash[] = {fh::Value::of_string("")};
  const fh::Value key[] = {fh::Value::of_string(name)};
  const auto rc = db.select_into("select pwhash from fh_users where name = :n", key, hash);
  if (rc != 0 && rc != 100) throw fh::Error(db_error(db, "cannot read the operators"));
  db.commit();
  const std::string stored = rc == 0 && !hash[0].is_null() ? hash[0].as_string() : kNobody;
  const bool ok = crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
  return ok && rc == 0;
}

std::string random_password() {
  need_sodium();
  static constexpr char kAlphabet[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  std::string out;
  for (int i = 0; i < 16; ++i) out += kAlphabet[randombytes_uniform(sizeof kAlphabet - 1)];
  return out;
}

std::string random_token(std::size_t bytes) {
  need_sodium();
  std::string raw(bytes, '\0');
  randombytes_buf(raw.data(), raw.size());
  std::string hex(bytes * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), reinterpret_cast<const unsigned char*>(raw.data()),
                 raw.size());
  hex.pop_back();
  return hex;
}

bool same_secret(const std::string& a, const std::string& b) {
  need_sodium();
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string add_demo_user(fh::Transaction& db) {
  if (user_exists(db, kDemoUser)) return "";
  std::string password = random_password();
  add_user(db, kDemoUser, password);
  return password;
}

}  // namespace app::web
