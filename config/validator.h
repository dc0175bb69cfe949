// Semantic validation: checks a loaded variable store against a meta model description.
//
// The first mismatch ends the check with one message that names the place by its bracket path from
// the store: ['servers'][0]['port'] (the store itself has the empty path). Messages carry no
// category and no position, e.g. "Semantic Error: Variable ['port'] must be of type Integer".
//
// Invariants:
// - Validation never changes the store.
// - The walk keeps its own stack, so a value nested any depth is checked without deep recursion, and
//   it follows the value, so a recursive (cyclic) meta model always ends.
// - Time is linear in the size of the store: one path buffer is shared by the whole walk.
#pragma once

#include <string>

#include "config/meta_model.h"
#include "value/value.h"

namespace orvane::config {

// Compiles `metaModel` (see meta_model.h) and walks `store` against it. On false, `error` holds the
// meta model's compile error or the first validation message. Callers that have no meta model
// (an Undef one) skip the call: an Undef description admits no value at all.
bool validate(std::u16string& error, const Value& store, const Value& metaModel);

// The same walk against a model compiled earlier, for callers that check many stores.
bool validate(std::u16string& error, const Value& store, const MetaModel& model);

}  // namespace orvane::config
