// The operators who may sign in to the browser front end: a table of the
// application's own (its schema component "users"), passwords kept as
// Argon2id hashes from libsodium.
#pragma once

#include <string>

#include "formhost/abi.h"
#include "formhost/transaction.h"

namespace app::web {

// The table's migrations, applied by init-db beside the modules' schemas.
const fh_schema_info& users_schema();

// A name is 1 to 60 letters, digits, '.', '-' or '_'; answers why not, or "".
std::string bad_user_name(const std::string& name);

// Adds an operator, committed. Throws fh::Error for a bad name, an empty
// password, a name already taken or a database failure (nothing changed).
void add_user(fh::Transaction& db, const std::string& name, const std::string& password);
// Sets a new password, committed. Throws fh::Error when there is no such
// operator.
void set_password(fh::Transaction& db, const std::string& name, const std::string& password);
bool user_exists(fh::Transaction& db, const std::string& name);
// Whether the password is the operator's. An unknown name costs as much time
// as a wrong password, so the answer's speed does not tell which it was.
bool check_password(fh::Transaction& db, const std::string& name, const std::string& password);

// A random password of 16 letters and digits, and random tokens (hex).
std::string random_password();
std::string random_token(std::size_t bytes = 16);
// Compares two secrets in time that does not depend on where they differ.
bool same_secret(const std::string& a, const std::string& b);

// init-db --demo: the demo operator "demo" with a random password, once.
// Answers the password when it was made now, "" when the operator exists.
std::string add_demo_user(fh::Transaction& db);
inline constexpr const char* kDemoUser = "demo";

}  // namespace app::web
