// Numbers for new records from the key generators (table zr_keygen). A save
// numbers its new records as its first database writes, so the counter's row
// lock makes stations that add at the same time wait for each other, and a
// save that fails gives its numbers back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formhost/object.h"
#include "formhost/transaction.h"

namespace zrf {

class NewKeys {
 public:
  // The new records of `form` whose single number key is empty draw from the
  // counter `counter` when it is given (the editor's is_idcolname), else from
  // TABLE_COLUMN of the form's update table and key column. Numbers nothing
  // when the form has no single number key or a name is not plain.
  NewKeys(fh::Object& form, std::string_view counter);

  fh::Object& form() const { return *form_; }
  const std::string& counter() const { return counter_; }
  bool active() const { return !counter_.empty(); }

  // Gives each new row with an empty key the next number: one above both the
  // counter and the update table's greatest key, skipping keys the form's own
  // rows hold, and records the last one in the counter. Opens the
  // transaction. False with the reason when the database or a row refused.
  bool number(fh::Transaction& db, std::string& why);
  // After a rollback: the rows numbered here get an empty key again, so the
  // next save numbers them anew. Keys the operator typed stay.
  void give_back();

 private:
  fh::Object* form_;
  std::string counter_, table_, column_, key_;
  std::vector<long> numbered_;  // rows of the primary buffer
};

}  // namespace zrf
