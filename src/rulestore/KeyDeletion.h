// Deleting keys beneath a store: the keys an installation made and takes back when it fails, and
// the remnants, keys that carry a rule's name but that "Order" does not list (what an interrupted
// installation, a killed process or an older registry export left). The mail client never shows a
// remnant, and one left in place would pass for the rule, so it goes with everything beneath it.
#pragma once

#include <string>
#include <vector>

// Deletes keys given by their paths beneath the store, parents before children, so leaf first: the
// store opened, so its path is short enough, where the full paths beneath it need not be. Whether
// all of them went.
bool DeleteBeneathStore(const std::string& store_path, const std::vector<std::string>& keys);

// Raises, from inside a handler, the failure being handled with one more line: message_id naming
// key_path, the key the failure concerns.
[[noreturn]] void RaiseLeftBehind(int message_id, const std::string& key_path);

// A removal is never half done for a reason that was there from the start, and never reaches
// outside the store: every remnant is checked (CheckRemnant) before the first is deleted
// (RemoveRemnants). A remnant is the list of its keys beneath the store, parents first.
using RemnantKeys = std::vector<std::string>;

// Reads everything that removing the store's key key_name will touch: each key beneath it is opened
// as itself, with the rights to list and delete it, and listed. A registry link (deleting it would
// delete the key it leads to, outside the store), a key that will not open so (one that denies
// deletion), or a name that code page 932 cannot hold raises, with nothing changed, naming that key
// and the remnant. Its keys beneath the store, parents first.
RemnantKeys CheckRemnant(const std::string& store_path, const std::string& key_name);
// Deletes the checked remnants, each with everything beneath it, one after another. A failure of
// the registry part-way raises, naming the remnant left (those before it are gone).
void RemoveRemnants(const std::string& store_path, const std::vector<RemnantKeys>& remnants);
